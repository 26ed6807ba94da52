#include "records/sale_listing.h"

#include "data/odbcdb.h"
#include "records/records_sql.h"
#include "values/value_format.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tillora {

QStringList SaleRow::cells() const {
    return {QString::number(id), number, time, quantity, amount, cashier, remark};
}

namespace {

constexpr qint64 kMostCents = std::numeric_limits<qint64>::max();

// Text that is no number, or too large for any till, counts as 0.
qint64 cents(const QString& text) {
    const double value = textToDouble(text) * 100.0;
    return std::isfinite(value) && std::fabs(value) < 1e17 ? std::llround(value) : 0;
}

void addCents(qint64& sum, qint64 value) {
    if (value > 0 && sum > kMostCents - value) {
        sum = kMostCents;
    } else if (value < 0 && sum < -kMostCents - value) {
        sum = -kMostCents;
    } else {
        sum += value;
    }
}

SaleRow saleRowAt(const ODBCDB& db, int h) {
    SaleRow row;
    row.id = db.ReadColByName(h, QStringLiteral("ID")).toInt();
    row.number = db.ReadColByName(h, QStringLiteral("销售票号")).toText();
    row.time = db.ReadColByName(h, QStringLiteral("销售时间")).toText();
    row.quantity = db.ReadColByName(h, QStringLiteral("数量")).toText();
    row.amount = db.ReadColByName(h, QStringLiteral("金额")).toText();
    row.cashier = db.ReadColByName(h, QStringLiteral("收银员")).toText();
    row.remark = db.ReadColByName(h, QStringLiteral("备注")).toText();
    return row;
}

}  // namespace

SaleListing::SaleListing(ODBCDB& db, SalesSelection selection)
    : db_(&db), selection_(std::move(selection)), complete_(false) {}

SaleListing SaleListing::read(ODBCDB& db, const SalesSelection& selection, int chunk) {
    SaleListing listing(db, selection);
    listing.readMore(chunk);
    return listing;
}

bool SaleListing::readMore(int rows) {
    while (!complete_ && rows > 0) {
        const int asked = rows;
        const int h = db_->OpenTable(
            selection_.page(QStringLiteral("[ID], [数量], [金额]"), asked, undated_, lastInPart_));
        if (h == 0) {
            return failed();
        }
        fault_ = DbFault::None;
        int got = 0;
        for (; !db_->IsEOF(h); db_->MoveNext(h)) {
            lastInPart_ = db_->ReadColByIndex(h, 1).toInt();
            ++got;
            if (readAgain_.erase(lastInPart_) != 0) {
                continue;
            }
            ids_.push_back(lastInPart_);
            addCents(quantityCents_, cents(db_->ReadColByIndex(h, 2).toText()));
            addCents(amountCents_, cents(db_->ReadColByIndex(h, 3).toText()));
            --rows;
        }
        db_->CloseTable(h);
        if (got < asked) {
            bool resumed = false;
            if (!resumeAfterDeletedSale(resumed)) {
                return failed();
            }
            if (resumed) {
                continue;
            }
            // This part is read to its end.
            complete_ = undated_ || !selection_.hasUndated();
            undated_ = true;
            lastInPart_ = 0;
            partStart_ = size();
            readAgain_.clear();
        }
    }
    return true;
}

bool SaleListing::failed() {
    fault_ = db_->lastFault();
    // A busy file is asked again later; any other failure ends the listing.
    complete_ = fault_ != DbFault::Locked;
    return false;
}

bool SaleListing::stillStored(int saleId, bool& stored) const {
    const int h = db_->OpenTable(QStringLiteral("select [ID] from [销售记录] where [ID] = ") +
                                 QString::number(saleId));
    if (h == 0) {
        return false;
    }
    stored = !db_->IsEOF(h);
    db_->CloseTable(h);
    return true;
}

// The dated part goes on from the time of the last sale read, looked up by its ID: when another
// till deleted that sale meanwhile, the part would seem to end there. It goes on instead from the
// newest sale read that is still stored (or from its start), passing over the sales read since.
bool SaleListing::resumeAfterDeletedSale(bool& resumed) {
    resumed = false;
    if (undated_ || lastInPart_ == 0) {
        return true;
    }
    bool stored = false;
    if (!stillStored(lastInPart_, stored)) {
        return false;
    }
    if (stored) {
        return true;
    }
    int from = size();
    int anchor = 0;
    while (from > partStart_ && anchor == 0) {
        --from;
        if (!stillStored(idAt(from), stored)) {
            return false;
        }
        if (stored) {
            anchor = idAt(from);
        }
    }
    readAgain_.clear();
    for (int r = anchor != 0 ? from + 1 : partStart_; r < size(); ++r) {
        readAgain_.insert(idAt(r));
    }
    lastInPart_ = anchor;
    resumed = true;
    return true;
}

int SaleListing::rowOf(int saleId) const {
    const auto at = std::find(ids_.begin(), ids_.end(), saleId);
    return at != ids_.end() ? static_cast<int>(at - ids_.begin()) : -1;
}

bool SaleListing::load(int first, int count, std::vector<SaleRow>& rows) const {
    const int end = std::min(first + count, size());
    QList<int> ids;
    ids.reserve(end - first);
    for (int r = first; r < end; ++r) {
        ids.append(idAt(r));
    }
    rows.clear();
    rows.reserve(static_cast<std::size_t>(ids.size()));
    const int h =
        db_ != nullptr && !ids.isEmpty() ? db_->OpenTable(SalesSelection::rowsOf(ids)) : 0;
    QHash<int, SaleRow> read;
    for (; h != 0 && !db_->IsEOF(h); db_->MoveNext(h)) {
        SaleRow row = saleRowAt(*db_, h);
        read.insert(row.id, std::move(row));
    }
    if (h != 0) {
        db_->CloseTable(h);
    }
    for (int id : ids) {
        SaleRow row = read.take(id);
        row.id = id;
        rows.push_back(std::move(row));
    }
    return h != 0 || ids.isEmpty();
}

const SaleListing::Page& SaleListing::page(int first) const {
    const auto at = std::find_if(pages_.begin(), pages_.end(),
                                 [first](const Page& p) { return p.first == first; });
    if (at != pages_.end()) {
        std::rotate(at, at + 1, pages_.end());
    } else {
        if (pages_.size() >= kPagesKept) {
            pages_.erase(pages_.begin());
        }
        pages_.push_back(Page{first, false, {}});
    }
    Page& p = pages_.back();
    // A page the database was too busy to give is asked for again when next shown.
    if (!p.loaded) {
        p.loaded = load(first, kPageRows, p.rows);
    }
    return p;
}

SaleRow SaleListing::row(int row) const {
    if (row < 0 || row >= size()) {
        return {};
    }
    const int first = row - row % kPageRows;
    const Page& p = page(first);
    const auto at = static_cast<std::size_t>(row - first);
    return at < p.rows.size() ? p.rows[at] : SaleRow{idAt(row), {}, {}, {}, {}, {}, {}};
}

bool SaleListing::forEachRow(const std::function<void(const SaleRow&)>& visit) const {
    constexpr int kRows = 2000;
    bool undated = false;
    int after = 0;
    while (db_ != nullptr) {
        const int h = db_->OpenTable(selection_.page(QStringLiteral("*"), kRows, undated, after));
        if (h == 0) {
            return false;
        }
        int got = 0;
        for (; !db_->IsEOF(h); db_->MoveNext(h)) {
            const SaleRow row = saleRowAt(*db_, h);
            after = row.id;
            visit(row);
            ++got;
        }
        db_->CloseTable(h);
        if (got < kRows) {
            if (undated || !selection_.hasUndated()) {
                return true;
            }
            undated = true;
            after = 0;
        }
    }
    return false;
}

QString SaleListing::totalQuantityText() const {
    return doubleToText(static_cast<double>(quantityCents_) / 100.0);
}

QString centsText(qint64 cents) {
    const qint64 whole = cents / 100;
    const qint64 part = (cents < 0 ? -cents : cents) % 100;
    return (cents < 0 && whole == 0 ? QStringLiteral("-") : QString()) + QString::number(whole) +
           u'.' + QStringLiteral("%1").arg(part, 2, 10, QLatin1Char('0'));
}

QString SaleListing::totalAmountText() const {
    return centsText(amountCents_);
}

QStringList SaleLineRow::cells() const {
    return {QString::number(id), name, quantity, unitPrice, amount, discounted};
}

std::vector<SaleLineRow> SaleLineRow::read(ODBCDB& db, int saleId, bool* ok) {
    std::vector<SaleLineRow> lines;
    const int h = db.OpenTable(records_sql::saleLines(saleId));
    if (ok != nullptr) {
        *ok = h != 0;
    }
    if (h == 0) {
        return lines;
    }
    for (; !db.IsEOF(h); db.MoveNext(h)) {
        SaleLineRow line;
        line.id = db.ReadColByName(h, QStringLiteral("ID")).toInt();
        line.name = db.ReadColByName(h, QStringLiteral("名称")).toText();
        line.quantity = db.ReadColByName(h, QStringLiteral("数量")).toText();
        line.unitPrice = db.ReadColByName(h, QStringLiteral("单价")).toText();
        line.amount = db.ReadColByName(h, QStringLiteral("金额")).toText();
        line.discounted = db.ReadColByName(h, QStringLiteral("折后")).toText();
        line.remark = db.ReadColByName(h, QStringLiteral("备注")).toText();
        lines.push_back(std::move(line));
    }
    db.CloseTable(h);
    return lines;
}

}  // namespace tillora
