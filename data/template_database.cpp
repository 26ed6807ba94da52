#include "data/template_database.h"

#include <QFile>
#include <QtEndian>

#include <cstddef>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

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
    const QString journal = path + QStringLiteral("-journal");
    if (QFile::exists(journal) && !QFile::remove(journal)) {
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    bool ok = file.write(bytes) == bytes.size() && file.flush();
#ifdef Q_OS_UNIX
    ok = ok && ::fsync(file.handle()) == 0;
#endif
    file.close();
    return ok && file.error() == QFileDevice::NoError;
}

}  // namespace tillora
