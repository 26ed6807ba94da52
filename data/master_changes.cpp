#include "data/master_changes.h"

#include "data/operation_trail.h"

namespace tillora {

namespace {

const QString kProducts = QStringLiteral("商品名称");
const QString kMethods = QStringLiteral("付款方式");
const QString kCustomers = QStringLiteral("客户资料");
const QString kUsers = QStringLiteral("用户登录");

// The stored row as short text: its columns after ID, joined; empty when it can't be read.
QString storedRow(ODBCDB& db, const QString& table, int id) {
    const int h = db.OpenTable(QStringLiteral("select * from [") + table +
                               QStringLiteral("] where ID=") + QString::number(id));
    QStringList cells;
    if (h != 0 && !db.IsEOF(h)) {
        const QStringList names = db.columnNames(h);
        for (int c = 2; c <= names.size(); ++c) {
            // A user's 密码 is its digest: never written to the trail.
            if (names.at(c - 1) != QStringLiteral("密码")) {
                cells << db.ReadColByIndex(h, c).toText().trimmed();
            }
        }
    }
    db.CloseTable(h);
    return cells.join(QStringLiteral("，"));
}

bool add(ODBCDB& db, const QString& statement, const QString& table, const QString& after) {
    return operation_trail::change(db, {statement},
                                   {QStringLiteral("增加") + table, table, {}, after, {}});
}

bool changeRow(ODBCDB& db, const QStringList& statements, const QString& table, int id,
               const QString& after) {
    return operation_trail::change(db, statements,
                                   {QStringLiteral("修改") + table,
                                    operation_trail::object(table, id),
                                    storedRow(db, table, id),
                                    after,
                                    {}});
}

bool remove(ODBCDB& db, const QString& statement, const QString& table, int id) {
    return operation_trail::change(db, {statement},
                                   {QStringLiteral("删除") + table,
                                    operation_trail::object(table, id),
                                    storedRow(db, table, id),
                                    {},
                                    {}});
}

QString pair(const QString& a, const QString& b) {
    return a + QStringLiteral("，") + b;
}

}  // namespace

namespace master_change {

bool addProduct(ODBCDB& db, const QString& name, const QString& unitPrice, const QString& barcode) {
    return barcode.isEmpty()
               ? add(db, master_sql::addProduct(name, unitPrice), kProducts, pair(name, unitPrice))
               : add(db, master_sql::addProductWithBarcode(name, unitPrice, barcode), kProducts,
                     pair(pair(name, unitPrice), barcode));
}
bool changeProduct(ODBCDB& db, int id, const QString& name, const QString& unitPrice,
                   const std::optional<QString>& barcode) {
    QStringList statements{master_sql::changeProduct(id, name, unitPrice)};
    QString after = pair(name, unitPrice);
    if (barcode) {
        statements << master_sql::setProductBarcode(id, *barcode);
        after = pair(after, *barcode);
    }
    return changeRow(db, statements, kProducts, id, after);
}
bool deleteProduct(ODBCDB& db, int id) {
    return remove(db, master_sql::deleteProduct(id), kProducts, id);
}

bool addPaymentMethod(ODBCDB& db, const QString& name) {
    return add(db, master_sql::addPaymentMethod(name), kMethods, name);
}
bool changePaymentMethod(ODBCDB& db, int id, const QString& name) {
    return changeRow(db, {master_sql::changePaymentMethod(id, name)}, kMethods, id, name);
}
bool deletePaymentMethod(ODBCDB& db, int id) {
    return remove(db, master_sql::deletePaymentMethod(id), kMethods, id);
}

bool addCustomer(ODBCDB& db, const QString& name, const QString& phone) {
    return add(db, master_sql::addCustomer(name, phone), kCustomers, pair(name, phone));
}
bool changeCustomer(ODBCDB& db, int id, const QString& name, const QString& phone) {
    return changeRow(db, {master_sql::changeCustomer(id, name, phone)}, kCustomers, id,
                     pair(name, phone));
}
bool deleteCustomer(ODBCDB& db, int id) {
    return remove(db, master_sql::deleteCustomer(id), kCustomers, id);
}

bool addUser(ODBCDB& db, const QString& name, const QString& permission, const QString& digest) {
    return add(db, user_sql::addUser(name, permission, digest), kUsers, pair(name, permission));
}

bool changeUser(ODBCDB& db, const UserAccount& before, const QString& name, const QString& digest,
                const QString& permission) {
    QString after = pair(name, permission);
    if (digest != before.digest) {
        after += QStringLiteral("，密码已修改");
    }
    return changeRow(db, {user_sql::changeUser(before.id, name, digest, permission)}, kUsers,
                     before.id, after);
}

bool deleteUser(ODBCDB& db, const UserAccount& user) {
    return remove(db, user_sql::deleteUser(user.id), kUsers, user.id);
}

}  // namespace master_change

QString cashPaymentMethod() {
    return QStringLiteral("现金");
}

bool isCashPaymentMethod(const QString& name) {
    return name.trimmed() == cashPaymentMethod();
}

}  // namespace tillora
