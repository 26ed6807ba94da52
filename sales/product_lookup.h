#pragma once

#include <QObject>

class QAbstractItemModel;
class QLineEdit;
class QListView;
class QWidget;

namespace tillora {

// The product drop-down that opens under the product name box while the cashier types. It lists
// the rows of the product drop-down's model, never takes the focus (typing goes on in the box),
// and is steered from the box's keys: a step down or up chooses a row, the box takes it.
class ProductLookup : public QObject {
    Q_OBJECT

  public:
    static constexpr int kMaxVisibleRows = 8;

    // `anchor` is the box it opens under, `area` the widget it is drawn on (the window's client
    // area), `width` its width.
    ProductLookup(QLineEdit* anchor, QAbstractItemModel* model, QWidget* area, int width);

    bool isOpen() const;
    // Opens with no row chosen when there is a row to show; otherwise closes.
    void open();
    void close();
    // Chooses the next (+1) or previous (-1) row, opening the list first when it is closed.
    void step(int by);
    // The chosen row, or -1.
    int chosen() const;
    QListView* view() const { return view_; }

  Q_SIGNALS:
    // A row was clicked.
    void picked(int row);

  private:
    void place();

    QLineEdit* anchor_;
    QWidget* area_;
    QListView* view_;
    int width_;
};

}  // namespace tillora
