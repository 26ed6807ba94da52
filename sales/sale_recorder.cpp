#include "sales/sale_recorder.h"

#include "data/odbcdb.h"
#include "data/sql_text.h"
#include "sales/sales_texts.h"

namespace tillora {

namespace sale_sql {

QString newestSaleId() {
    return QStringLiteral("select top 1 ID from [销售记录] order by ID desc");
}

QString saleById(int id) {
    return QStringLiteral("select * from 销售记录 where id=") + QString::number(id);
}

QString insertHeader(const QString& number, const QString& totalQuantity, const QString& amount,
                     const QString& cashier, const QString& remark) {
    return QStringLiteral(
               "insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注 ) values ('") +
           sqlText(number) + QStringLiteral("',now(),'") + sqlText(totalQuantity) +
           QStringLiteral("','") + sqlText(amount) + QStringLiteral("','") + sqlText(cashier) +
           QStringLiteral("','") + sqlText(remark) + QStringLiteral(" ')");
}

QString insertLine(int saleId, const ReceiptLine& line, const QString& remark) {
    return QStringLiteral(
               "insert into [销售详情] (关联,名称,数量,单价,金额,折后,备注 ) values ('") +
           QString::number(saleId) + QStringLiteral("','") + sqlText(line.name) +
           QStringLiteral("','") + sqlText(line.quantity) + QStringLiteral("','") +
           sqlText(line.unitPrice) + QStringLiteral("','") + sqlText(line.lineTotal) +
           QStringLiteral("','") + sqlText(line.discountedTotal) + QStringLiteral("',' ") +
           sqlText(remark) + QStringLiteral("' )");
}

}  // namespace sale_sql

namespace {

bool tooLong(const QString& value) {
    return value.size() > SaleRecorder::kTextColumnLength;
}

QString tooLongText(const QString& field) {
    return sales_text::tooLong(field, SaleRecorder::kTextColumnLength);
}

}  // namespace

QString SaleRecorder::lengthProblem(const Receipt& receipt) {
    if (tooLong(receipt.number)) {
        return tooLongText(QStringLiteral("单号"));
    }
    if (tooLong(receipt.cashier)) {
        return tooLongText(QStringLiteral("收银员"));
    }
    if (tooLong(receipt.totalQuantity) || tooLong(receipt.discountedTotal)) {
        return tooLongText(QStringLiteral("合计"));
    }
    for (const ReceiptLine& line : receipt.lines) {
        if (tooLong(line.name)) {
            return tooLongText(QStringLiteral("商品名称"));
        }
        if (tooLong(line.quantity)) {
            return tooLongText(QStringLiteral("数量"));
        }
        if (tooLong(line.unitPrice) || tooLong(line.lineTotal) || tooLong(line.discountedTotal)) {
            return tooLongText(QStringLiteral("金额"));
        }
    }
    return {};
}

int SaleRecorder::newestSaleId(ODBCDB& db) {
    const int h = db.OpenTable(sale_sql::newestSaleId());
    if (h == 0) {
        return 0;
    }
    const int id = db.IsEOF(h) ? 0 : db.ReadColByName(h, QStringLiteral("ID")).toInt();
    db.CloseTable(h);
    return id;
}

RecordOutcome SaleRecorder::record(const Receipt& receipt) {
    RecordOutcome outcome;
    if (const QString problem = lengthProblem(receipt); !problem.isEmpty()) {
        outcome.message = problem;
        return outcome;
    }
    outcome.message = failedText();
    if (!db_.BeginTrans()) {
        return outcome;
    }
    auto fail = [&] {
        db_.RollbackTrans();
        return outcome;
    };
    if (!db_.ExecuteSql(sale_sql::insertHeader(receipt.number, receipt.totalQuantity,
                                               receipt.discountedTotal, receipt.cashier,
                                               receipt.remark))) {
        return fail();
    }
    // Inside the transaction nobody else can have inserted a sale since the header.
    const int saleId = newestSaleId(db_);
    if (saleId <= 0) {
        return fail();
    }
    for (const ReceiptLine& line : receipt.lines) {
        if (!db_.ExecuteSql(sale_sql::insertLine(saleId, line, receipt.remark))) {
            return fail();
        }
    }
    db_.CommitTrans();
    // A commit that fails is rolled back without a word; the header being there is the proof.
    if (newestSaleId(db_) != saleId) {
        return outcome;
    }
    outcome.stored = true;
    outcome.saleId = saleId;
    outcome.message.clear();
    return outcome;
}

}  // namespace tillora
