#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace tillora {

// A list as the user sees it: the column titles and the rows of cell texts.
struct SpreadsheetTable {
    QStringList titles;
    QList<QStringList> rows;
};

// Told how many rows are done out of all; returns false to cancel the writing.
using SpreadsheetProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

enum class SpreadsheetFormat { Xls, Xlsx };
enum class SpreadsheetResult { Written, Failed, Cancelled };

// A cell holds at most this many characters in either format.
constexpr qsizetype kCellTextLimit = 32767;

// `text` as it fits in a cell: cut at the limit, never between the halves of a surrogate pair.
inline QString cellTextWithinLimit(const QString& text) {
    if (text.size() <= kCellTextLimit) {
        return text;
    }
    qsizetype cut = kCellTextLimit;
    if (text.at(cut - 1).isHighSurrogate()) {
        --cut;
    }
    return text.left(cut);
}

// A sheet holds at most `rowLimit` rows with the title row first; longer lists go on to further
// sheets, each again beginning with the titles, so that nothing of the list is lost.
inline std::int64_t dataRowsPerSheet(std::int64_t rowLimit) {
    return rowLimit - 1;
}
inline int sheetCountFor(std::int64_t rows, std::int64_t rowLimit) {
    const std::int64_t perSheet = dataRowsPerSheet(rowLimit);
    return rows <= perSheet ? 1 : int((rows + perSheet - 1) / perSheet);
}

}  // namespace tillora
