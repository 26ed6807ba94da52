#pragma once

#include "forms/components/block_component.h"

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

}  // namespace tillora
