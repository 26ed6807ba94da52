#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace tillora::till_settings_file {

// A till's own settings, kept apart from the shared database: "key = value" lines in a small
// file of the current (data) folder; lines starting with '#' are notes.
QString path(const QString& fileName);

// Empty when the file is missing or unreadable.
QHash<QString, QString> read(const QString& fileName);

// Replaces the file whole, or leaves it as it was. `ownerOnly` for what only the till's owner
// may read.
bool write(const QString& fileName, const QByteArray& text, bool ownerOnly);

}  // namespace tillora::till_settings_file
