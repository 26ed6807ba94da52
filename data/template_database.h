#pragma once

#include <QByteArray>
#include <QString>

namespace tillora {

// The template database carried in the program, as its byte block: 32-bit LE count (1),
// 32-bit LE length, then the file's bytes.
QByteArray templateDatabaseBlock();
// The file bytes inside the block (empty if the block were damaged).
QByteArray templateDatabaseBytes();

// Writes the template's bytes to path, byte for byte, creating the file (owner only) or replacing
// an existing one (keeping its rights). A journal left beside an older file at that path is
// removed, since the database engine would otherwise replay it into the new file. No connection
// may have the file open. False when the file cannot be completely written; the file already
// there is then left as it was.
bool writeTemplateDatabase(const QString& path);

}  // namespace tillora
