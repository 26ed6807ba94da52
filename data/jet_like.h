#pragma once

#include <QList>

#include <limits>

namespace tillora {

// The database's LIKE on texts already case folded and split into code points: "%" any run,
// "_" one character, escape (when given) makes the next character literal. Shared so that a
// match made in memory agrees with the one the database makes.
bool jetLikeMatch(const QList<uint>& pattern, const QList<uint>& text,
                  uint escape = std::numeric_limits<uint>::max());

}  // namespace tillora
