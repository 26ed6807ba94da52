#include "records/shown_list.h"

#include <QTreeWidget>

#include "forms/components/list_view.h"

namespace tillora {

ShownList ShownList::of(const ListView& list) {
    ShownList shown;
    const int columns = list.columnCount();
    if (const QTreeWidgetItem* header = list.tree() ? list.tree()->headerItem() : nullptr) {
        for (int c = 0; c < columns; ++c) {
            shown.titles.append(header->text(c));
        }
    }
    shown.rows.reserve(list.rowCount());
    for (int r = 0; r < list.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < columns; ++c) {
            cells.append(list.cell(r, c));
        }
        shown.rows.append(cells);
    }
    return shown;
}

}  // namespace tillora
