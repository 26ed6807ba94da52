#pragma once

#include "data/master_data.h"

#include <QString>
#include <QStringView>

#include <vector>

namespace tillora {

class ODBCDB;

// The remembered products (商品名称) of one sales entry window, read once and kept in memory so
// that narrowing the drop-down at every key and checking a line's product on 添加 take the same
// time with a hundred products as with a hundred thousand. Names are matched as the database's
// LIKE 'typed%' matches them (case folded, "%" and "_" as wildcards).
class ProductCatalogue {
  public:
    // A screenful of the drop-down.
    static constexpr int kShown = 50;

    // Reads the table afresh; false when it cannot be read (locked, say), and what was held
    // before is kept.
    bool load(ODBCDB& db);
    // Whether the table has been read at all.
    bool loaded() const { return loaded_; }
    void clear();
    int size() const { return static_cast<int>(entries_.size()); }

    // At most limit products whose name begins with the typed text: a name equal to it (case
    // aside) first, the others in table order. Empty text: the first products of the table.
    std::vector<Product> lookup(const QString& typed, int limit = kShown) const;
    // A product of exactly this name whose price reads the same as an amount.
    bool knows(const QString& name, const QString& unitPrice) const;
    // A product just stored; it sorts after every product read before it.
    void add(const Product& product);

  private:
    struct Entry {
        int id = 0;
        qsizetype name = 0;
        qsizetype nameLength = 0;
        qsizetype folded = 0;
        qsizetype foldedLength = 0;
        qsizetype price = 0;
        qsizetype priceLength = 0;
    };
    QStringView view(qsizetype at, qsizetype length) const {
        return QStringView(text_).mid(at, length);
    }
    QStringView folded(std::size_t position) const {
        const Entry& e = entries_[position];
        return view(e.folded, e.foldedLength);
    }
    Product product(std::size_t position) const;
    void append(int id, const QString& name, const QString& unitPrice);
    // Positions in byName_ of the names that begin with the folded prefix.
    std::pair<std::size_t, std::size_t> range(QStringView prefix) const;

    // Every name, its case-folded form and price, back to back; entries point into it.
    QString text_;
    std::vector<Entry> entries_;         // table order
    std::vector<std::uint32_t> byName_;  // entry positions by folded name, then table order
    bool loaded_ = false;
};

}  // namespace tillora
