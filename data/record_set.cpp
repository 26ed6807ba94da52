#include "data/record_set.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>
#include <limits>

namespace tillora {

void RecordSet::appendBytesOutOfLine(const char* data, int length) {
    Cell c{{0}, length};
    c.bytes = "";
    const auto size = static_cast<std::size_t>(length);
    if (size > 0) {
        char* to = nullptr;
        if (size > kLargeBytes) {
            // A long text or picture gets a block of its own; the shared block keeps its room.
            largeBlocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
            to = largeBlocks_.back().get();
        } else {
            if (size > bytesLeft_) {
                byteBlocks_.push_back(std::make_unique_for_overwrite<char[]>(kBytesPerBlock));
                bytesLeft_ = kBytesPerBlock;
            }
            to = byteBlocks_.back().get() + (kBytesPerBlock - bytesLeft_);
            bytesLeft_ -= size;
        }
        std::memcpy(to, data, size);
        c.bytes = to;
    }
    push(c);
}

DbValue RecordSet::cell(std::size_t row, std::size_t column) const {
    const std::size_t index = row * columns_.size() + column;
    const Cell& c = cellBlocks_[index / kCellsPerBlock][index % kCellsPerBlock];
    const bool null = c.length == kNull;
    switch (columns_[column].kind) {
        case DbValue::Kind::Int:
            return DbValue::fromInt(null ? 0
                                         : static_cast<qint32>(std::clamp<qint64>(
                                               c.integer, std::numeric_limits<qint32>::min(),
                                               std::numeric_limits<qint32>::max())));
        case DbValue::Kind::Short:
            return DbValue::fromShort(
                null ? 0 : static_cast<qint16>(std::clamp<qint64>(c.integer, -32768, 32767)));
        case DbValue::Kind::Byte:
            return DbValue::fromByte(
                null ? 0 : static_cast<quint8>(std::clamp<qint64>(c.integer, 0, 255)));
        case DbValue::Kind::Bool:
            return DbValue::fromBool(!null && c.integer != 0);
        case DbValue::Kind::Float:
            return DbValue::fromFloat(null ? 0.0f : static_cast<float>(c.number));
        case DbValue::Kind::Double:
            return DbValue::fromDouble(null ? 0.0 : c.number);
        case DbValue::Kind::DateTime:
            // A NULL date-time reads as empty text, like every other non-numeric kind.
            return null ? DbValue::fromText({}) : DbValue::fromDateTime(c.number);
        case DbValue::Kind::Bytes:
            if (null || c.length == 0) {
                return DbValue::fromBytes({});
            }
            return DbValue::fromBytes(QByteArray(c.bytes, c.length));
        case DbValue::Kind::Empty:
        case DbValue::Kind::Text:
            break;
    }
    if (null) {
        return DbValue::fromText({});
    }
    return DbValue::fromText(QString::fromUtf8(c.bytes, c.length));
}

}  // namespace tillora
