#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <unordered_set>
#include <vector>

#include "data/db_fault.h"
#include "records/records_sql.h"

namespace tillora {

class ODBCDB;

// One 销售记录 row as the sales list shows it.
// An exact sum of cents as an amount text with two decimals: "-0.05", "1234.50".
QString centsText(qint64 cents);

struct SaleRow {
    int id = 0;
    QString number;
    QString time;  // the date-time text ("2016年8月18日20时55分36秒")
    QString quantity;
    QString amount;
    QString cashier;
    QString remark;

    QStringList cells() const;
};

// The sales of one search, read as they are needed so that memory stays small at any size: the
// keys and totals of every row in chunks (4 bytes a row), a row's texts only while it is shown
// (a few pages, the oldest dropped). A statement that fails gives no rows.
class SaleListing {
  public:
    // Rows the first chunk reads; the rest follow by readMore().
    static constexpr int kFirstChunk = 20000;

    SaleListing() = default;
    SaleListing(ODBCDB& db, SalesSelection selection);
    // Reads the first chunk: the whole listing of a day or a month.
    static SaleListing read(ODBCDB& db, const SalesSelection& selection, int chunk = kFirstChunk);

    // The keys and totals of up to `rows` further rows; false when the statement failed.
    bool readMore(int rows);
    bool complete() const { return complete_; }
    bool ok() const { return fault_ == DbFault::None; }
    // Why the last read failed.
    DbFault fault() const { return fault_; }
    const SalesSelection& selection() const { return selection_; }

    // Rows read so far.
    int size() const { return static_cast<int>(ids_.size()); }
    int idAt(int row) const { return ids_[static_cast<std::size_t>(row)]; }
    // The row of a sale; -1 when it is not (yet) read.
    int rowOf(int saleId) const;
    // The row's texts, read with their page; a sale deleted since shows only its ID.
    SaleRow row(int row) const;
    // Every row of the search as stored now, in order, read a piece at a time (for an export:
    // one pass, no page of the view disturbed). False when a statement failed.
    bool forEachRow(const std::function<void(const SaleRow&)>& visit) const;

    // Sums of the rows read, in cents so that a year of takings adds up exactly.
    qint64 quantityCents() const { return quantityCents_; }
    qint64 amountCents() const { return amountCents_; }
    // 销售总量 as number text (12, 30.3) and 总金额 with two decimals (45.99).
    QString totalQuantityText() const;
    QString totalAmountText() const;

  private:
    static constexpr int kPageRows = 128;
    static constexpr std::size_t kPagesKept = 32;
    struct Page {
        int first = 0;
        bool loaded = false;
        std::vector<SaleRow> rows;
    };
    const Page& page(int first) const;
    // The texts of rows [first, first + count); false when the statement failed.
    bool load(int first, int count, std::vector<SaleRow>& rows) const;
    bool failed();
    bool stillStored(int saleId, bool& stored) const;
    bool resumeAfterDeletedSale(bool& resumed);

    ODBCDB* db_ = nullptr;
    SalesSelection selection_;
    std::vector<qint32> ids_;
    int lastInPart_ = 0;  // the last sale read of the part being read
    int partStart_ = 0;   // the row where that part began
    // Sales of the part already listed that a resumed read gives again.
    std::unordered_set<qint32> readAgain_;
    bool undated_ = false;  // reading the sales without a time, after the others
    bool complete_ = true;
    DbFault fault_ = DbFault::None;
    qint64 quantityCents_ = 0;
    qint64 amountCents_ = 0;
    // Shown pages, the one used last at the back.
    mutable std::vector<Page> pages_;
};

// One 销售详情 row.
struct SaleLineRow {
    int id = 0;
    QString name;
    QString quantity;
    QString unitPrice;
    QString amount;
    QString discounted;
    QString remark;

    QStringList cells() const;  // 序号, 名称, 数量, 单价, 金额, 折后
    static std::vector<SaleLineRow> read(ODBCDB& db, int saleId, bool* ok = nullptr);
};

}  // namespace tillora
