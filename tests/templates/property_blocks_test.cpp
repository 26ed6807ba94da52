#include <gtest/gtest.h>

#include <QtEndian>

#include <functional>

#include "templates/property_blocks.h"

namespace tillora {
namespace {

QByteArray withVersion(QByteArray block, qint32 version) {
    qToLittleEndian<qint32>(version, block.data());
    return block;
}

// For every type: an empty block gives the defaults, the latest version writes and reads back,
// a higher version and a block cut short anywhere are refused.
template <typename T>
void checkBlockType(const T& sample) {
    T fromEmpty;
    fromEmpty = sample;
    ASSERT_TRUE(parse(QByteArray(), fromEmpty));
    EXPECT_EQ(fromEmpty, T{});

    const QByteArray bytes = write(sample);
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData()), T::kVersion);
    T back;
    ASSERT_TRUE(parse(bytes, back));
    EXPECT_EQ(back, sample);

    T refused = sample;
    EXPECT_FALSE(parse(withVersion(bytes, T::kVersion + 1), refused));
    EXPECT_FALSE(parse(withVersion(bytes, 0), refused));
    for (qsizetype n = 1; n < bytes.size(); ++n) {
        ASSERT_FALSE(parse(bytes.first(n), refused)) << "cut at " << n;
    }
    EXPECT_FALSE(parse(bytes + QByteArray(1, '\0'), refused));
    EXPECT_EQ(refused, sample);  // a refused block leaves the target alone
}

TEST(PropertyBlocks, EveryTypeHasDefaultsRoundTripsAndRefusesBadBlocks) {
    const Font song = makeFont(QStringLiteral("宋体"), 14);
    {
        SCOPED_TRACE("window");
        WindowBlock b;
        b.title = QStringLiteral("登录");
        b.border = 4;
        b.backColour = kWhite;
        checkBlockType(b);
    }
    {
        SCOPED_TRACE("edit box");
        EditBoxBlock b;
        b.content = QStringLiteral("内容");
        b.inputMode = 10;
        b.passwordChar = u'#';
        b.font = song;
        checkBlockType(b);
    }
    {
        SCOPED_TRACE("label");
        LabelBlock b;
        b.caption = QStringLiteral("用户名：");
        b.textColour = rgbColour(0, 0, 255);
        b.reserved[7] = 9;
        b.font = song;
        checkBlockType(b);
    }
    {
        SCOPED_TRACE("button");
        ButtonBlock b;
        b.caption = QStringLiteral("登录");
        b.picture = QByteArray("\x89PNG", 4);
        checkBlockType(b);
    }
    {
        SCOPED_TRACE("check box");
        CheckBoxBlock b;
        b.caption = QStringLiteral("下次直接登录");
        b.checked = 1;
        checkBlockType(b);
    }
    {
        SCOPED_TRACE("radio box");
        RadioBoxBlock b;
        b.caption = QStringLiteral("现金");
        checkBlockType(b);
    }
    {
        SCOPED_TRACE("combo box");
        ComboBoxBlock b;
        b.items = {QStringLiteral("admin"), QStringLiteral("收银员")};
        b.itemValues = {7};
        b.currentItem = 1;
        checkBlockType(b);
    }
    {
        SCOPED_TRACE("group box");
        GroupBoxBlock b;
        b.caption = QStringLiteral("打印设置");
        checkBlockType(b);
    }
    {
        SCOPED_TRACE("picture box");
        PictureBoxBlock b;
        b.picture = QByteArray(100, 'x');
        checkBlockType(b);
    }
    {
        SCOPED_TRACE("shape box");
        ShapeBoxBlock b;
        b.shape = 1;
        checkBlockType(b);
    }
    {
        SCOPED_TRACE("timer");
        TimerBlock b;
        b.interval = 250;
        checkBlockType(b);
    }
    {
        SCOPED_TRACE("common dialog");
        CommonDialogBlock b;
        b.kind = 1;
        b.filter = QStringLiteral("*.xls|*.xls|*.*|*.*");
        b.defaultExtension = QStringLiteral(".xls");
        checkBlockType(b);
    }
    {
        SCOPED_TRACE("list view");
        ListViewBlock b;
        b.columns = {{0, -1, 0, 50, QStringLiteral("序号")},
                     {0, -1, 2, 165, QStringLiteral("        商品名称")}};
        b.font = song;
        checkBlockType(b);
    }
    {
        SCOPED_TRACE("tab control");
        TabControlBlock b;
        b.pages = {{QStringLiteral("打印设置"), kBlack, kDefaultColour, 1},
                   {QStringLiteral("用户"), kBlack, kWhite, 3}};
        b.font = song;
        checkBlockType(b);
    }
}

TEST(PropertyBlocks, EmptyComboBoxIsAnEditableDropDownWithoutItems) {
    ComboBoxBlock b;
    ASSERT_TRUE(parse(QByteArray(), b));
    EXPECT_EQ(b.style, 1);
    EXPECT_TRUE(b.items.isEmpty());
    EXPECT_EQ(b.currentItem, -1);
    EXPECT_EQ(b.backColour, kWhite);
}

TEST(PropertyBlocks, OlderWindowBlocksLackTheLaterInts) {
    WindowBlock latest;
    latest.title = QStringLiteral("Tillora");
    latest.options = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    latest.reserved18 = 11;
    latest.text1 = QStringLiteral("t");
    const QByteArray v6 = write(latest);
    // Bytes of the ints and text that each version added, from the end of the fixed part.
    const qsizetype optionsAt = 4 + 7 * 4;
    auto older = [&](int version, int options, bool int18) {
        QByteArray b = withVersion(v6.first(optionsAt), version);
        b += v6.sliced(optionsAt, options * 4);
        if (int18) {
            b += v6.sliced(optionsAt + 40, 4);
        }
        b += v6.sliced(optionsAt + 44 + 4 + 1);  // past the version-6 text (length 1)
        return b;
    };
    struct Case {
        int version;
        int options;
        bool int18;
    };
    for (const Case c : {Case{1, 6, false}, Case{2, 7, false}, Case{3, 9, false},
                         Case{4, 10, false}, Case{5, 10, true}}) {
        SCOPED_TRACE(c.version);
        WindowBlock b;
        ASSERT_TRUE(parse(older(c.version, c.options, c.int18), b));
        EXPECT_EQ(b.title, QStringLiteral("Tillora"));
        EXPECT_EQ(b.options[size_t(c.options - 1)], c.options);
        if (c.options < 10) {
            EXPECT_EQ(b.options[size_t(c.options)], WindowBlock{}.options[size_t(c.options)]);
        }
        EXPECT_EQ(b.reserved18, c.int18 ? 11 : 0);
        EXPECT_TRUE(b.text1.isEmpty());
    }
}

TEST(PropertyBlocks, CheckBoxVersionOneHasNoTrailingTexts) {
    RadioBoxBlock radio;
    radio.caption = QStringLiteral("模糊查找");
    radio.checked = 1;
    CheckBoxBlock check;
    ASSERT_TRUE(parse(write(radio), check));  // same layout as a version-1 check box
    EXPECT_EQ(check.caption, radio.caption);
    EXPECT_EQ(check.checked, 1);
}

TEST(PropertyBlocks, FontsAreEmptyOrSixtyBytesWithGbkFaceNames) {
    const LogFont font = makeFont(QStringLiteral("新宋体"), 12, 700);
    const QByteArray bytes = writeLogFont(font);
    ASSERT_EQ(bytes.size(), 60);
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData()), -12);
    EXPECT_EQ(static_cast<unsigned char>(bytes[23]), 134);
    LogFont back;
    ASSERT_TRUE(parseLogFont(bytes, back));
    EXPECT_EQ(back, font);

    // A face name too long for 31 bytes is cut between characters, never inside one.
    LogFont longName = font;
    longName.faceName = QString(20, QChar(0x5B8B));  // 宋 x 20 = 40 GBK bytes
    ASSERT_TRUE(parseLogFont(writeLogFont(longName), back));
    EXPECT_EQ(back.faceName, QString(15, QChar(0x5B8B)));

    EXPECT_FALSE(parseLogFont(bytes.first(59), back));
    QByteArray unterminated = bytes;
    unterminated.replace(28, 32, QByteArray(32, 'A'));
    EXPECT_FALSE(parseLogFont(unterminated, back));

    EditBoxBlock edit;
    edit.font = font;
    QByteArray block = write(edit);
    // The font's length field sits after the 16 ints and the 16-bit password character.
    const qsizetype at = 4 + 15 * 4 + 2;
    ASSERT_EQ(qFromLittleEndian<qint32>(block.constData() + at), 60);
    qToLittleEndian<qint32>(30, block.data() + at);
    EXPECT_FALSE(parse(block, edit));
}

TEST(PropertyBlocks, TypesWithoutPropertiesAcceptOnlyAnEmptyBlock) {
    for (ComponentType t :
         {ComponentType::Database, ComponentType::DateBox, ComponentType::SpreadsheetApplication}) {
        EXPECT_EQ(rewritePropertyBlock(t, QByteArray()), QByteArray());
        EXPECT_FALSE(rewritePropertyBlock(t, QByteArray(4, '\1')).has_value());
    }
    EXPECT_EQ(propertyBlockVersion(ComponentType::TabControl), 7);
    EXPECT_EQ(propertyBlockVersion(ComponentType::Printer), 1);
    EXPECT_EQ(propertyBlockVersion(ComponentType::Database), 0);
}

}  // namespace
}  // namespace tillora
