#include "data/master_data.h"

#include "data/sql_text.h"

namespace tillora {

namespace master_sql {

QString listProducts() {
    return QStringLiteral("select * from 商品名称");
}

QString productsStartingWith(const QString& typed) {
    return QStringLiteral("select * from 商品名称  where 名称 like '") + sqlText(typed) +
           QStringLiteral("%'");
}

QString addProduct(const QString& name, const QString& unitPrice) {
    return QStringLiteral("insert into [商品名称] (名称,单价 )values ('") + sqlText(name) +
           QStringLiteral("','") + sqlText(unitPrice) + QStringLiteral("')");
}

QString changeProduct(int id, const QString& name, const QString& unitPrice) {
    return QStringLiteral("update 商品名称  set   名称='") + sqlText(name) +
           QStringLiteral("',单价='") + sqlText(unitPrice) + QStringLiteral("'where ID=") +
           QString::number(id);
}

QString deleteProduct(int id) {
    return QStringLiteral("delete from 商品名称  where ID=") + QString::number(id);
}

QString productWithBarcode(const QString& code) {
    // The second condition lets the engine use the index, which leaves empty codes out.
    return QStringLiteral("select * from 商品名称  where 条码='") + sqlText(code) +
           QStringLiteral("' and 条码<>''");
}

QString addProductWithBarcode(const QString& name, const QString& unitPrice, const QString& code) {
    return QStringLiteral("insert into [商品名称] (名称,单价,条码 )values ('") + sqlText(name) +
           QStringLiteral("','") + sqlText(unitPrice) + QStringLiteral("','") + sqlText(code) +
           QStringLiteral("')");
}

QString setProductBarcode(int id, const QString& code) {
    return QStringLiteral("update 商品名称  set   条码='") + sqlText(code) +
           QStringLiteral("'where ID=") + QString::number(id);
}

QString listPaymentMethods() {
    return QStringLiteral("select * from 付款方式");
}

QString addPaymentMethod(const QString& name) {
    return QStringLiteral("insert into [付款方式] (方式 )values ('") + sqlText(name) +
           QStringLiteral("')");
}

QString changePaymentMethod(int id, const QString& name) {
    return QStringLiteral("update 付款方式  set  方式='") + sqlText(name) +
           QStringLiteral("'where ID=") + QString::number(id);
}

QString deletePaymentMethod(int id) {
    return QStringLiteral("delete from 付款方式  where ID=") + QString::number(id);
}

QString listCustomers() {
    return QStringLiteral("select * from 客户资料");
}

QString customersNameContaining(const QString& text) {
    return QStringLiteral("select * from 客户资料 where 姓名 like '%") + sqlText(text) +
           QStringLiteral("%'");
}

QString customersPhoneContaining(const QString& text) {
    return QStringLiteral("select * from 客户资料 where 电话 like '%") + sqlText(text) +
           QStringLiteral("%'");
}

QString customersNamed(const QString& name) {
    return QStringLiteral("select * from 客户资料 where 姓名='") + sqlText(name) +
           QStringLiteral("'");
}

QString customersWithPhone(const QString& phone) {
    return QStringLiteral("select * from 客户资料 where 电话='") + sqlText(phone) +
           QStringLiteral("'");
}

QString addCustomer(const QString& name, const QString& phone) {
    return QStringLiteral("insert into [客户资料] (姓名,电话 )values ('") + sqlText(name) +
           QStringLiteral("','") + sqlText(phone) + QStringLiteral("')");
}

QString changeCustomer(int id, const QString& name, const QString& phone) {
    return QStringLiteral("update 客户资料  set  姓名='") + sqlText(name) +
           QStringLiteral("', 电话='") + sqlText(phone) + QStringLiteral("'where ID=") +
           QString::number(id);
}

QString deleteCustomer(int id) {
    return QStringLiteral("delete from 客户资料  where ID=") + QString::number(id);
}

}  // namespace master_sql

namespace {

// Runs the statement and hands every row to read; closes what it opened.
template <class Row, class Read>
std::vector<Row> readRows(ODBCDB& db, const QString& statement, bool* ok, Read read) {
    std::vector<Row> rows;
    const int h = db.OpenTable(statement);
    if (ok != nullptr) {
        *ok = h != 0;
    }
    for (; !db.IsEOF(h); db.MoveNext(h)) {
        rows.push_back(read(h));
    }
    db.CloseTable(h);
    return rows;
}

}  // namespace

std::vector<Product> readProducts(ODBCDB& db, const QString& statement, bool* ok) {
    return readRows<Product>(db, statement, ok, [&db](int h) {
        return Product{db.ReadColByName(h, QStringLiteral("ID")).toInt(),
                       db.ReadColByName(h, QStringLiteral("名称")).toText(),
                       db.ReadColByName(h, QStringLiteral("单价")).toText(),
                       db.ReadColByName(h, QStringLiteral("条码")).toText()};
    });
}

std::vector<PaymentMethod> readPaymentMethods(ODBCDB& db, const QString& statement, bool* ok) {
    return readRows<PaymentMethod>(db, statement, ok, [&db](int h) {
        return PaymentMethod{db.ReadColByName(h, QStringLiteral("ID")).toInt(),
                             db.ReadColByName(h, QStringLiteral("方式")).toText()};
    });
}

std::vector<Customer> readCustomers(ODBCDB& db, const QString& statement, bool* ok) {
    return readRows<Customer>(db, statement, ok, [&db](int h) {
        return Customer{db.ReadColByName(h, QStringLiteral("ID")).toInt(),
                        db.ReadColByName(h, QStringLiteral("姓名")).toText(),
                        db.ReadColByName(h, QStringLiteral("电话")).toText()};
    });
}

}  // namespace tillora
