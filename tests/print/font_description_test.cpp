// The drawing surfaces' view of the 60-byte font record.
#include <gtest/gtest.h>

#include "print/font_description.h"

namespace tillora {
namespace {

TEST(FontDescriptionTest, RecordRoundTripsWithAChineseFaceName) {
    FontDescription d;
    d.height = -16;
    d.weight = 700;
    d.italic = true;
    d.faceName = QStringLiteral("新宋体");
    const QByteArray block = d.toBlock().value();
    ASSERT_EQ(block.size(), 60);
    const FontDescription back = FontDescription::fromBlock(block);
    EXPECT_EQ(back.height, -16);
    EXPECT_EQ(back.weight, 700);
    EXPECT_TRUE(back.italic);
    EXPECT_EQ(back.faceName, QStringLiteral("新宋体"));
    EXPECT_EQ(FontDescription::fromBlock({}).height, -12);
}

TEST(FontDescriptionTest, FaceWithoutGbkFormIsRefusedAndADamagedRecordDrawsTheDefault) {
    FontDescription d;
    d.faceName = QString::fromUtf8("宋体\xF0\x9F\x98\x80");  // an emoji has no GBK form
    EXPECT_FALSE(d.toBlock().has_value());

    d.faceName = QStringLiteral("黑体");
    d.height = -20;
    QByteArray block = d.toBlock().value();
    block[28] = static_cast<char>(0xB1);  // a lead byte followed by a blank: not GBK
    block[29] = ' ';
    const FontDescription back = FontDescription::fromBlock(block);
    EXPECT_EQ(back.faceName, QStringLiteral("宋体"));
    EXPECT_EQ(back.height, -12);
}

}  // namespace
}  // namespace tillora
