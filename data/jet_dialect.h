#pragma once

#include <QString>

namespace tillora {

// The program's Jet statements in SQLite's dialect: bracketed names become quoted ones ("[[" and
// "]]" stand for a bracket), #date# literals (with the blanks the program writes, e.g.
// "#2016-08-18  00:00:00#") become day numbers, "select top n ..." becomes "select ... limit n".
// String literals and quoted identifiers are never altered. A date literal that cannot be read
// is left as it is, so the statement fails as it would on Jet.
QString translateJetSql(const QString& sql);

}  // namespace tillora
