// Real tills as separate processes on one database file: two saving at once never give one
// receipt number twice, and a till killed at any moment of a save leaves the file whole.
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <csignal>
#include <random>

#include "data/database_setup.h"
#include "data/sqlite_connection.h"
#include "data/template_database.h"
#include "tests/support/other_program.h"
#include "tests/support/temp_program_folder.h"

namespace tillora::test {
namespace {

using namespace Qt::StringLiterals;

// Reads the file as a fresh program would: a journal left by a killed till is rolled back first.
class Inspector : public OtherProgram {
  public:
    explicit Inspector(const QString& path) : OtherProgram(path) {
        sqlite3_busy_timeout(handle(), 5000);
        SqliteConnection::registerJetFunctions(handle());
    }
};

// What must hold after any interruption: the file is whole, every sale has exactly its lines,
// no line lost its sale, no number is stored twice.
void expectConsistent(const QString& path, const std::string& when) {
    Inspector file(path);
    EXPECT_EQ(file.text("PRAGMA integrity_check"), u"ok"_s) << when;
    EXPECT_EQ(file.number("SELECT count(*) FROM 销售记录 h WHERE CAST(h.数量 AS INTEGER) <> "
                          "(SELECT coalesce(sum(CAST(d.数量 AS INTEGER)), 0) FROM 销售详情 d "
                          "WHERE d.关联 = h.ID)"),
              0)
        << when << ": a header's 数量 differs from its lines";
    EXPECT_EQ(file.number("SELECT count(*) FROM 销售记录 h WHERE NOT EXISTS "
                          "(SELECT 1 FROM 销售详情 d WHERE d.关联 = h.ID)"),
              0)
        << when << ": a sale without lines";
    EXPECT_EQ(
        file.number("SELECT count(*) FROM 销售详情 WHERE 关联 NOT IN (SELECT ID FROM 销售记录)"), 0)
        << when << ": orphan lines";
    EXPECT_EQ(file.number("SELECT count(*) FROM (SELECT 销售票号 FROM 销售记录 "
                          "GROUP BY 销售票号 COLLATE BINARY HAVING count(*) > 1)"),
              0)
        << when << ": a number stored twice";
}

class RecordingProcesses : public ::testing::Test {
  protected:
    void SetUp() override {
        path = databasePath(folder.path());
        ASSERT_TRUE(writeTemplateDatabase(path));
    }
    void start(QProcess& till, int count) {
        till.setProgram(QString::fromUtf8(TILLORA_SALE_WRITER));
        till.setArguments({path, QString::number(count)});
        till.start();
        ASSERT_TRUE(till.waitForStarted(10000));
    }
    int sales() { return Inspector(path).number("SELECT count(*) FROM 销售记录"); }

    TempProgramFolder folder;
    QString path;
};

TEST_F(RecordingProcesses, TwoTillsSavingAtOnceNeverShareANumber) {
    constexpr int kEach = 1000;
    const int before = sales();
    QProcess first, second;
    start(first, kEach);
    start(second, kEach);
    for (QProcess* till : {&first, &second}) {
        ASSERT_TRUE(till->waitForFinished(240000));
        EXPECT_EQ(till->exitCode(), 0) << till->readAllStandardError().toStdString();
    }
    EXPECT_EQ(sales(), before + 2 * kEach);
    expectConsistent(path, "after both tills");
    // Today's numbers run 1..2000 without a gap: each was the highest so far plus one.
    Inspector file(path);
    EXPECT_EQ(file.number("SELECT count(DISTINCT 销售票号) FROM 销售记录 WHERE ID > 401"),
              2 * kEach);
    EXPECT_EQ(file.text("SELECT max(substr(销售票号, 7)) FROM 销售记录 WHERE ID > 401"),
              u"0002000"_s);
}

TEST_F(RecordingProcesses, KilledMidSaveLeavesEverySaleWholeOrAbsent) {
    const int kills = qEnvironmentVariableIntValue("TILLORA_KILL_COUNT") > 0
                          ? qEnvironmentVariableIntValue("TILLORA_KILL_COUNT")
                          : 200;
    std::mt19937 rng(12);
    std::uniform_int_distribution<int> delayUs(0, 30000);
    const int before = sales();
    for (int i = 0; i < kills && !HasFailure(); ++i) {
        QProcess till;
        start(till, 0);
        ASSERT_TRUE(till.waitForReadyRead(20000)) << till.readAllStandardError().toStdString();
        QThread::usleep(static_cast<unsigned long>(delayUs(rng)));
        ::kill(static_cast<pid_t>(till.processId()), SIGKILL);
        till.waitForFinished(10000);
        expectConsistent(path, "after kill " + std::to_string(i + 1));
    }
    EXPECT_GE(sales(), before + kills);  // every till stored at least its first sale
}

}  // namespace
}  // namespace tillora::test
