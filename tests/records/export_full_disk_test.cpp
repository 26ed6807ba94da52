// The export meeting a full disk or an earlier save's leftovers, as the cashier sees it.
#include "records/spreadsheet_export.h"

#include "tests/support/scripted_file_dialog.h"
#include "tests/support/scripted_message_service.h"
#include "tests/support/small_file_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace tillora::test {
namespace {

const QString kFailed = QStringLiteral("保存失败！错误代码：01");

QStringList titles() {
    return {QStringLiteral("序号"), QStringLiteral("名称"), QStringLiteral("金额")};
}

QList<QStringList> rows(int count) {
    QList<QStringList> list;
    for (int i = 0; i < count; ++i) {
        list.append({QString::number(i + 1), QStringLiteral("商品%1").arg(i),
                     QString::number(i % 97) + QStringLiteral(".50")});
    }
    return list;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ExportFullDisk : public ::testing::TestWithParam<const char*> {
  protected:
    QWidget owner;
    ScriptedFileDialog dialog;
    ScriptedMessageService messages;
};

TEST_P(ExportFullDisk, SaysItFailedAndKeepsTheReplacedFile) {
    SmallFileSystem disk(256);
    if (!disk.isMounted()) {
        GTEST_SKIP() << "mounting a small file system needs root";
    }
    const QString path = disk.file(QStringLiteral("销售记录") + QLatin1String(GetParam()));
    dialog.answer(path);
    ASSERT_EQ(exportToSpreadsheet(&owner, titles(), rows(3)), SpreadsheetExportOutcome::Saved);
    const QByteArray before = readAll(path);
    ASSERT_TRUE(disk.fill(QStringLiteral("filler"), disk.freeBytes() - 8192));

    messages.clear();
    dialog.answer(path);
    messages.answer(MessageResult::Yes);  // replace it
    EXPECT_EQ(exportToSpreadsheet(&owner, titles(), rows(30000)), SpreadsheetExportOutcome::Failed);
    ASSERT_EQ(messages.texts().size(), 2);
    EXPECT_EQ(messages.texts().last(), kFailed);
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{QStringLiteral("filler"), QFileInfo(path).fileName()}));
}

INSTANTIATE_TEST_SUITE_P(BothFormats, ExportFullDisk, ::testing::Values(".xls", ".xlsx"));

TEST(ExportLeftovers, ASaveClearsWhatAnInterruptedSaveLeftInItsFolder) {
    QTemporaryDir dir;
    QWidget owner;
    ScriptedFileDialog dialog;
    ScriptedMessageService messages;
    const QString leftover = dir.filePath(QStringLiteral("销售记录.xls.writing-Ab12Cd"));
    const QString users = dir.filePath(QStringLiteral("销售记录.xls.backup"));
    for (const QString& name : {leftover, users}) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    dialog.answer(dir.filePath(QStringLiteral("导出.xls")));
    EXPECT_EQ(exportToSpreadsheet(&owner, titles(), rows(3)), SpreadsheetExportOutcome::Saved);
    EXPECT_FALSE(QFile::exists(leftover));
    EXPECT_TRUE(QFile::exists(users));
}

}  // namespace
}  // namespace tillora::test
