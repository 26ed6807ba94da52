#include <gtest/gtest.h>

#include "platform/gbk_text.h"

namespace tillora {
namespace {

TEST(GbkText, ChineseTextRoundTripsWithKnownBytes) {
    const QString text = QStringLiteral("编辑框_密码 宋体 “admin” ，。");
    const auto gbk = unicodeToGbk(text);
    ASSERT_TRUE(gbk.has_value());
    // 编 is B1 E0 in GBK; each Chinese character takes two bytes.
    EXPECT_TRUE(gbk->startsWith(QByteArray("\xB1\xE0", 2)));
    EXPECT_EQ(gbk->size(), 31);
    const auto back = gbkToUnicode(*gbk);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, text);
}

TEST(GbkText, AsciiAndEmptyPassThrough) {
    EXPECT_EQ(unicodeToGbk(u"admin 123"), QByteArray("admin 123"));
    EXPECT_EQ(gbkToUnicode(QByteArray()), QString());
    EXPECT_EQ(unicodeToGbk(QString()), QByteArray());
}

TEST(GbkText, StrictFormsRefuseWhatGbkCannotHold) {
    // A lead byte with nothing after it, and a lead byte followed by an invalid trail byte.
    EXPECT_FALSE(gbkToUnicode(QByteArray("ab\xB1", 3)).has_value());
    EXPECT_FALSE(gbkToUnicode(QByteArray("\xB1\x20", 2)).has_value());
    // Emoji (a surrogate pair) and a lone surrogate have no GBK form.
    EXPECT_FALSE(unicodeToGbk(QString::fromUtf8("价\xF0\x9F\x98\x80")).has_value());
    EXPECT_FALSE(unicodeToGbk(QString(QChar(0xD800))).has_value());
}

TEST(GbkText, LossyFormsReplaceAndGoOn) {
    EXPECT_EQ(gbkToUnicodeLossy(QByteArray("a\xB1\x20z", 4)).front(), QLatin1Char('a'));
    EXPECT_TRUE(gbkToUnicodeLossy(QByteArray("a\xB1\x20z", 4)).contains(QChar(0xFFFD)));
    EXPECT_TRUE(gbkToUnicodeLossy(QByteArray("a\xB1\x20z", 4)).endsWith(QLatin1Char('z')));
    const QByteArray gbk = unicodeToGbkLossy(QString::fromUtf8("价\xF0\x9F\x98\x80元"));
    EXPECT_EQ(gbk, *unicodeToGbk(u"价") + "?" + *unicodeToGbk(u"元"));
}

}  // namespace
}  // namespace tillora
