#include "sales/product_catalogue.h"

#include "data/jet_like.h"
#include "data/odbcdb.h"
#include "sales/amount_text.h"

#include <algorithm>

namespace tillora {

namespace {

bool isWildcard(QChar c) {
    return c == u'%' || c == u'_';
}

}  // namespace

bool ProductCatalogue::load(ODBCDB& db) {
    const int h = db.OpenTable(master_sql::listProducts());
    if (h == 0) {
        return false;
    }
    // Columns by position: looking each name up on every row would cost more than the row.
    const QStringList columns = db.columnNames(h);
    const int id = static_cast<int>(columns.indexOf(QStringLiteral("ID"))) + 1;
    const int name = static_cast<int>(columns.indexOf(QStringLiteral("名称"))) + 1;
    const int price = static_cast<int>(columns.indexOf(QStringLiteral("单价"))) + 1;
    if (id == 0 || name == 0 || price == 0) {
        db.CloseTable(h);
        return false;
    }
    clear();
    const int rows = db.rowCount(h);
    entries_.reserve(static_cast<std::size_t>(rows));
    for (; !db.IsEOF(h); db.MoveNext(h)) {
        append(db.ReadColByIndex(h, id).toInt(), db.ReadColByIndex(h, name).toText(),
               db.ReadColByIndex(h, price).toText());
    }
    db.CloseTable(h);
    text_.squeeze();
    byName_.resize(entries_.size());
    for (std::size_t i = 0; i < byName_.size(); ++i) {
        byName_[i] = static_cast<std::uint32_t>(i);
    }
    std::stable_sort(byName_.begin(), byName_.end(),
                     [this](std::uint32_t a, std::uint32_t b) { return folded(a) < folded(b); });
    loaded_ = true;
    return true;
}

void ProductCatalogue::clear() {
    text_.clear();
    entries_.clear();
    byName_.clear();
    loaded_ = false;
}

void ProductCatalogue::append(int id, const QString& name, const QString& unitPrice) {
    Entry e;
    e.id = id;
    e.name = text_.size();
    e.nameLength = name.size();
    text_ += name;
    const QString fold = name.toCaseFolded();
    if (fold == name) {
        e.folded = e.name;  // most names have nothing to fold: share the text
    } else {
        e.folded = text_.size();
        text_ += fold;
    }
    e.foldedLength = fold.size();
    e.price = text_.size();
    e.priceLength = unitPrice.size();
    text_ += unitPrice;
    entries_.push_back(e);
}

void ProductCatalogue::add(const Product& product) {
    append(product.id, product.name, product.unitPrice);
    const auto position = static_cast<std::uint32_t>(entries_.size() - 1);
    const QStringView key = folded(position);
    const auto at =
        std::upper_bound(byName_.begin(), byName_.end(), key,
                         [this](QStringView k, std::uint32_t p) { return k < folded(p); });
    byName_.insert(at, position);
}

Product ProductCatalogue::product(std::size_t position) const {
    const Entry& e = entries_[position];
    return Product{
        e.id, view(e.name, e.nameLength).toString(), view(e.price, e.priceLength).toString(), {}};
}

std::pair<std::size_t, std::size_t> ProductCatalogue::range(QStringView prefix) const {
    // Sorted by whole names, the names are sorted by their first prefix.size() characters too.
    const auto head = [this, &prefix](std::uint32_t p) { return folded(p).left(prefix.size()); };
    const auto lo =
        std::lower_bound(byName_.begin(), byName_.end(), prefix,
                         [&head](std::uint32_t p, QStringView k) { return head(p) < k; });
    const auto hi = std::upper_bound(
        lo, byName_.end(), prefix, [&head](QStringView k, std::uint32_t p) { return k < head(p); });
    return {static_cast<std::size_t>(lo - byName_.begin()),
            static_cast<std::size_t>(hi - byName_.begin())};
}

std::vector<Product> ProductCatalogue::lookup(const QString& typed, int limit) const {
    std::vector<Product> found;
    if (limit <= 0) {
        return found;
    }
    const auto wanted = static_cast<std::size_t>(limit);
    if (typed.isEmpty()) {
        for (std::size_t i = 0; i < entries_.size() && found.size() < wanted; ++i) {
            found.push_back(product(i));
        }
        return found;
    }
    const QString fold = typed.toCaseFolded();
    const qsizetype literal = std::find_if(fold.begin(), fold.end(), isWildcard) - fold.begin();
    const auto [lo, hi] = range(QStringView(fold).left(literal));

    std::vector<std::uint32_t> hits;
    if (literal == fold.size()) {
        hits.assign(byName_.begin() + static_cast<std::ptrdiff_t>(lo),
                    byName_.begin() + static_cast<std::ptrdiff_t>(hi));
    } else {
        // Wildcards past the first characters: the database's own matching over the range.
        const QList<uint> pattern = (fold + u'%').toUcs4();
        for (std::size_t i = lo; i < hi; ++i) {
            if (jetLikeMatch(pattern, folded(byName_[i]).toUcs4())) {
                hits.push_back(byName_[i]);
            }
        }
    }
    const auto exact = [&](std::uint32_t p) {
        return literal == fold.size() && folded(p).size() == fold.size();
    };
    const auto better = [&](std::uint32_t a, std::uint32_t b) {
        const bool ea = exact(a);
        const bool eb = exact(b);
        return ea != eb ? ea : a < b;
    };
    const auto shown = hits.begin() + static_cast<std::ptrdiff_t>(std::min(wanted, hits.size()));
    std::partial_sort(hits.begin(), shown, hits.end(), better);
    for (auto it = hits.begin(); it != shown; ++it) {
        found.push_back(product(*it));
    }
    return found;
}

bool ProductCatalogue::knows(const QString& name, const QString& unitPrice) const {
    const QString fold = name.toCaseFolded();
    const auto [lo, hi] = range(fold);
    const QString price = amounts::normalized(unitPrice);
    for (std::size_t i = lo; i < hi; ++i) {
        const Entry& e = entries_[byName_[i]];
        if (e.foldedLength != fold.size()) {
            break;  // longer names follow the equal ones
        }
        if (view(e.name, e.nameLength) == name &&
            amounts::normalized(view(e.price, e.priceLength).toString()) == price) {
            return true;
        }
    }
    return false;
}

}  // namespace tillora
