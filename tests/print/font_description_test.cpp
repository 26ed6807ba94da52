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
    const QByteArray block = d.toBlock();
    ASSERT_EQ(block.size(), 60);
    const FontDescription back = FontDescription::fromBlock(block);
    EXPECT_EQ(back.height, -16);
    EXPECT_EQ(back.weight, 700);
    EXPECT_TRUE(back.italic);
    EXPECT_EQ(back.faceName, QStringLiteral("新宋体"));
    EXPECT_EQ(FontDescription::fromBlock({}).pixelHeight(), 12);
}

}  // namespace
}  // namespace tillora
