#include "data/template_database.h"

#include "platform/whole_file_writer.h"

#include <QFile>
#include <QtEndian>

#include <cstddef>

namespace tillora {

namespace generated {
extern const unsigned char templateDatabaseBlock[];
extern const std::size_t templateDatabaseBlockSize;
}  // namespace generated

QByteArray templateDatabaseBlock() {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(generated::templateDatabaseBlock),
                                   static_cast<qsizetype>(generated::templateDatabaseBlockSize));
}

QByteArray templateDatabaseBytes() {
    const QByteArray block = templateDatabaseBlock();
    if (block.size() < 8) {
        return {};
    }
    const auto* head = reinterpret_cast<const uchar*>(block.constData());
    const quint32 count = qFromLittleEndian<quint32>(head);
    const quint32 length = qFromLittleEndian<quint32>(head + 4);
    if (count != 1 || length > static_cast<quint64>(block.size() - 8)) {
        return {};
    }
    return QByteArray::fromRawData(block.constData() + 8, static_cast<qsizetype>(length));
}

bool writeTemplateDatabase(const QString& path) {
    const QByteArray bytes = templateDatabaseBytes();
    if (bytes.isEmpty()) {
        return false;
    }
    // The shop's data: owner only when new; a file already there keeps its rights.
    WholeFileWriter file(path, 0600);
    if (!file.open() || file.device().write(bytes) != bytes.size()) {
        return false;
    }
    // The old file's journal goes only once the new file is on disk, just before it is replaced.
    const QString journal = path + QStringLiteral("-journal");
    return file.commit([&journal] { return !QFile::exists(journal) || QFile::remove(journal); });
}

}  // namespace tillora
