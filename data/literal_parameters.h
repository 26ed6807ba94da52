#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tillora {

// An insert statement whose values are given as text literals, split into its shape (each such
// literal replaced by "?") and the texts. Every line of a sale has the same shape, so the
// engine prepares it once and binds each line's texts, instead of parsing each line anew.
struct LiteralParameters {
    QString shape;
    QStringList texts;
};

// Only an "insert" qualifies, and only literals that stand alone as an item of a parenthesised
// list ("('a','b' )"): a bound text means there exactly what the literal meant. Names, bracketed
// or quoted, stay in the shape (the engine translates each shape once). Anything the split can't
// be sure of (comments, other quoting, parameters, date literals, a NUL, an open literal or name)
// leaves the statement as it is: nullopt.
std::optional<LiteralParameters> splitLiteralParameters(const QString& sql);

// Any statement, for telling what it was without telling what it held: every text, date and
// number literal replaced by "?" (an unclosed one to the end), bracketed names kept. The texts
// are the literals as written, without their quotes.
LiteralParameters everyLiteral(const QString& sql);

}  // namespace tillora
