#include "forms/components/list_view.h"

#include "forms/component_font.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace tillora {

namespace {

Qt::Alignment columnAlignment(qint32 alignment) {
    switch (alignment) {
        case 1:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        case 2:
            return Qt::AlignRight | Qt::AlignVCenter;
        default:
            return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

}  // namespace

QWidget* ListView::makeWidget(QWidget* parent) {
    tree_ = new QTreeWidget(parent);
    tree_->setRootIsDecorated(false);
    tree_->setItemsExpandable(false);
    tree_->setUniformRowHeights(true);
    tree_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree_->setSelectionMode(block_.singleSelection != 0 ? QAbstractItemView::SingleSelection
                                                        : QAbstractItemView::ExtendedSelection);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setHeaderHidden(block_.hideColumnHeaders != 0);
    tree_->setFont(toQFont(block_.font, tree_->font()));
    tree_->setColumnCount(static_cast<int>(block_.columns.size()));
    auto* header = new QTreeWidgetItem;
    for (qsizetype i = 0; i < block_.columns.size(); ++i) {
        const ListViewColumn& column = block_.columns.at(i);
        // Titles keep their leading blanks; they are part of the layout.
        header->setText(static_cast<int>(i), column.title);
        header->setTextAlignment(static_cast<int>(i), columnAlignment(column.alignment));
    }
    tree_->setHeaderItem(header);
    tree_->header()->setStretchLastSection(false);
    tree_->header()->setSectionsMovable(false);
    for (qsizetype i = 0; i < block_.columns.size(); ++i) {
        tree_->setColumnWidth(static_cast<int>(i), block_.columns.at(i).width);
    }
    QPalette pal = tree_->palette();
    if (block_.textColour != kDefaultColour) {
        pal.setColor(QPalette::Text, toQColor(block_.textColour));
    }
    if (block_.backColour != kDefaultColour) {
        pal.setColor(QPalette::Base, toQColor(block_.backColour));
    }
    tree_->setPalette(pal);
    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this] { raise(event::kListSelectionChanged, {Value::fromInt(currentIndex())}); });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        raise(event::kListDoubleClicked, {Value::fromInt(tree_->indexOfTopLevelItem(item))});
    });
    return tree_;
}

QList<QWidget*> ListView::eventSources() const {
    if (tree_ == nullptr) {
        return {};
    }
    return {tree_, tree_->viewport()};
}

int ListView::rowCount() const {
    return tree_ != nullptr ? tree_->topLevelItemCount() : 0;
}

int ListView::columnCount() const {
    return static_cast<int>(block_.columns.size());
}

int ListView::addRow(const QStringList& cells) {
    if (tree_ == nullptr) {
        return -1;
    }
    auto* item = new QTreeWidgetItem(tree_);
    for (qsizetype i = 0; i < cells.size() && i < block_.columns.size(); ++i) {
        item->setText(static_cast<int>(i), cells.at(i));
        item->setTextAlignment(static_cast<int>(i),
                               columnAlignment(block_.columns.at(i).alignment));
    }
    return tree_->indexOfTopLevelItem(item);
}

void ListView::addRows(const QList<QStringList>& rows) {
    if (tree_ == nullptr) {
        return;
    }
    const qsizetype columns = block_.columns.size();
    QList<QTreeWidgetItem*> items;
    items.reserve(rows.size());
    for (const QStringList& cells : rows) {
        auto* item = new QTreeWidgetItem(cells.size() > columns ? cells.mid(0, columns) : cells);
        // Left is every item's own alignment; only the other columns need theirs set.
        for (qsizetype i = 0; i < cells.size() && i < columns; ++i) {
            if (block_.columns.at(i).alignment != 0) {
                item->setTextAlignment(static_cast<int>(i),
                                       columnAlignment(block_.columns.at(i).alignment));
            }
        }
        items.append(item);
    }
    tree_->addTopLevelItems(items);
}

void ListView::removeRow(int row) {
    if (tree_ != nullptr) {
        delete tree_->takeTopLevelItem(row);
    }
}

void ListView::clearRows() {
    if (tree_ != nullptr) {
        tree_->clear();
    }
}

QString ListView::cell(int row, int column) const {
    const QTreeWidgetItem* item = tree_ != nullptr ? tree_->topLevelItem(row) : nullptr;
    return item != nullptr ? item->text(column) : QString();
}

void ListView::setCell(int row, int column, const QString& text) {
    QTreeWidgetItem* item = tree_ != nullptr ? tree_->topLevelItem(row) : nullptr;
    if (item != nullptr && column >= 0 && column < columnCount()) {
        item->setText(column, text);
        item->setTextAlignment(column, columnAlignment(block_.columns.at(column).alignment));
    }
}

int ListView::currentIndex() const {
    if (tree_ == nullptr || tree_->currentItem() == nullptr) {
        return -1;
    }
    return tree_->indexOfTopLevelItem(tree_->currentItem());
}

void ListView::setCurrentIndex(int row) {
    if (tree_ == nullptr) {
        return;
    }
    QTreeWidgetItem* item = tree_->topLevelItem(row);
    tree_->setCurrentItem(item);
    if (item == nullptr) {
        tree_->clearSelection();
    }
}

QVariant ListView::ownProperty(int index) const {
    switch (index) {
        case 1:
            return block_.textColour;
        case 2:
            return block_.backColour;
        case 4:
            return block_.view;
        case 27: {
            QStringList titles;
            for (const ListViewColumn& c : block_.columns) {
                titles << c.title;
            }
            return titles;
        }
        default:
            return {};
    }
}

}  // namespace tillora
