#pragma once

#include <QChar>
#include <QString>

namespace tillora {

// Identifier brackets as the component replaces them before a statement reaches the driver:
// outside string literals "[" and "]" become the driver's quote character, "[[" and "]]" become
// one bracket; inside literals (where '' does not end the literal) nothing changes.
QString replaceIdentifierBrackets(const QString& sql, QChar quote);

// The program's Jet statements in SQLite's dialect: #date# literals (with the blanks the program
// writes, e.g. "#2016-08-18  00:00:00#") become day numbers, "select top n ..." becomes
// "select ... limit n". String literals and quoted identifiers are never altered. A date literal
// that cannot be read is left as it is, so the statement fails as it would on Jet.
QString translateJetSql(const QString& sql);

}  // namespace tillora
