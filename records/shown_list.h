#pragma once

#include <QList>
#include <QStringList>

namespace tillora {

class ListView;

// A list as the window shows it: the column titles and every row's cell texts, for the export.
struct ShownList {
    QStringList titles;
    QList<QStringList> rows;

    static ShownList of(const ListView& list);
};

}  // namespace tillora
