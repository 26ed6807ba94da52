#pragma once

#include <QString>

namespace tillora {

// The program's Jet statements (brackets already replaced by double quotes) in the server's
// dialect. On top of translateJetSql (#date# literals as day numbers, top n as limit n):
//   - quoted identifiers are folded to lower case, as the server folds unquoted ones, so that
//     [ID], ID and id name the same column as they do on Jet;
//   - `?` markers become $1, $2, ... in order;
//   - now() becomes the program clock's day number, so a sale's time is the till's time;
//   - `a like p` becomes `a collate "und-x-icu" ilike p` (the text columns' own collation
//     ignores case but can't match patterns), and a backslash in a literal pattern stays an
//     ordinary character as on Jet;
//   - a lone value after `where` (Jet's "where 1", "where <column>") becomes a truth test.
// String literals are never altered. nowDay is the day number now() stands for.
QString translateJetSqlForServer(const QString& sql, double nowDay);

}  // namespace tillora
