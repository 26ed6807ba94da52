// The container and record structure of written files, and what a failed or cancelled save
// leaves behind.
#include "spreadsheet/spreadsheet_file.h"
#include "spreadsheet/biff8_workbook.h"
#include "spreadsheet/compound_file_writer.h"
#include "tests/spreadsheet/independent_readers.h"
#include "tests/spreadsheet/test_tables.h"
#include "tests/support/small_file_system.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace tillora::test {
namespace {

quint32 headerField(const QByteArray& file, int offset) {
    return qFromLittleEndian<quint32>(file.constData() + offset);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// A folder this process cannot create files in (root ignores permission bits: use /proc then).
QString unwritableFolder(const QTemporaryDir& dir) {
    const QString folder = dir.filePath(QStringLiteral("locked"));
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QFile probe(folder + QStringLiteral("/probe"));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        return QStringLiteral("/proc");
    }
    return folder;
}

struct Record {
    quint16 type;
    quint16 length;
};

std::vector<Record> records(const QByteArray& stream) {
    std::vector<Record> list;
    for (qsizetype at = 0; at + 4 <= stream.size();) {
        const Record r{qFromLittleEndian<quint16>(stream.constData() + at),
                       qFromLittleEndian<quint16>(stream.constData() + at + 2)};
        list.push_back(r);
        at += 4 + r.length;
    }
    return list;
}

TEST(CompoundFile, SmallStreamsLiveInTheMiniStreamLargeOnesUseDifatBeyond109FatSectors) {
    QTemporaryDir dir;
    const QString small = dir.filePath(QStringLiteral("small.xls"));
    const QString large = dir.filePath(QStringLiteral("large.xls"));
    ASSERT_EQ(SpreadsheetFile::write(small, threeSales()), SpreadsheetResult::Written);
    ASSERT_EQ(SpreadsheetFile::write(large, manyLines(100000)), SpreadsheetResult::Written);

    const QByteArray s = readAll(small);
    ASSERT_EQ(s.size() % CompoundFileWriter::kSectorSize, 0);
    const qsizetype workbookSize = Biff8Workbook::build(threeSales())->size();
    ASSERT_LT(workbookSize, qsizetype(CompoundFileWriter::kMiniStreamCutoff));
    EXPECT_EQ(headerField(s, 0x40), 1u);           // one mini FAT sector
    EXPECT_EQ(headerField(s, 0x48), 0u);           // no DIFAT
    EXPECT_EQ(headerField(s, 0x44), 0xFFFFFFFEu);  // end of chain

    const QByteArray l = readAll(large);
    EXPECT_EQ(headerField(l, 0x40), 0u);  // no mini FAT
    EXPECT_GT(headerField(l, 0x2C), 109u);
    const quint32 difat = headerField(l, 0x48);
    EXPECT_EQ(difat, (headerField(l, 0x2C) - 109 + 126) / 127);
    // Every sector the header counts is in the file, and no more.
    const quint32 fatSectors = headerField(l, 0x2C);
    EXPECT_LE((l.size() / 512 - 1 + 127) / 128, fatSectors);
    EXPECT_GT(l.size() / 512 - 1, qsizetype(fatSectors - 1) * 128);
}

TEST(Biff8Workbook, StringTableIsSplitIntoContinueRecordsAndNoRecordExceedsTheLimit) {
    const auto stream = Biff8Workbook::build(longChineseTexts(5000));
    ASSERT_TRUE(stream);
    int continues = 0;
    qsizetype total = 0;
    for (const Record& r : records(*stream)) {
        EXPECT_LE(r.length, 8224);
        continues += r.type == 0x003C;
        total += 4 + r.length;
    }
    EXPECT_GT(continues, 100);
    EXPECT_EQ(total, stream->size());  // the records tile the stream exactly
}

TEST(Biff8Workbook, RefusesMoreColumnsThanASheetHolds) {
    SpreadsheetTable wide;
    for (int c = 0; c < 257; ++c) {
        wide.titles << QString::number(c);
    }
    wide.rows.append(wide.titles);
    EXPECT_FALSE(Biff8Workbook::build(wide));
    QTemporaryDir dir;
    EXPECT_EQ(SpreadsheetFile::write(dir.filePath(QStringLiteral("wide.xls")), wide),
              SpreadsheetResult::Failed);
    EXPECT_TRUE(entries(dir.path()).isEmpty());
}

TEST(SpreadsheetFile, FormatFollowsTheSuffix) {
    EXPECT_EQ(SpreadsheetFile::formatFor(QStringLiteral("/a/b.XLSX")), SpreadsheetFormat::Xlsx);
    EXPECT_EQ(SpreadsheetFile::formatFor(QStringLiteral("/a/b.xls")), SpreadsheetFormat::Xls);
    EXPECT_EQ(SpreadsheetFile::formatFor(QStringLiteral("/a/b.xlsx.bak")), SpreadsheetFormat::Xls);
}

class FailedSave : public ::testing::TestWithParam<const char*> {
  protected:
    QString suffix() const { return QLatin1String(GetParam()); }
};

TEST_P(FailedSave, UnwritableFolderLeavesNothing) {
    QTemporaryDir dir;
    const QString folder = unwritableFolder(dir);
    const QString target = folder + QStringLiteral("/销售记录") + suffix();
    EXPECT_EQ(SpreadsheetFile::write(target, threeSales()), SpreadsheetResult::Failed);
    EXPECT_FALSE(QFile::exists(target));
    if (folder != QStringLiteral("/proc")) {
        EXPECT_TRUE(entries(folder).isEmpty());
    }
}

TEST_P(FailedSave, CancelLeavesNoFileAndAnExistingFileUntouched) {
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("fresh") + suffix());
    const QString existing = dir.filePath(QStringLiteral("existing") + suffix());
    {
        QFile old(existing);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    std::int64_t seen = 0;
    const auto cancelHalfway = [&seen](std::int64_t done, std::int64_t total) {
        seen = done;
        return done < total / 2;
    };
    const SpreadsheetTable table = manyLines(20000);
    EXPECT_EQ(SpreadsheetFile::write(fresh, table, cancelHalfway), SpreadsheetResult::Cancelled);
    EXPECT_GT(seen, 0);
    EXPECT_EQ(SpreadsheetFile::write(existing, table, cancelHalfway), SpreadsheetResult::Cancelled);
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("existing") + suffix()});
    EXPECT_EQ(readAll(existing), QByteArray("old contents"));

    // Saved over for real, the file holds the new list.
    EXPECT_EQ(SpreadsheetFile::write(existing, threeSales()), SpreadsheetResult::Written);
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("existing") + suffix()});
    QString error;
    const auto content = readWithXlrd(existing, &error);
    ASSERT_TRUE(content) << error.toStdString();
    EXPECT_EQ(firstDifference(expectedContent(threeSales(), 65536), *content).toStdString(), "");
}

TEST_P(FailedSave, FullDiskFailsAndLeavesTheOldFileByteForByte) {
    SmallFileSystem disk(256);
    if (!disk.isMounted()) {
        GTEST_SKIP() << "mounting a small file system needs root";
    }
    const QString existing = disk.file(QStringLiteral("销售记录") + suffix());
    const QString fresh = disk.file(QStringLiteral("新") + suffix());
    ASSERT_EQ(SpreadsheetFile::write(existing, threeSales()), SpreadsheetResult::Written);
    const QByteArray before = readAll(existing);
    ASSERT_TRUE(disk.fill(QStringLiteral("filler"), disk.freeBytes() - 8192));

    const SpreadsheetTable table = manyLines(20000);
    EXPECT_EQ(SpreadsheetFile::write(existing, table), SpreadsheetResult::Failed);
    EXPECT_EQ(SpreadsheetFile::write(fresh, table), SpreadsheetResult::Failed);
    EXPECT_EQ(readAll(existing), before);
    EXPECT_EQ(entries(disk.path()),
              (QStringList{QStringLiteral("filler"), QStringLiteral("销售记录") + suffix()}));
}

INSTANTIATE_TEST_SUITE_P(BothFormats, FailedSave, ::testing::Values(".xls", ".xlsx"));

}  // namespace
}  // namespace tillora::test
