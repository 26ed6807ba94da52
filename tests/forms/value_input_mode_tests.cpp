#include <gtest/gtest.h>

#include "forms/input_mode.h"

namespace tillora {
namespace {

TEST(InputMode, TypedCharactersAreFilteredByMode) {
    // For each mode: the characters of "-.5a中" it lets through.
    const struct {
        InputMode mode;
        const char* accepted;
    } cases[] = {
        {InputMode::Normal, "-.5a中"},   {InputMode::ReadOnly, "-.5a中"},
        {InputMode::Password, "-.5a中"}, {InputMode::DateTime, "-.5a中"},
        {InputMode::IntegerText, "-5"},  {InputMode::Short, "-5"},
        {InputMode::Integer, "-5"},      {InputMode::Long, "-5"},
        {InputMode::DecimalText, "-.5"}, {InputMode::Float, "-.5"},
        {InputMode::Double, "-.5"},      {InputMode::Byte, "5"},
    };
    const QString probe = QStringLiteral("-.5a中");
    for (const auto& c : cases) {
        QString accepted;
        for (QChar ch : probe) {
            if (inputModeAccepts(c.mode, ch.unicode())) {
                accepted += ch;
            }
        }
        EXPECT_EQ(accepted, QString::fromUtf8(c.accepted)) << int(c.mode);
        // Editing keys (backspace, paste, enter) always pass.
        for (char32_t control : {U'\b', U'\x16', U'\r'}) {
            EXPECT_TRUE(inputModeAccepts(c.mode, control)) << int(c.mode);
        }
    }
    EXPECT_FALSE(inputModeAccepts(InputMode::Double, U'５'));
}

TEST(InputMode, LeavingTheBoxWritesTheCanonicalForm) {
    const struct {
        InputMode mode;
        const char* typed;
        const char* shown;
    } cases[] = {
        {InputMode::Double, "12.50", "12.5"},
        {InputMode::Double, "0.00", ""},
        {InputMode::Double, "-0", ""},
        {InputMode::Double, "", ""},
        {InputMode::Double, "abc", ""},
        {InputMode::Double, "１２．５", "12.5"},
        {InputMode::Double, "1234567890123456", "1.234567890123e+15"},
        {InputMode::Float, "0.1", "0.1"},
        {InputMode::Float, "-0.0", ""},
        {InputMode::Float, "1e300", "inf"},
        {InputMode::Byte, "300", "255"},
        {InputMode::Byte, "-5", ""},
        {InputMode::Byte, "007", "7"},
        {InputMode::Short, "40000", "32767"},
        {InputMode::Short, "-40000", "-32768"},
        {InputMode::Short, "12.9", "12"},
        {InputMode::Integer, "3000000000", "2147483647"},
        {InputMode::Integer, "-3000000000", "-2147483648"},
        {InputMode::Integer, "0", ""},
        {InputMode::Long, "9223372036854775807", "9223372036854775807"},
        {InputMode::Long, "-12x", "-12"},
        {InputMode::IntegerText, "0", "0"},
        {InputMode::DecimalText, "12.50", "12.50"},
        {InputMode::Normal, " abc ", " abc "},
        {InputMode::Password, "0", "0"},
        {InputMode::DateTime, "2016-8-18 9:05", "2016年8月18日9时5分"},
        {InputMode::DateTime, "2016年8月18日", "2016年8月18日"},
        {InputMode::DateTime, "abc", ""},
        {InputMode::DateTime, "1899-12-30", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(canonicalText(c.mode, QString::fromUtf8(c.typed)), QString::fromUtf8(c.shown))
            << int(c.mode) << " " << c.typed;
    }
}

}  // namespace
}  // namespace tillora
