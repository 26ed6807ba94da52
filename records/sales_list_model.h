#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

#include "records/sale_listing.h"

namespace tillora {

// The sales list's rows over a listing: the texts of a row are made only when it is shown.
class SalesListModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    SalesListModel(QStringList titles, QList<Qt::Alignment> alignments, QObject* parent = nullptr);

    void setListing(SaleListing listing);
    const SaleListing& listing() const { return listing_; }
    // Further rows of the listing, added at the end; false when the statement failed.
    bool readMore(int rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // A text as a row shows it: a line break becomes a mark, so that every row is one line.
    static QString oneLine(const QString& text);

  private:
    QStringList titles_;
    QList<Qt::Alignment> alignments_;
    SaleListing listing_;
    int rows_ = 0;
};

}  // namespace tillora
