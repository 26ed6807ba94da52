#include "sales/product_lookup.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QListView>

#include <algorithm>

namespace tillora {

ProductLookup::ProductLookup(QLineEdit* anchor, QAbstractItemModel* model, QWidget* area, int width)
    : QObject(area), anchor_(anchor), area_(area), view_(new QListView(area)), width_(width) {
    view_->setObjectName(QStringLiteral("productLookup"));
    view_->setModel(model);
    // Typing stays in the name box; a click on a row takes it without moving the focus.
    view_->setFocusPolicy(Qt::NoFocus);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setUniformItemSizes(true);
    view_->hide();
    connect(view_, &QListView::clicked, this,
            [this](const QModelIndex& index) { Q_EMIT picked(index.row()); });
}

bool ProductLookup::isOpen() const {
    return view_->isVisible();
}

void ProductLookup::open() {
    if (view_->model() == nullptr || view_->model()->rowCount() == 0) {
        close();
        return;
    }
    view_->setCurrentIndex(QModelIndex());
    view_->clearSelection();
    place();
    view_->show();
    view_->raise();
}

void ProductLookup::close() {
    view_->hide();
}

void ProductLookup::step(int by) {
    if (!isOpen()) {
        open();
        if (!isOpen()) {
            return;
        }
    }
    const int rows = view_->model()->rowCount();
    const int from = chosen();
    const int to = from < 0 ? (by > 0 ? 0 : rows - 1) : std::clamp(from + by, 0, rows - 1);
    const QModelIndex index = view_->model()->index(to, 0);
    view_->setCurrentIndex(index);
    view_->scrollTo(index);
}

int ProductLookup::chosen() const {
    const QModelIndex current = view_->currentIndex();
    return current.isValid() && view_->selectionModel()->isSelected(current) ? current.row() : -1;
}

// Under the box, as many rows as there are (up to a screenful), kept inside the area.
void ProductLookup::place() {
    const int rows = std::min(view_->model()->rowCount(), kMaxVisibleRows);
    const int rowHeight = std::max(view_->sizeHintForRow(0), anchor_->fontMetrics().height());
    const int height = rows * rowHeight + 2 * view_->frameWidth();
    QPoint at = anchor_->mapTo(area_, QPoint(0, anchor_->height()));
    at.setY(std::min(at.y(), std::max(0, area_->height() - height)));
    at.setX(std::min(at.x(), std::max(0, area_->width() - width_)));
    view_->setGeometry(QRect(at, QSize(width_, height)));
}

}  // namespace tillora
