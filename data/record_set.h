#pragma once

#include "data/db_value.h"

#include <QString>

#include <cstddef>
#include <vector>

namespace tillora {

struct DbColumn {
    QString name;  // as the driver reports it
    DbValue::Kind kind = DbValue::Kind::Text;
};

// The whole result of one query, read once when it is opened.
class RecordSet {
  public:
    RecordSet(std::vector<DbColumn> columns, std::vector<DbValue> cells)
        : columns_(std::move(columns)), cells_(std::move(cells)) {
        rowCount_ = columns_.empty() ? 0 : cells_.size() / columns_.size();
    }

    const std::vector<DbColumn>& columns() const { return columns_; }
    std::size_t rowCount() const { return rowCount_; }
    // Column index counted from 0; the caller checks the bounds.
    const DbValue& cell(std::size_t row, std::size_t column) const {
        return cells_[row * columns_.size() + column];
    }

  private:
    std::vector<DbColumn> columns_;
    std::vector<DbValue> cells_;
    std::size_t rowCount_ = 0;
};

}  // namespace tillora
