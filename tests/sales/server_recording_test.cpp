// Tills sharing one database server: eight processes saving at once never lose a sale or give a
// number twice, and a server that stops in the middle of a sale or restarts is survived.
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "data/database_setup.h"
#include "data/odbcdb.h"
#include "data/server_setup.h"
#include "data/template_database.h"
#include "platform/clock.h"
#include "platform/jet_date.h"
#include "sales/receipt_numbering.h"
#include "sales/sale_recorder.h"
#include "tests/support/first_cell.h"
#include "tests/support/temp_program_folder.h"
#include "tests/support/test_server.h"

#include <unistd.h>

namespace tillora::test {
namespace {

using namespace Qt::StringLiterals;

// Sales per till: small for the test run; the acceptance run sets TILLORA_TILL_SALES=10000.
int salesPerTill() {
    const int n = qEnvironmentVariableIntValue("TILLORA_TILL_SALES");
    return n > 0 ? n : 100;
}

// Eight writers on one database; the seconds they took together.
double runTills(const QString& database, int tills, int each) {
    std::vector<std::unique_ptr<QProcess>> running;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < tills; ++i) {
        auto till = std::make_unique<QProcess>();
        till->setProgram(QString::fromUtf8(TILLORA_SALE_WRITER));
        till->setArguments({database, QString::number(each)});
        till->start();
        EXPECT_TRUE(till->waitForStarted(10000));
        running.push_back(std::move(till));
    }
    for (auto& till : running) {
        EXPECT_TRUE(till->waitForFinished(-1));
        EXPECT_EQ(till->exitCode(), 0) << till->readAllStandardError().toStdString();
    }
    return timer.elapsed() / 1000.0;
}

// Every sale stored whole, once, under a number of its own.
void expectWhole(ODBCDB& db, int expectedSales) {
    EXPECT_EQ(firstNumber(db, u"select count(*) from 销售记录"_s), expectedSales) << "lost sales";
    EXPECT_EQ(firstNumber(db, u"select count(*) from (select distinct 销售票号 from 销售记录) x"_s),
              expectedSales)
        << "a number given twice";
    EXPECT_EQ(firstNumber(db,
                          u"select count(*) from 销售记录 h where cast(h.数量 as integer) <> "
                          u"(select coalesce(sum(cast(d.数量 as integer)), 0) from 销售详情 d "
                          u"where d.关联 = h.ID)"_s),
              0)
        << "a header's 数量 differs from its lines";
}

TEST(ServerRecording, EightTillsSavingAtOnceLoseAndRepeatNothing) {
    TILLORA_NEED_TEST_SERVER();
    TestServerSchema schema;
    ASSERT_TRUE(schema.isValid()) << schema.error().toStdString();
    constexpr int kTills = 8;
    const int each = salesPerTill();
    const double serverSeconds = runTills(schema.url(), kTills, each);
    ODBCDB db;
    ASSERT_TRUE(db.NewOpenDatabase(schema.url(), false, true));
    expectWhole(db, 1 + kTills * each);

    // The same load on the embedded file, for the ratio (at most 1000 sales a till: the time
    // per sale is what is compared).
    TempProgramFolder folder;
    const QString path = databasePath(folder.path());
    ASSERT_TRUE(writeTemplateDatabase(path));
    const int fileEach = std::min(each, 1000);
    const double fileSeconds = runTills(path, kTills, fileEach);
    const double serverPerSale = serverSeconds / (kTills * each);
    const double filePerSale = fileSeconds / (kTills * fileEach);
    std::printf(
        "%d tills x %d sales: server %.0f sales/s (%.2f ms/sale); file (%d a till) %.0f "
        "sales/s (%.2f ms/sale); time per sale server/file = %.2f\n",
        kTills, each, 1 / serverPerSale, 1000 * serverPerSale, fileEach, 1 / filePerSale,
        1000 * filePerSale, serverPerSale / filePerSale);
}

// A cluster of this test's own, which it may stop and start.
class OwnServer {
  public:
    OwnServer() {
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(u"TILLORA_PG_DIR"_s, folder_.path() + u"/pg"_s);
        env_.insert(u"TILLORA_PG_PORT"_s, QString::number(56000 + ::getpid() % 1000));
        url_ = script(u"start"_s).trimmed();
    }
    ~OwnServer() {
        if (!url_.isEmpty()) {
            script(u"stop"_s);
        }
    }
    const QString& url() const { return url_; }
    QString script(const QString& action) {
        QProcess p;
        p.setProcessEnvironment(env_);
        p.start(u"bash"_s,
                {QString::fromUtf8(TILLORA_SCRIPTS_DIR) + u"/start_postgres.sh"_s, action});
        p.waitForFinished(120000);
        if (p.exitCode() != 0) {
            ADD_FAILURE() << "start_postgres.sh " << action.toStdString() << ": "
                          << p.readAllStandardError().toStdString();
            return {};
        }
        return QString::fromUtf8(p.readAllStandardOutput());
    }

  private:
    TempProgramFolder folder_;
    QProcessEnvironment env_;
    QString url_;
};

Receipt twoLineReceipt() {
    Receipt r;
    r.lines.append({u"1"_s, u"麦克风"_s, u"2"_s, u"10.00"_s, u"20.00"_s, u"20.00"_s});
    r.lines.append({u"2"_s, u"电源线"_s, u"1"_s, u"6.00"_s, u"6.00"_s, u"6.00"_s});
    r.totalQuantity = u"3"_s;
    r.discountedTotal = u"26.00"_s;
    r.cashier = u"admin"_s;
    return r;
}

TEST(ServerRecording, AStoppedServerLosesNoHalfSaleAndARestartedOneIsUsedAgain) {
    TILLORA_NEED_TEST_SERVER();
    OwnServer server;
    ASSERT_FALSE(server.url().isEmpty());
    ASSERT_TRUE(initialiseServer(server.url()).ok);
    ODBCDB db;
    ASSERT_TRUE(db.NewOpenDatabase(server.url(), false, true));
    const Clock::Override day(QDateTime(QDate(2016, 8, 18), QTime(12, 0)));
    ReceiptNumbering numbering(db);
    SaleRecorder recorder(db);
    recorder.setNumbering(&numbering);
    ASSERT_TRUE(recorder.record(twoLineReceipt()).stored);

    // Stopped between writing the sale and committing it.
    RecordOutcome outcome = recorder.insert(twoLineReceipt());
    ASSERT_EQ(outcome.fault, DbFault::None);
    server.script(u"stop"_s);
    EXPECT_FALSE(recorder.commit(outcome));
    EXPECT_FALSE(outcome.stored);
    EXPECT_EQ(outcome.fault, DbFault::Unreachable);
    EXPECT_TRUE(outcome.message.contains(u"数据库服务器"_s)) << outcome.message.toStdString();
    // While it is down a save fails with the same clear message.
    const RecordOutcome whileDown = recorder.record(twoLineReceipt());
    EXPECT_FALSE(whileDown.stored);
    EXPECT_EQ(whileDown.fault, DbFault::Unreachable);

    // Started again: the same connection object carries on.
    ASSERT_FALSE(server.script(u"start"_s).isEmpty());
    const RecordOutcome after = recorder.record(twoLineReceipt());
    EXPECT_TRUE(after.stored) << after.message.toStdString();
    EXPECT_EQ(after.number, u"1608180000003"_s);  // the number of the lost sale is free
    expectWhole(db, 3);  // the template's sale and the two stored ones, nothing half stored
}

// The recorder's promises, on the file and on the server alike.
enum class Engine { File, Server };

class RecordingOnBothEngines : public ::testing::TestWithParam<Engine> {
  protected:
    void SetUp() override {
        if (GetParam() == Engine::File) {
            const QString path = databasePath(folder.path());
            ASSERT_TRUE(writeTemplateDatabase(path));
            database = ODBCDB::accessConnectString(path);
        } else {
            TILLORA_NEED_TEST_SERVER();
            schema = std::make_unique<TestServerSchema>();
            ASSERT_TRUE(schema->isValid()) << schema->error().toStdString();
            database = schema->url();
        }
        ASSERT_TRUE(db.NewOpenDatabase(database, false, true));
    }
    void TearDown() override { Clock::setSource({}); }
    int number(const QString& sql) { return firstNumber(db, sql); }

    TempProgramFolder folder;
    std::unique_ptr<TestServerSchema> schema;
    QString database;
    ODBCDB db;
};

TEST_P(RecordingOnBothEngines, StoresTheSaleWholeUnderTheNextNumber) {
    const QDateTime clock(QDate(2016, 8, 18), QTime(21, 5, 9));
    Clock::setSource([clock] { return clock; });
    ReceiptNumbering numbering(db);
    SaleRecorder recorder(db);
    recorder.setNumbering(&numbering);
    Receipt r = twoLineReceipt();
    r.lines[1].name = u"O'Brien's \\cable"_s;
    r.remark = u"1.所购商品7日内凭购物小票调换\r\n2.'引号'"_s;
    const RecordOutcome outcome = recorder.record(r);
    ASSERT_TRUE(outcome.stored) << outcome.message.toStdString();
    EXPECT_EQ(outcome.number, u"1608180000002"_s);
    const QString id = QString::number(outcome.saleId);
    EXPECT_EQ(number(u"select count(*) from 销售详情 where 关联="_s + id), 2);
    EXPECT_EQ(firstText(db, u"select 销售时间 from 销售记录 where ID="_s + id),
              u"2016年8月18日21时5分9秒"_s);
    EXPECT_EQ(firstText(db, u"select 名称 from 销售详情 where 单价='6.00' and 关联="_s + id),
              r.lines[1].name);
    // The remark's trailing blank, placed by the statement, is kept.
    EXPECT_EQ(firstText(db, u"select 备注 from 销售记录 where ID="_s + id), r.remark + u" "_s);
    expectWhole(db, 2);
}

TEST_P(RecordingOnBothEngines, ANumberAlreadyStoredIsRefusedAndNothingKept) {
    SaleRecorder recorder(db);  // no numbering: the receipt's own number is stored
    Receipt r = twoLineReceipt();
    r.number = u"1608180000001"_s;
    const RecordOutcome outcome = recorder.record(r);
    EXPECT_FALSE(outcome.stored);
    EXPECT_EQ(outcome.fault, DbFault::Duplicate);
    EXPECT_TRUE(outcome.message.contains(u"1608180000001"_s));
    EXPECT_FALSE(db.inTransaction());
    expectWhole(db, 1);
}

TEST_P(RecordingOnBothEngines, ASecondTillWaitsForTheFirstAndTakesTheNextNumber) {
    ODBCDB other;
    ASSERT_TRUE(other.NewOpenDatabase(database, false, true));
    const Clock::Override day(QDateTime(QDate(2016, 8, 18), QTime(12, 0)));
    ReceiptNumbering firstNumbering(db);
    ReceiptNumbering secondNumbering(other);
    SaleRecorder first(db);
    SaleRecorder second(other);
    first.setNumbering(&firstNumbering);
    second.setNumbering(&secondNumbering);

    RecordOutcome held = first.insert(twoLineReceipt());  // holds the write lock, not committed
    ASSERT_EQ(held.fault, DbFault::None);
    int waits = 0;
    second.setWaiting([&] {
        if (waits++ == 0) {
            EXPECT_TRUE(first.commit(held));  // the first till finishes while the second waits
        }
    });
    const RecordOutcome next = second.record(twoLineReceipt());
    ASSERT_TRUE(next.stored) << next.message.toStdString();
    EXPECT_GT(waits, 0);
    EXPECT_EQ(held.number, u"1608180000002"_s);
    EXPECT_EQ(next.number, u"1608180000003"_s);
    expectWhole(db, 3);
}

INSTANTIATE_TEST_SUITE_P(, RecordingOnBothEngines, ::testing::Values(Engine::File, Engine::Server),
                         [](const auto& info) {
                             return info.param == Engine::File ? "File" : "Server";
                         });

}  // namespace
}  // namespace tillora::test
