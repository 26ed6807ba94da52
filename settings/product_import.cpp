#include "settings/product_import.h"

#include "data/odbcdb.h"
#include "data/operation_trail.h"
#include "data/product_barcode.h"
#include "values/plain_number.h"

#include <QHash>
#include <QSet>

namespace tillora {

namespace {

constexpr int kNameLength = 50;

int columnNamed(const QStringList& titles, const QString& name) {
    for (qsizetype c = 0; c < titles.size(); ++c) {
        if (titles[c].trimmed() == name) {
            return static_cast<int>(c);
        }
    }
    return -1;
}

QString cell(const QStringList& row, int column) {
    return column >= 0 && column < row.size() ? row[column].trimmed() : QString();
}

bool blank(const QStringList& row) {
    for (const QString& c : row) {
        if (!c.trimmed().isEmpty()) {
            return false;
        }
    }
    return true;
}

}  // namespace

ProductImport ProductImport::plan(const std::vector<QStringList>& table,
                                  const std::vector<Product>& existing) {
    ProductImport result;
    if (table.empty()) {
        result.problem_ = QStringLiteral("文件是空的，没有可以导入的商品。");
        return result;
    }
    const QStringList& titles = table.front();
    const int nameColumn = columnNamed(titles, QStringLiteral("名称"));
    const int priceColumn = columnNamed(titles, QStringLiteral("单价"));
    const int codeColumn = columnNamed(titles, QStringLiteral("条码"));
    if (nameColumn < 0 || priceColumn < 0) {
        result.problem_ = QStringLiteral(
            "文件的第一行应是列名，其中须有“名称”和“单价”两列（“条码”可有可无），"
            "这个文件没有，无法导入。");
        return result;
    }

    QHash<QString, int> byCode;
    QHash<QString, int> byName;
    for (const Product& p : existing) {
        if (!p.barcode.isEmpty()) {
            byCode.insert(p.barcode, p.id);
        }
        if (!byName.contains(p.name)) {
            byName.insert(p.name, p.id);
        }
    }
    QHash<QString, int> codesInFile;  // code -> line that took it
    QSet<int> changed;                // a product is changed by one row at most

    for (std::size_t i = 1; i < table.size(); ++i) {
        const QStringList& source = table[i];
        if (blank(source)) {
            continue;
        }
        Row row;
        row.line = static_cast<int>(i) + 1;
        row.name = cell(source, nameColumn);
        row.barcode = ProductBarcode::normalized(cell(source, codeColumn));
        const QString price = cell(source, priceColumn);
        const std::optional<double> amount = parsePlainAmount(price);
        const auto refuse = [&row](const QString& why) {
            row.action = Action::Refuse;
            row.reason = why;
        };
        ProductBarcode::Verdict verdict = ProductBarcode::Verdict::Ok;
        if (row.name.isEmpty()) {
            refuse(QStringLiteral("名称为空"));
        } else if (row.name.size() > kNameLength || hasControlCharacter(row.name)) {
            refuse(QStringLiteral("名称超过50个字符或含有控制字符"));
        } else if (!amount) {
            refuse(QStringLiteral("单价不是金额：%1")
                       .arg(price.isEmpty() ? QStringLiteral("空") : price));
        } else if (!row.barcode.isEmpty() &&
                   (verdict = ProductBarcode::check(row.barcode)) != ProductBarcode::Verdict::Ok) {
            refuse(verdict == ProductBarcode::Verdict::CheckDigit
                       ? QStringLiteral("条码校验位不对")
                       : ProductBarcode::problem(verdict, row.barcode));
        } else if (!row.barcode.isEmpty() && codesInFile.contains(row.barcode)) {
            refuse(QStringLiteral("条码与第 %1 行重复").arg(codesInFile.value(row.barcode)));
        }
        if (row.action != Action::Refuse) {
            row.unitPrice = QString::number(*amount, 'f', 2);
            // The same code is the same product; without one, the same name is.
            const int byItsCode = row.barcode.isEmpty() ? 0 : byCode.value(row.barcode);
            const int byItsName = byName.value(row.name);
            const int target = byItsCode != 0 ? byItsCode : byItsName;
            if (target != 0 && changed.contains(target)) {
                refuse(QStringLiteral("与前面的行是同一商品"));
            } else if (byItsCode == 0 && !row.barcode.isEmpty() && target != 0) {
                // The named product takes the code: no other product may hold it (checked
                // above), so this is a change too.
                row.action = Action::Change;
            } else {
                row.action = target != 0 ? Action::Change : Action::Add;
            }
            row.productId = row.action == Action::Change ? target : 0;
            if (row.action == Action::Change) {
                changed.insert(target);
            }
            if (row.action != Action::Refuse && !row.barcode.isEmpty()) {
                codesInFile.insert(row.barcode, row.line);
            }
        }
        result.rows_.push_back(std::move(row));
    }
    return result;
}

int ProductImport::count(Action action) const {
    int n = 0;
    for (const Row& r : rows_) {
        n += r.action == action ? 1 : 0;
    }
    return n;
}

bool ProductImport::store(ODBCDB& db, QString* problem) const {
    if (!db.BeginTrans()) {
        *problem = QStringLiteral("数据库正忙，未导入任何商品，请稍后再试。");
        return false;
    }
    int added = 0;
    int changed = 0;
    for (const Row& r : rows_) {
        QStringList statements;
        if (r.action == Action::Add) {
            ++added;
            statements << (r.barcode.isEmpty()
                               ? master_sql::addProduct(r.name, r.unitPrice)
                               : master_sql::addProductWithBarcode(r.name, r.unitPrice, r.barcode));
        } else if (r.action == Action::Change) {
            ++changed;
            statements << master_sql::changeProduct(r.productId, r.name, r.unitPrice);
            if (!r.barcode.isEmpty()) {
                statements << master_sql::setProductBarcode(r.productId, r.barcode);
            }
        }
        for (const QString& statement : statements) {
            if (!db.ExecuteSql(statement)) {
                db.RollbackTrans();
                *problem = QStringLiteral("第 %1 行无法保存，未导入任何商品。").arg(r.line);
                return false;
            }
        }
    }
    // The trail holds the import as one change, not a row per product.
    if (!operation_trail::write(db,
                                {QStringLiteral("导入商品名称"),
                                 QStringLiteral("商品名称"),
                                 {},
                                 QStringLiteral("增加 %1 个，修改 %2 个").arg(added).arg(changed),
                                 {}})) {
        db.RollbackTrans();
        *problem = QStringLiteral("操作记录无法保存，未导入任何商品。");
        return false;
    }
    if (!db.tryCommitTrans()) {
        if (db.inTransaction()) {
            db.RollbackTrans();
        }
        *problem = QStringLiteral("保存失败，未导入任何商品。");
        return false;
    }
    return true;
}

QString ProductImport::summary() const {
    return QStringLiteral("新增 %1 行，修改 %2 行，拒绝 %3 行")
        .arg(count(Action::Add))
        .arg(count(Action::Change))
        .arg(count(Action::Refuse));
}

QString ProductImport::actionText(Action action) {
    switch (action) {
        case Action::Add:
            return QStringLiteral("新增");
        case Action::Change:
            return QStringLiteral("修改");
        case Action::Refuse:
            return QStringLiteral("拒绝");
    }
    return {};
}

}  // namespace tillora
