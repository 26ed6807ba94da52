#pragma once

#include "forms/components/block_component.h"

#include <vector>

class QTreeWidget;

namespace tillora {

// 2/4 list view in report style: rows under column headers, whole rows selected.
// Own properties: 9 text colour, 10 background colour, 12 view, 35 column titles.
// Events: 0 current row changed (argument: the row, -1 none), 1 row double-clicked (the row).
class ListView : public BlockComponent<ListViewBlock> {
    Q_OBJECT

  public:
    using BlockComponent::BlockComponent;

    QTreeWidget* tree() const { return tree_; }
    int rowCount() const;
    int columnCount() const;
    // Appends a row and gives its index; missing cells stay empty.
    int addRow(const QStringList& cells);
    // Appends many rows at once (one model change instead of one per row: long lists stay fast).
    void addRows(const QList<QStringList>& rows);
    void removeRow(int row);
    void clearRows();
    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString& text);
    int currentIndex() const override;
    void setCurrentIndex(int row) override;

  protected:
    QWidget* makeWidget(QWidget* parent) override;
    QVariant ownProperty(int index) const override;
    // The rows area gets the mouse, not the frame around it.
    QList<QWidget*> eventSources() const override;

  private:
    QTreeWidget* tree_ = nullptr;
};

// The element of `rows` a list shows at `row`, or null for no row (-1) or one out of range.
template <class Row>
const Row* shownRow(const std::vector<Row>& rows, int row) {
    return row >= 0 && row < static_cast<int>(rows.size()) ? &rows[static_cast<std::size_t>(row)]
                                                           : nullptr;
}

// The ID of the element a list shows at `row`, or 0.
template <class Row>
int shownRowId(const std::vector<Row>& rows, int row) {
    const Row* r = shownRow(rows, row);
    return r != nullptr ? r->id : 0;
}

}  // namespace tillora
