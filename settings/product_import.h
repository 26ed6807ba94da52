#pragma once

#include "data/master_data.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace tillora {

class ODBCDB;

// A product list brought in from a spreadsheet: what each row would do to 商品名称, decided
// before anything is stored. The first row names the columns: 名称 and 单价, 条码 when there is
// one, in any order; other columns are left alone. Qt Core only.
class ProductImport {
  public:
    enum class Action { Add, Change, Refuse };
    struct Row {
        int line = 0;  // in the file, from 1 (the titles)
        QString name;
        QString unitPrice;  // two decimals, as the product page stores it
        QString barcode;
        Action action = Action::Add;
        int productId = 0;  // the product a change writes into
        QString reason;     // why a row is refused
    };

    // An empty table, a missing column or an unreadable file gives a plan with a problem.
    static ProductImport plan(const std::vector<QStringList>& table,
                              const std::vector<Product>& existing);

    const QString& problem() const { return problem_; }
    const std::vector<Row>& rows() const { return rows_; }
    int count(Action action) const;

    // The added and changed rows in one transaction; nothing is stored when one fails (the
    // cause in *problem).
    bool store(ODBCDB& db, QString* problem) const;

    // "新增 n 行，修改 n 行，拒绝 n 行"
    QString summary() const;
    static QString actionText(Action action);

  private:
    QString problem_;
    std::vector<Row> rows_;
};

}  // namespace tillora
