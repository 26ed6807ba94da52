#include "records/sales_list_model.h"

namespace tillora {

SalesListModel::SalesListModel(QStringList titles, QList<Qt::Alignment> alignments, QObject* parent)
    : QAbstractTableModel(parent), titles_(std::move(titles)), alignments_(std::move(alignments)) {}

void SalesListModel::setListing(SaleListing listing) {
    beginResetModel();
    listing_ = std::move(listing);
    rows_ = listing_.size();
    endResetModel();
}

bool SalesListModel::readMore(int rows) {
    // The views learn of the new rows only between the two calls below, so the rows read
    // beyond rows_ are not yet part of the model.
    const bool ok = listing_.readMore(rows);
    if (listing_.size() > rows_) {
        beginInsertRows({}, rows_, listing_.size() - 1);
        rows_ = listing_.size();
        endInsertRows();
    }
    return ok;
}

int SalesListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int SalesListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(titles_.size());
}

QVariant SalesListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        return index.column() < alignments_.size()
                   ? QVariant::fromValue(alignments_.at(index.column()))
                   : QVariant();
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    const QStringList cells = listing_.row(index.row()).cells();
    return index.column() < cells.size() ? oneLine(cells.at(index.column())) : QString();
}

QVariant SalesListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= titles_.size()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return titles_.at(section);
    }
    if (role == Qt::TextAlignmentRole && section < alignments_.size()) {
        return QVariant::fromValue(alignments_.at(section));
    }
    return {};
}

QString SalesListModel::oneLine(const QString& text) {
    if (!text.contains(u'\n') && !text.contains(u'\r')) {
        return text;
    }
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("⏎"));
    shown.replace(u'\n', QStringLiteral("⏎"));
    shown.replace(u'\r', QStringLiteral("⏎"));
    return shown;
}

}  // namespace tillora
