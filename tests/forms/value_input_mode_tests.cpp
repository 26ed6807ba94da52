#include <gtest/gtest.h>

#include "forms/input_mode.h"

namespace tillora {
namespace {

// A plain number is written back in canonical form; any other text stays as typed for the
// window to refuse, never turned into a number nobody typed.
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
        {InputMode::Double, "abc", "abc"},
        {InputMode::Double, "1e3", "1e3"},
        {InputMode::Double, "１２．５", "12.5"},
        {InputMode::Double, "1234567890123456", "1.234567890123e+15"},
        {InputMode::Float, "0.1", "0.1"},
        {InputMode::Float, "-0.0", ""},
        {InputMode::Float, "1e300", "1e300"},
        {InputMode::Float, "100000000000000000000000000000000000000000000000000", "inf"},
        {InputMode::Byte, "300", "255"},
        {InputMode::Byte, "-5", ""},
        {InputMode::Byte, "007", "7"},
        {InputMode::Short, "40000", "32767"},
        {InputMode::Short, "-40000", "-32768"},
        {InputMode::Short, "12.9", "12.9"},
        {InputMode::Integer, "3000000000", "2147483647"},
        {InputMode::Integer, "-3000000000", "-2147483648"},
        {InputMode::Integer, "0", ""},
        {InputMode::Long, "9223372036854775807", "9223372036854775807"},
        {InputMode::Long, "-12x", "-12x"},
        {InputMode::Integer, "0x10", "0x10"},
        {InputMode::Integer, " +7 ", "7"},
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
