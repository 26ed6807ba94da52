// A commit whose answer is lost: the server's connection dropped right after the commit went
// out (or before it could), the file failing between writing and confirming. The till reads
// the sale back and tells the truth; a sale is never stored twice.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <cstring>
#include <iostream>

#include <sys/stat.h>
#include <unistd.h>

#include "data/database_wait.h"
#include "data/postgres_connection.h"
#include "forms/component.h"
#include "forms/components/list_view.h"
#include "sales/sale_recorder.h"
#include "sales/sales_entry_window.h"
#include "sales/unsettled_sale.h"
#include "tests/sales/sales_fixture.h"
#include "tests/support/tcp_relay.h"
#include "tests/support/test_server.h"

namespace tillora::test {
namespace {

using namespace Qt::StringLiterals;

// The test server behind a relay that drops the connection at the next commit, after passing it
// on (the answer is lost) or before (the commit never arrives).
class DroppingRelay {
  public:
    enum class Drop { None, AfterCommit, BeforeCommit };

    explicit DroppingRelay(const QString& serverUrl)
        : relay_(serverUrl, [this](const char* data, std::size_t size) {
              if (memmem(data, size, "commit", 7) == nullptr) {
                  return TcpRelay::Action::Pass;
              }
              const Drop drop = drop_.exchange(Drop::None);
              return drop == Drop::AfterCommit    ? TcpRelay::Action::PassThenDrop
                     : drop == Drop::BeforeCommit ? TcpRelay::Action::Drop
                                                  : TcpRelay::Action::Pass;
          }) {}
    bool isValid() const { return relay_.isValid(); }
    void arm(Drop drop) { drop_ = drop; }
    bool dropped() const { return drop_ == Drop::None; }
    QString url() const { return relay_.url(); }

  private:
    std::atomic<Drop> drop_{Drop::None};
    TcpRelay relay_;
};

// The default file system of SQLite with faults to order: a failed sync of the database file
// (before the commit point: the journal rolls it back) or of the journal once it was emptied
// (after it: the sale stands), and reads that fail while the file is "away".
class FaultyFiles {
  public:
    // ...ThenAway: the file can't be read either after the failed sync, until `away` is reset.
    enum class Fail { None, FileSync, JournalSyncAfterCommit, JournalSyncAfterCommitThenAway };
    static inline std::atomic<Fail> fail{Fail::None};
    static inline std::atomic<bool> away{false};

    FaultyFiles() {
        base_ = sqlite3_vfs_find(nullptr);
        vfs_ = *base_;
        vfs_.zName = "faulty";
        vfs_.szOsFile = static_cast<int>(sizeof(File)) + base_->szOsFile;
        vfs_.pAppData = base_;
        vfs_.xOpen = &open;
        sqlite3_vfs_register(&vfs_, 1);
    }
    ~FaultyFiles() {
        sqlite3_vfs_unregister(&vfs_);
        sqlite3_vfs_register(base_, 1);
        fail = Fail::None;
        away = false;
    }

  private:
    struct File {
        sqlite3_file file;
        sqlite3_file* real;
        bool journal;
        bool emptied;
    };
    static sqlite3_file* real(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }
    static int open(sqlite3_vfs* vfs, const char* name, sqlite3_file* f, int flags, int* outFlags) {
        auto* base = static_cast<sqlite3_vfs*>(vfs->pAppData);
        auto* file = reinterpret_cast<File*>(f);
        file->real = reinterpret_cast<sqlite3_file*>(file + 1);
        file->journal = (flags & SQLITE_OPEN_MAIN_JOURNAL) != 0;
        file->emptied = false;
        const int rc = base->xOpen(base, name, file->real, flags, outFlags);
        file->file.pMethods = file->real->pMethods != nullptr ? &methods : nullptr;
        return rc;
    }
    static int close(sqlite3_file* f) { return real(f)->pMethods->xClose(real(f)); }
    static int read(sqlite3_file* f, void* p, int n, sqlite3_int64 at) {
        if (away) {
            return SQLITE_IOERR_READ;
        }
        return real(f)->pMethods->xRead(real(f), p, n, at);
    }
    static int write(sqlite3_file* f, const void* p, int n, sqlite3_int64 at) {
        reinterpret_cast<File*>(f)->emptied = false;
        return real(f)->pMethods->xWrite(real(f), p, n, at);
    }
    static int truncate(sqlite3_file* f, sqlite3_int64 size) {
        reinterpret_cast<File*>(f)->emptied = size == 0;
        return real(f)->pMethods->xTruncate(real(f), size);
    }
    static int sync(sqlite3_file* f, int flags) {
        const auto* file = reinterpret_cast<File*>(f);
        const Fail now = fail;
        const bool afterCommit =
            now == Fail::JournalSyncAfterCommit || now == Fail::JournalSyncAfterCommitThenAway;
        if ((now == Fail::FileSync && !file->journal) ||
            (afterCommit && file->journal && file->emptied)) {
            fail = Fail::None;
            away = now == Fail::JournalSyncAfterCommitThenAway;
            return SQLITE_IOERR_FSYNC;
        }
        return real(f)->pMethods->xSync(real(f), flags);
    }
    static int fileSize(sqlite3_file* f, sqlite3_int64* size) {
        return real(f)->pMethods->xFileSize(real(f), size);
    }
    static int lock(sqlite3_file* f, int level) { return real(f)->pMethods->xLock(real(f), level); }
    static int unlock(sqlite3_file* f, int level) {
        return real(f)->pMethods->xUnlock(real(f), level);
    }
    static int checkReserved(sqlite3_file* f, int* out) {
        return real(f)->pMethods->xCheckReservedLock(real(f), out);
    }
    static int control(sqlite3_file* f, int op, void* arg) {
        return real(f)->pMethods->xFileControl(real(f), op, arg);
    }
    static int sectorSize(sqlite3_file* f) { return real(f)->pMethods->xSectorSize(real(f)); }
    static int characteristics(sqlite3_file* f) {
        return real(f)->pMethods->xDeviceCharacteristics(real(f));
    }
    static const sqlite3_io_methods methods;
    static sqlite3_io_methods makeMethods() {
        sqlite3_io_methods m{};
        m.iVersion = 1;
        m.xClose = &close;
        m.xRead = &read;
        m.xWrite = &write;
        m.xTruncate = &truncate;
        m.xSync = &sync;
        m.xFileSize = &fileSize;
        m.xLock = &lock;
        m.xUnlock = &unlock;
        m.xCheckReservedLock = &checkReserved;
        m.xFileControl = &control;
        m.xSectorSize = &sectorSize;
        m.xDeviceCharacteristics = &characteristics;
        return m;
    }

    sqlite3_vfs* base_ = nullptr;
    sqlite3_vfs vfs_{};
};

const sqlite3_io_methods FaultyFiles::methods = FaultyFiles::makeMethods();

class LostCommit : public SalesFixture {
  protected:
    struct ShortSettleWait {
        ShortSettleWait() { SaleRecorder::setSettleWait(300); }
        ~ShortSettleWait() { SaleRecorder::setSettleWait(SaleRecorder::kSettleWaitMs); }
    } shortSettleWait;
    void openWithOneLine() {
        if (w == nullptr) {
            w = open(FormId::SalesEntry);
            ASSERT_NE(w, nullptr);
        }
        w->setText(u"编辑框_名称"_s, u"茶叶"_s);
        w->setText(u"编辑框_单价"_s, u"19.99"_s);
        w->setText(u"编辑框_数量"_s, u"2"_s);
        w->component(u"按钮_添加商品"_s)->raise(event::kClicked);
        messages.clear();
    }
    void save() { w->component(u"按钮_仅保存小票"_s)->raise(event::kClicked); }
    int rows() const { return dynamic_cast<ListView*>(w->component(u"超级列表框1"_s))->rowCount(); }
    int sales() { return number(u"select count(*) from 销售记录 where 金额='39.98'"_s); }
    QString newestNumber() {
        return text(u"select top 1 销售票号 from 销售记录 order by ID desc"_s);
    }
    int wholeSales() {  // with its one line
        return number(u"select count(*) from 销售详情 where 名称='茶叶'"_s) == sales() ? sales()
                                                                                       : -1;
    }

    FormWindow* w = nullptr;
};

// A server whose lost answers and idle sessions are a matter of a second, behind a relay that
// does `action` to the `at`th message a till sends from its sale's "begin" on (0 is the begin).
class ServerSale : public LostCommit {
  protected:
    static constexpr int kAtCommit = 1000;

    void SetUp() override {
        LostCommit::SetUp();
        TILLORA_NEED_TEST_SERVER();
        PostgresConnection::setLimits({.statementMs = 300,
                                       .answerMarginMs = 300,
                                       .connectMs = 1000,
                                       .idleInTransactionMs = 1000,
                                       .sessionEndMs = 2000});
        ASSERT_TRUE(schema.isValid()) << schema.error().toStdString();
        relay =
            std::make_unique<TcpRelay>(schema.url(), [this](const char* data, std::size_t size) {
                if (memmem(data, size, "begin", 6) != nullptr) {
                    message = 0;
                }
                const bool commit = memmem(data, size, "commit", 7) != nullptr;
                const bool cut = message >= 0 && (message++ == at || (commit && at == kAtCommit));
                if (commit) {
                    message = -1;
                }
                return cut && at.exchange(-1) != -1 ? action.load() : TcpRelay::Action::Pass;
            });
        ASSERT_TRUE(db.NewOpenDatabase(relay->url(), false, true));
    }
    void TearDown() override {
        db.CloseDatabase();
        PostgresConnection::setLimits({});
        LostCommit::TearDown();
    }
    void arm(int message, TcpRelay::Action what) {
        action = what;
        at = message;
    }

    TestServerSchema schema;
    std::unique_ptr<TcpRelay> relay;
    std::atomic<int> at{-1};
    std::atomic<int> message{-1};
    std::atomic<TcpRelay::Action> action{TcpRelay::Action::Pass};
};

// Tells how long the window's thread went without painting while it waited.
struct FreezeMeter : DatabaseWaitObserver {
    FreezeMeter() { previous = setDatabaseWaitObserver(this); }
    ~FreezeMeter() override {
        setDatabaseWaitObserver(previous);
        std::cout << "longest freeze of the window's thread: " << longest << " ms\n";
    }
    void begin(DatabaseWaitKind) override { last.start(); }
    bool progress(DatabaseWaitKind, int) override {
        longest = std::max(longest, last.restart());
        return true;
    }
    void end(DatabaseWaitKind) override { longest = std::max(longest, last.elapsed()); }

    DatabaseWaitObserver* previous = nullptr;
    QElapsedTimer last;
    qint64 longest = 0;
};

TEST_F(ServerSale, ConnectionCutAtEachMessageOfTheSaleStoresItOnceAndSaysSoTruly) {
    for (const TcpRelay::Action cut : {TcpRelay::Action::Drop, TcpRelay::Action::PassThenDrop}) {
        for (int index = 0;; ++index) {
            SCOPED_TRACE(testing::Message() << "cut " << int(cut) << " at message " << index);
            openWithOneLine();
            arm(index, cut);
            save();
            const bool wasCut = at == -1;
            arm(-1, cut);
            if (!messages.shown().empty()) {
                // Told not stored: it is not, and the next save stores it.
                EXPECT_EQ(messages.texts(),
                          QStringList{SaleRecorder::failedText(DbFault::Unreachable)});
                EXPECT_EQ(wholeSales(), 0);
                messages.clear();
                save();
                EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
            }
            EXPECT_EQ(rows(), 0);
            EXPECT_EQ(wholeSales(), 1);
            ASSERT_TRUE(db.ExecuteSql(u"delete from 销售记录"_s));
            if (!wasCut) {
                break;  // past the sale's last message
            }
        }
    }
}

TEST_F(ServerSale, CommitHeldOnTheWayIsEndedOnTheServerBeforeTheCashierIsTold) {
    const FreezeMeter freeze;
    openWithOneLine();
    arm(kAtCommit, TcpRelay::Action::Hold);
    save();
    // The held session was ended before the sale was looked for: "not stored" is the truth, even
    // once the held commit goes on.
    EXPECT_EQ(messages.texts(), QStringList{SaleRecorder::failedText(DbFault::Unreachable)});
    relay->release();
    QThread::msleep(100);
    EXPECT_EQ(wholeSales(), 0);
    messages.clear();
    save();
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(wholeSales(), 1);
}

TEST_F(ServerSale, HalfOpenTillHoldsAnotherTillOnlyUntilTheServerEndsItsSession) {
    openWithOneLine();
    arm(2, TcpRelay::Action::Hold);  // after the write lock was taken
    save();
    EXPECT_EQ(messages.texts(), QStringList{SaleRecorder::failedText(DbFault::Unreachable)});

    // The other till waits for the lock while the server ends the idle session.
    ODBCDB other;
    ASSERT_TRUE(other.NewOpenDatabase(schema.url(), false, true));
    Receipt receipt;
    receipt.number = u"B1"_s;
    receipt.lines = {{u"1"_s, u"饼干"_s, u"1"_s, u"5.00"_s, u"5.00"_s, u"5.00"_s}};
    receipt.totalQuantity = u"1"_s;
    receipt.discountedTotal = u"5.00"_s;
    receipt.cashier = u"管理员"_s;
    EXPECT_TRUE(SaleRecorder(other).record(receipt).stored);

    messages.clear();
    save();
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(wholeSales(), 1);
}

TEST_F(LostCommit, ServerConnectionDroppedAroundTheCommitIsSettledByReadingBack) {
    TILLORA_NEED_TEST_SERVER();
    TestServerSchema schema;
    ASSERT_TRUE(schema.isValid()) << schema.error().toStdString();
    DroppingRelay relay(schema.url());
    ASSERT_TRUE(relay.isValid());
    ASSERT_TRUE(db.NewOpenDatabase(relay.url(), false, true));
    openWithOneLine();

    // Committed, the answer lost: read back, reported stored, a new receipt begins.
    relay.arm(DroppingRelay::Drop::AfterCommit);
    save();
    EXPECT_TRUE(relay.dropped());
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(sales(), 1);

    // Dropped before the commit reached the server: not stored, said so, stored once on retry.
    openWithOneLine();
    relay.arm(DroppingRelay::Drop::BeforeCommit);
    save();
    EXPECT_TRUE(relay.dropped());
    EXPECT_EQ(messages.texts(), QStringList{SaleRecorder::failedText(DbFault::Unreachable)});
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(sales(), 1);
    messages.clear();
    save();
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(sales(), 2);
    db.CloseDatabase();
}

TEST_F(LostCommit, FileFailingAtTheCommitIsSettledByReadingBack) {
    FaultyFiles files;
    ASSERT_TRUE(db.OpenMdbDatabase(path));  // on the faulty file system
    openWithOneLine();

    // The journal emptied (the sale stands) but its sync failed.
    FaultyFiles::fail = FaultyFiles::Fail::JournalSyncAfterCommit;
    save();
    EXPECT_EQ(FaultyFiles::fail, FaultyFiles::Fail::None);
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(sales(), 1);

    // The file's own sync failed: the journal takes the sale back; said, and kept for a retry.
    openWithOneLine();
    FaultyFiles::fail = FaultyFiles::Fail::FileSync;
    save();
    EXPECT_EQ(messages.texts(), QStringList{SaleRecorder::failedText()});
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(sales(), 1);

    // Committed, then the file went away before it could be read back: neither stored nor
    // not stored is said, and the next save reads back first instead of storing it again.
    messages.clear();
    FaultyFiles::fail = FaultyFiles::Fail::JournalSyncAfterCommitThenAway;
    save();
    EXPECT_TRUE(FaultyFiles::away);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_TRUE(messages.texts().first().contains(u"不能确定本单是否已保存"_s))
        << messages.texts().first().toStdString();
    EXPECT_EQ(rows(), 1);
    FaultyFiles::away = false;
    EXPECT_EQ(sales(), 2);  // it was stored all along
    messages.clear();
    save();
    EXPECT_EQ(messages.texts(), QStringList{UnsettledSale::storedText(newestNumber())});
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(sales(), 2);
    db.CloseDatabase();
}

TEST_F(LostCommit, UncertainSaleIsSettledAfterARestartAndBeforeAChangedReceipt) {
    FaultyFiles files;
    ASSERT_TRUE(db.OpenMdbDatabase(path));
    const QString kept = folder.file(u"unsettled.json"_s);
    module->keepUnsettledSaleIn(kept);
    const auto saveUncertain = [&] {
        openWithOneLine();
        FaultyFiles::fail = FaultyFiles::Fail::JournalSyncAfterCommitThenAway;
        save();
        FaultyFiles::away = false;
        messages.clear();
    };
    saveUncertain();
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(kept).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // Closed (and told so), started again: settled before anything else.
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(messages.texts(), (QStringList{u"当前小票尚未保存，确定退出吗？"_s,
                                             UnsettledSale::closingText(newestNumber())}));
    module->keepUnsettledSaleIn(kept);
    messages.clear();
    w = open(FormId::SalesEntry);
    EXPECT_EQ(messages.texts(), QStringList{UnsettledSale::storedText(newestNumber())});
    EXPECT_FALSE(QFile::exists(kept));
    EXPECT_EQ(sales(), 1);

    // The receipt changed since: a sale of its own, once the cashier says so.
    saveUncertain();
    openWithOneLine();
    const QString earlier = newestNumber();
    messages.answer(MessageResult::Ok);
    messages.answer(MessageResult::No);
    save();
    EXPECT_EQ(messages.texts(),
              (QStringList{UnsettledSale::storedText(earlier), UnsettledSale::storeChangedText()}));
    EXPECT_EQ(rows(), 2);
    messages.clear();
    save();
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(number(u"select count(*) from 销售记录 where 金额='79.96'"_s), 1);

    // Not there after all: dropped with a word, and the receipt on screen is stored.
    UnsettledSale(kept).keep({u"X1"_s, 999, {}});
    module->keepUnsettledSaleIn(kept);
    openWithOneLine();
    save();
    EXPECT_EQ(messages.texts(), QStringList{UnsettledSale::droppedText(u"X1"_s)});
    EXPECT_EQ(sales(), 3);
    db.CloseDatabase();
}

}  // namespace
}  // namespace tillora::test
