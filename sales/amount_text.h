#pragma once

#include <QString>

#include <optional>

#include "values/plain_number.h"

namespace tillora {

// Amount texts as the windows show and store them: exactly two decimals, so that sums such as
// 0.1 + 0.2 read "0.30" and never carry binary noise into the database. The receipt being sold
// computes in whole cents (ReceiptModel); these read and write the texts.
namespace amounts {

// Rounded to cents: "10.00", "9.50", "-3.25"; never "-0.00".
QString toText(double amount);
// A typed or stored amount as a number; empty or unreadable text counts as 0.
double fromText(const QString& text);
// An amount text as the window shows it: empty -> "0.00", "10" -> "10.00".
QString normalized(const QString& text);
// The values of the discount drop-down: "10", "9.9", "9.8" ... "1.0".
QStringList discountChoices();

// The plain-number rules are shared with the windows that keep prices outside a sale.
using tillora::hasControlCharacter;
using tillora::kMaxAmount;
using tillora::parsePlainAmount;
// A quantity: a whole number, negative for a return, at most 8 digits.
std::optional<int> parseQuantity(const QString& text);
// A discount as the list offers it: 1.0 to 10 tenths, at most one decimal ("9", "8.8", "10").
std::optional<double> parseDiscount(const QString& text);
// The discount list's text for a value: "10" for full price, else one decimal ("8.8").
QString discountText(double tenths);

}  // namespace amounts

}  // namespace tillora
