// Data initialisation with its backup and failure paths, and the reprint of a stored sale.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "formset/sales_records_handles.h"
#include "print/printer.h"
#include "records/data_initialiser.h"
#include "records/sale_reprint.h"
#include "sales/sales_entry_window.h"
#include "tests/print/scripted_print_dialog.h"
#include "tests/records/records_fixture.h"
#include "tests/support/keyboard.h"

namespace tillora::test {
namespace {

QByteArray bytesOf(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class InitialiseTest : public RecordsFixture {
  protected:
    int sales() { return number_(QStringLiteral("select count(*) from 销售记录")); }
    QString integrity(const QString& file) {
        ODBCDB other;
        if (!other.OpenMdbDatabase(file)) {
            return {};
        }
        const int h = other.OpenTable(QStringLiteral("pragma integrity_check"));
        const QString result = other.ReadColByIndex(h, 1).toText();
        other.CloseTable(h);
        return result;
    }
};

TEST_F(InitialiseTest, BacksUpThenPutsTheTemplateInPlace) {
    FormWindow* entry = open(FormId::SalesEntry);
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(db.ExecuteSql(QStringLiteral("update 配置文件 set 店名='小店' where ID=1")));
    SalesEntryWindow::of(entry)->start();
    openRecords();
    db.CloseDatabase();  // the bytes as they are on disk, nothing pending
    const QByteArray before = bytesOf(path);
    ASSERT_TRUE(db.OpenMdbDatabase(path));

    const QString backup = folder.file(QStringLiteral("backup.mdb"));
    files.answer(backup);
    click(recordsWindow, "按钮_管理数据");
    EXPECT_EQ(messages.texts(), (QStringList{QStringLiteral("确定初始化吗,并备份数据吗 ？"),
                                             QStringLiteral("初始化完成，并已备份！")}));
    // Enter on the question keeps the data.
    EXPECT_EQ(messages.shown().front().flags & MessageFlags::DefaultButtonMask,
              MessageFlags::DefaultButton2);
    ASSERT_EQ(files.requests().size(), 1);
    const FileDialogRequest& asked = files.requests().front();
    EXPECT_EQ(asked.kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(asked.filter, QStringLiteral("*.mdb|*.*"));
    EXPECT_EQ(asked.defaultExtension, QStringLiteral(".mdb"));
    EXPECT_TRUE(asked.initialPath.endsWith(QStringLiteral("查询结果")));

    EXPECT_EQ(bytesOf(backup), before);
    EXPECT_EQ(integrity(backup), QStringLiteral("ok"));
    // The program runs on the template: its one sale, and every window shows it.
    EXPECT_EQ(sales(), 1);
    EXPECT_EQ(ids(recordsWindow), QList<int>{});
    EXPECT_EQ(entry->text(QStringLiteral("编辑框_店名")), QStringLiteral("Korvane"));
    EXPECT_EQ(entry->text(QStringLiteral("编辑框_单号")), QStringLiteral("1608200000001"));
    // The export keeps its own file type.
    EXPECT_EQ(SalesRecordsHandles(*recordsWindow).通用对话框1.filter(),
              QStringLiteral("*.xls|*.xls"));
}

TEST_F(InitialiseTest, NoOrCancelChangesNothing) {
    openRecords();
    messages.answer(MessageResult::No);
    click(recordsWindow, "按钮_管理数据");
    EXPECT_TRUE(files.requests().isEmpty());
    files.answer(QString());
    click(recordsWindow, "按钮_管理数据");
    EXPECT_EQ(files.requests().size(), 1);
    EXPECT_EQ(messages.texts().size(), 2);
    EXPECT_EQ(sales(), 5);
}

// Initialisation deletes every sale and user: an ordinary user at the keyboard is refused before
// any question, and nothing is written.
TEST_F(InitialiseTest, OrdinaryUserIsRefused) {
    logIn(QStringLiteral("张三"), QStringLiteral("普通用户"));
    openRecords();
    ASSERT_TRUE(Keyboard::activate(recordsWindow));
    const QStringList before = stored();
    files.answer(folder.file(QStringLiteral("b.mdb")));
    recordsWindow->component(QStringLiteral("按钮_管理数据"))->widget()->setFocus();
    Keyboard(recordsWindow).press(Qt::Key_Space);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("只有管理员才有初始化数据的权限！")});
    EXPECT_TRUE(files.requests().isEmpty());
    EXPECT_EQ(stored(), before);
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("b.mdb"))));
}

TEST_F(InitialiseTest, ABackupThatCannotBeMadeStopsEverything) {
    openRecords();
    for (const QString& target : {folder.file(QStringLiteral("no/such/folder/b.mdb")), path}) {
        SCOPED_TRACE(target.toStdString());
        messages.clear();
        files.answer(target);
        click(recordsWindow, "按钮_管理数据");
        EXPECT_EQ(messages.texts().value(1), QStringLiteral("保存失败！"));
        EXPECT_EQ(sales(), 5);
        EXPECT_EQ(ids(recordsWindow), (QList<int>{late, midnight}));
    }
}

TEST_F(InitialiseTest, AFailedTemplatePutsTheOldDatabaseBack) {
    const QString backup = folder.file(QStringLiteral("b.mdb"));
    const std::function<bool(const QString&)> writers[] = {
        [](const QString&) { return false; },
        // Written, but no database the program can open.
        [](const QString& p) {
            QFile f(p);
            return f.open(QIODevice::WriteOnly) && f.write("not a database") > 0;
        },
    };
    for (const auto& writer : writers) {
        QFile::remove(backup);
        EXPECT_EQ(DataInitialiser::run(db, path, backup, writer), DataInitialiser::Outcome::Failed);
        ASSERT_TRUE(db.isOpen());
        EXPECT_EQ(sales(), 5);
        EXPECT_TRUE(QFile::exists(backup));
        // The old file is not left aside under another name.
        EXPECT_TRUE(QDir(folder.path()).entryList({QStringLiteral("*before*")}).isEmpty());
    }
}

class ReprintTest : public RecordsFixture {};

QString pdfText(const QString& pdf) {
    QProcess p;
    p.start(QStandardPaths::findExecutable(QStringLiteral("pdftotext")),
            {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST_F(ReprintTest, ReprintShowsTheStoredLinesAndSaysSo) {
    const QString pdf = folder.file(QStringLiteral("reprint.pdf"));
    Printer::setOutputFileOverride(pdf);
    ScriptedPrintDialog dialogs;
    ASSERT_TRUE(db.ExecuteSql(
        QStringLiteral("update 销售记录 set 付款方式='微信', 实收现金='50.00', 找零='10.01' "
                       "where ID=") +
        QString::number(late)));
    openRecords();
    SalesRecordsWindow::of(recordsWindow)->selectSale(late);
    SalesRecordsWindow::of(recordsWindow)->reprintSelected();
    Printer::setOutputFileOverride({});
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    const QString text = pdfText(pdf);
    qsizetype from = 0;
    for (const char* part : {"单号：",     "1608200000002", "重印",           "时间：",
                             "2016-08-20", "23:59:00",      "mkf-麦克风",     "2",
                             "10.00",      "20.00",         "茶叶",           "19.99",
                             "合计数量:3", "总额:39.99",    "折后总额:39.99", "实收现金:50.00",
                             "找零:10.01", "收银员:admin",  "付款方式:微信",  "谢谢惠顾"}) {
        const qsizetype at = text.indexOf(QString::fromUtf8(part), from);
        EXPECT_GE(at, 0) << part << "\n" << text.toStdString();
        from = at < 0 ? from : at;
    }
    // Nothing recorded.
    EXPECT_EQ(number_(QStringLiteral("select count(*) from 销售记录")), 5);
}

TEST_F(ReprintTest, ReceiptOfAStoredSale) {
    const std::optional<Receipt> r = SaleReprint::receiptOf(db, early);
    ASSERT_TRUE(r.has_value());
    EXPECT_TRUE(r->reprint);
    EXPECT_EQ(r->lines.size(), 3);
    EXPECT_EQ(r->totalAmount, QStringLiteral("386.00"));
    EXPECT_EQ(r->discountedTotal, QStringLiteral("386.00"));
    EXPECT_EQ(r->totalQuantity, QStringLiteral("3"));
    // Stored before payments were kept: unknown, printed empty.
    EXPECT_TRUE(r->paymentMethod.isEmpty() && r->cashReceived.isEmpty() && r->change.isEmpty());
    EXPECT_FALSE(SaleReprint::receiptOf(db, 99999).has_value());
}

}  // namespace
}  // namespace tillora::test
