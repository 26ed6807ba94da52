#pragma once

#include <QString>

#include <optional>

// Numbers typed by a user, read only when the whole text is a plain decimal number. A reader that
// stops at the first misfit turns "1e3" into 1000 and "0x10" into 0; a box that takes a number
// must refuse such a text rather than store a value the user never saw.
namespace tillora {

// True when text holds a character below U+0020 (or DEL and the C1 controls).
bool hasControlCharacter(const QString& text);

// Digits with at most `decimals` after a point, an optional "-" in front (only when `low` is
// negative), blanks around it; within low..high. Separators ("1,000.50"), exponents, hex, junk
// left over, and control characters (a pasted NUL) give nothing.
std::optional<double> parsePlainDecimal(const QString& text, int decimals, double low, double high);

// The largest amount the till takes, in a price, a line, or the cash received.
inline constexpr double kMaxAmount = 99999999.99;

// Money as typed: a plain decimal with at most two decimals, up to kMaxAmount, a "-" in front only
// where allowed.
std::optional<double> parsePlainAmount(const QString& text, bool allowNegative = false);

}  // namespace tillora
