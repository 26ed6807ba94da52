#include "sales/sale_recorder.h"

#include "data/database_fault_log.h"
#include "data/database_setup.h"
#include "data/database_wait.h"
#include "data/odbcdb.h"
#include "data/postgres_driver.h"
#include "data/sql_text.h"
#include "platform/clock.h"
#include "platform/event_log.h"
#include "sales/receipt_model.h"
#include "sales/receipt_numbering.h"

#include <QElapsedTimer>
#include <QStringBuilder>
#include <QThread>

namespace tillora {

namespace sale_sql {

QString newestSaleId() {
    return QStringLiteral("select top 1 ID from [销售记录] order by ID desc");
}

QString saleById(int id) {
    return QStringLiteral("select * from 销售记录 where id=") + QString::number(id);
}

QString saleByNumber(const QString& number) {
    return QStringLiteral("select * from 销售记录 where 销售票号='") + sqlText(number) +
           QLatin1Char('\'');
}

QString linesOf(int saleId) {
    return QStringLiteral("select * from 销售详情 where 关联=") + QString::number(saleId) +
           QStringLiteral(" order by ID");
}

QString insertHeader(const QString& number, const QString& totalQuantity, const QString& amount,
                     const QString& cashier, const QString& remark) {
    const QLatin1String between("','");
    return QStringLiteral(
               "insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注 ) values ('") %
           sqlText(number) % QLatin1String("',now(),'") % sqlText(totalQuantity) % between %
           sqlText(amount) % between % sqlText(cashier) % between % sqlText(remark) %
           QLatin1String(" ')");
}

QString insertPaidHeader(const QString& number, const Receipt& receipt) {
    const QLatin1String between("','");
    return QStringLiteral(
               "insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注,付款方式,实收现金,"
               "找零 ) values ('") %
           sqlText(number) % QLatin1String("',now(),'") % sqlText(receipt.totalQuantity) % between %
           sqlText(receipt.discountedTotal) % between % sqlText(receipt.cashier) % between %
           sqlText(receipt.remark) % QLatin1String(" ','") % sqlText(receipt.paymentMethod) %
           between % sqlText(receipt.cashReceived) % between % sqlText(receipt.change) %
           QLatin1String("')");
}

// Built in one allocation: a sale sends one of these per line.
QString insertLine(int saleId, const ReceiptLine& line, const QString& remark) {
    const QLatin1String between("','");
    return QStringLiteral(
               "insert into [销售详情] (关联,名称,数量,单价,金额,折后,备注 ) values ('") %
           QString::number(saleId) % between % sqlText(line.name) % between %
           sqlText(line.quantity) % between % sqlText(line.unitPrice) % between %
           sqlText(line.lineTotal) % between % sqlText(line.discountedTotal) %
           QLatin1String("',' ") % sqlText(remark) % QLatin1String("' )");
}

}  // namespace sale_sql

namespace {

int settleWaitMs = SaleRecorder::kSettleWaitMs;

}  // namespace

void SaleRecorder::setSettleWait(int milliseconds) {
    settleWaitMs = milliseconds;
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

QString SaleRecorder::failedText(DbFault fault, const QString& number) {
    switch (fault) {
        case DbFault::Locked:
            return lockedText();
        case DbFault::ReadOnly:
            return failedText() + QStringLiteral("\r\n数据库文件只能读取，不能写入。");
        case DbFault::DiskFull:
            return failedText() + QStringLiteral("\r\n磁盘空间不足。");
        case DbFault::Damaged:
        case DbFault::NotADatabase:
            return failedText() + QStringLiteral("\r\n数据库文件已损坏，请重新启动程序检查。");
        case DbFault::Duplicate:
            return failedText() + QStringLiteral("\r\n单号已经存在：%1").arg(number);
        case DbFault::Unreachable:
            return failedText() +
                   QStringLiteral("\r\n与数据库服务器的连接中断，本单没有保存，请稍后再试。");
        default:
            return failedText();
    }
}

SaleRecorder::~SaleRecorder() {
    rollback();
}

bool SaleRecorder::fail(RecordOutcome& outcome, DbFault fault) {
    rollback();
    outcome.stored = false;
    outcome.nextNumber.clear();
    outcome.fault = fault == DbFault::None ? DbFault::Other : fault;
    outcome.failure = RecordFailure::Database;
    outcome.message = failedText(outcome.fault, outcome.number);
    return false;
}

// BEGIN IMMEDIATE: the lock is taken before anything is read, so the number read next can't
// be taken by another till before this sale is stored. Another till's save is a moment's wait.
bool SaleRecorder::beginWriting(RecordOutcome& outcome) {
    QElapsedTimer waited;
    waited.start();
    while (!db_.BeginTrans()) {
        if (db_.lastFault() != DbFault::Locked || waited.elapsed() >= kLockWaitMs) {
            return fail(outcome, db_.lastFault());
        }
        if (waiting_) {
            waiting_();
        }
    }
    open_ = true;
    return true;
}

RecordOutcome SaleRecorder::insert(const Receipt& receipt) {
    RecordOutcome outcome;
    outcome.number = receipt.number;
    if (const QString problem = ReceiptModel::storeProblem(receipt); !problem.isEmpty()) {
        outcome.message = problem;
        outcome.fault = DbFault::Other;
        outcome.failure = RecordFailure::Value;
        return outcome;
    }
    rollback();
    // Another save of this program is still open (printing pumps events): never join it.
    if (db_.inTransaction()) {
        outcome.fault = DbFault::Locked;
        outcome.failure = RecordFailure::Database;
        outcome.message = failedText(outcome.fault);
        return outcome;
    }
    // Known before the transaction begins: inside it every statement is the sale's, and a failed
    // one fails the sale.
    if (!paymentColumns_) {
        bool readable = false;
        paymentColumns_ = hasPaymentColumns(db_, &readable);
        if (!readable) {
            fail(outcome, db_.lastFault());
            return outcome;
        }
    }
    if (!beginWriting(outcome)) {
        return outcome;
    }
    if (numbering_ != nullptr) {
        const ReceiptNumberFormat format = format_ ? *format_ : numbering_->readFormat();
        if (!format_ && db_.lastFault() != DbFault::None) {
            fail(outcome, db_.lastFault());  // no statement of the sale goes unchecked
            return outcome;
        }
        const QDate today = Clock::now().date();
        outcome.number = numbering_->next(format, today);
        if (outcome.number.isEmpty()) {
            fail(outcome, db_.lastFault());
            return outcome;
        }
        // The window shows this next, without reading the sales again.
        outcome.nextNumber = nextReceiptNumber(format, outcome.number, today);
    }
    if (!db_.ExecuteSql(paymentColumns_
                            ? sale_sql::insertPaidHeader(outcome.number, receipt)
                            : sale_sql::insertHeader(outcome.number, receipt.totalQuantity,
                                                     receipt.discountedTotal, receipt.cashier,
                                                     receipt.remark))) {
        fail(outcome, db_.lastFault());
        return outcome;
    }
    // Inside the transaction nobody else can have inserted a sale since the header.
    outcome.saleId = newestSaleId(db_);
    if (outcome.saleId <= 0) {
        fail(outcome, db_.lastFault());
        return outcome;
    }
    for (const ReceiptLine& line : receipt.lines) {
        if (!db_.ExecuteSql(sale_sql::insertLine(outcome.saleId, line, receipt.remark))) {
            fail(outcome, db_.lastFault());
            return outcome;
        }
    }
    outcome.fault = DbFault::None;
    written_ = receipt;
    return outcome;
}

bool SaleRecorder::commit(RecordOutcome& outcome) {
    if (!open_) {
        return false;
    }
    // A commit waits for other programs' readers to finish; it stays open meanwhile.
    QElapsedTimer waited;
    waited.start();
    while (!db_.tryCommitTrans()) {
        if (!db_.inTransaction() || db_.lastFault() != DbFault::Locked ||
            waited.elapsed() >= kCommitWaitMs) {
            open_ = db_.inTransaction();
            if (db_.lastFault() == DbFault::CommitUnknown) {
                rollback();
                outcome.fault = DbFault::CommitUnknown;
                settle(outcome, written_);
                return outcome.stored;
            }
            return fail(outcome, db_.lastFault());
        }
        if (waiting_) {
            waiting_();
        }
    }
    open_ = false;
    outcome.stored = true;
    outcome.fault = DbFault::None;
    outcome.failure = RecordFailure::None;
    outcome.message.clear();
    return true;
}

namespace {

QString textOf(ODBCDB& db, int h, const char16_t* column) {
    return db.ReadColByName(h, QString::fromUtf16(column)).toText();
}

}  // namespace

SaleFound SaleRecorder::findSale(ODBCDB& db, const QString& number, int saleId,
                                 const Receipt& receipt) {
    const int header = db.OpenTable(sale_sql::saleByNumber(number));
    if (header == 0) {
        return SaleFound::Unknown;
    }
    // The number is free again when the commit failed: another till's sale may carry it now.
    bool ours = false;
    for (; !db.IsEOF(header) && !ours; db.MoveNext(header)) {
        ours = db.ReadColByName(header, QStringLiteral("ID")).toInt() == saleId &&
               textOf(db, header, u"数量") == receipt.totalQuantity &&
               textOf(db, header, u"金额") == receipt.discountedTotal &&
               textOf(db, header, u"收银员") == receipt.cashier;
    }
    db.CloseTable(header);
    if (!ours) {
        return SaleFound::Absent;
    }
    const int lines = db.OpenTable(sale_sql::linesOf(saleId));
    if (lines == 0) {
        return SaleFound::Unknown;
    }
    qsizetype i = 0;
    for (; !db.IsEOF(lines) && ours; db.MoveNext(lines), ++i) {
        ours = i < receipt.lines.size() && textOf(db, lines, u"名称") == receipt.lines[i].name &&
               textOf(db, lines, u"数量") == receipt.lines[i].quantity &&
               textOf(db, lines, u"金额") == receipt.lines[i].lineTotal;
    }
    db.CloseTable(lines);
    return ours && i == receipt.lines.size() ? SaleFound::Stored : SaleFound::Absent;
}

void SaleRecorder::settle(RecordOutcome& outcome, const Receipt& receipt) {
    const DatabaseWaitSpan wait;
    // Reading again makes the connection anew (the server's) or recovers the file's journal.
    SaleFound found = SaleFound::Unknown;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        found = findSale(db_, outcome.number, outcome.saleId, receipt);
        if (found != SaleFound::Unknown || waited.elapsed() >= settleWaitMs ||
            DatabaseWaitSpan::cancelled()) {
            break;
        }
        for (int i = 0; i < 10; ++i) {
            if (waiting_) {
                waiting_();
            }
            QThread::msleep(50);
        }
    }
    switch (found) {
        case SaleFound::Stored:
            outcome.stored = true;
            outcome.fault = DbFault::None;
            outcome.failure = RecordFailure::None;
            outcome.message.clear();
            break;
        case SaleFound::Absent:
            outcome.stored = false;
            outcome.fault = PostgresDriver::isServerUrl(db_.connectString().mid(5))
                                ? DbFault::Unreachable
                                : DbFault::Other;
            outcome.failure = RecordFailure::Database;
            outcome.message = failedText(outcome.fault, outcome.number);
            break;
        case SaleFound::Unknown:
            outcome.stored = false;
            outcome.fault = DbFault::CommitUnknown;
            outcome.failure = RecordFailure::Database;
            outcome.message = unsettledText(outcome.number);
            break;
    }
}

void SaleRecorder::rollback() {
    if (open_) {
        open_ = false;
        db_.RollbackTrans();
    }
}

RecordOutcome SaleRecorder::record(const Receipt& receipt) {
    // One wait to the cashier, up to the sale read back after a lost commit.
    const DatabaseWaitSpan wait;
    RecordOutcome outcome = insert(receipt);
    if (outcome.fault == DbFault::None) {
        commit(outcome);
    }
    EventLog::write(QStringLiteral("sale"),
                    QStringLiteral("%1 %2, %3 lines")
                        .arg(outcome.stored ? QStringLiteral("stored")
                                            : QStringLiteral("not stored (") +
                                                  dbFaultName(outcome.fault) + u')',
                             outcome.number)
                        .arg(receipt.lines.size()));
    return outcome;
}

}  // namespace tillora
