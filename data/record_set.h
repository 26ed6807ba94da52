#pragma once

#include "data/db_value.h"

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

namespace tillora {

struct DbColumn {
    QString name;  // as the driver reports it
    DbValue::Kind kind = DbValue::Kind::Text;
};

// The whole result of one query, read once when it is opened. Cells are kept as the driver
// delivered them - numbers inline, text (UTF-8) and byte blocks copied into shared blocks -
// and become values only when one is read: a listing reads a few columns of the rows it
// shows, and building a value for every cell up front costs more than the query itself.
// Storage grows in fixed blocks that never move, so a large result is not copied as it grows.
class RecordSet {
  public:
    explicit RecordSet(std::vector<DbColumn> columns) : columns_(std::move(columns)) {}

    // Cells are appended row by row, each already in its column's form: an integer for the
    // integer kinds and booleans, a number for the floating and date-time kinds, bytes for
    // text and byte blocks.
    void appendNull() { push(Cell{{0}, kNull}); }
    void appendInteger(qint64 value) { push(Cell{{value}, 0}); }
    void appendNumber(double value) {
        Cell c{{0}, 0};
        c.number = value;
        push(c);
    }
    void appendBytes(const char* data, int length) {
        // Most texts are short and fit the room left in the current block.
        const auto size = static_cast<std::size_t>(length);
        if (size > 0 && size <= bytesLeft_ && size <= kLargeBytes) {
            char* to = byteBlocks_.back().get() + (kBytesPerBlock - bytesLeft_);
            std::memcpy(to, data, size);
            bytesLeft_ -= size;
            Cell c{{0}, length};
            c.bytes = to;
            push(c);
            return;
        }
        appendBytesOutOfLine(data, length);
    }

    // Call after the last cell.
    void finish() { rowCount_ = columns_.empty() ? 0 : cellCount_ / columns_.size(); }

    const std::vector<DbColumn>& columns() const { return columns_; }
    std::size_t rowCount() const { return rowCount_; }
    // Column index counted from 0; the caller checks the bounds. A NULL cell is the empty
    // value of its column's kind.
    DbValue cell(std::size_t row, std::size_t column) const;

  private:
    static constexpr qint32 kNull = -1;
    static constexpr std::size_t kCellsPerBlock = 4096;
    static constexpr std::size_t kBytesPerBlock = 64 * 1024;
    // Longer than this, a text or picture gets a block of its own.
    static constexpr std::size_t kLargeBytes = kBytesPerBlock / 4;
    struct Cell {
        union {
            qint64 integer;
            double number;
            const char* bytes;  // inside byteBlocks_ or largeBlocks_
        };
        qint32 length;  // bytes of text or a block; kNull for NULL
    };
    // Empty, long, or the first that does not fit the current block.
    void appendBytesOutOfLine(const char* data, int length);
    void push(const Cell& c) {
        const std::size_t at = cellCount_ % kCellsPerBlock;
        if (at == 0) {
            cellBlocks_.push_back(std::make_unique_for_overwrite<Cell[]>(kCellsPerBlock));
        }
        cellBlocks_.back()[at] = c;
        ++cellCount_;
    }

    std::vector<DbColumn> columns_;
    std::vector<std::unique_ptr<Cell[]>> cellBlocks_;
    std::size_t cellCount_ = 0;
    std::vector<std::unique_ptr<char[]>> byteBlocks_;
    std::size_t bytesLeft_ = 0;  // free room at the end of the last byte block
    std::vector<std::unique_ptr<char[]>> largeBlocks_;
    std::size_t rowCount_ = 0;
};

}  // namespace tillora
