#include "tests/support/small_file_system.h"

#include <QByteArray>
#include <QFile>

#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace tillora::test {

SmallFileSystem::SmallFileSystem(int kilobytes) {
    if (!dir_.isValid() || ::geteuid() != 0) {
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0700";
    mounted_ = ::mount("tillora-test", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0,
                       options.constData()) == 0;
}

SmallFileSystem::~SmallFileSystem() {
    if (mounted_) {
        ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
}

bool SmallFileSystem::fill(const QString& name, qint64 bytes) const {
    QFile file(this->file(name));
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray block(4096, '\0');
    for (qint64 left = bytes; left > 0; left -= block.size()) {
        const qint64 n = qMin<qint64>(left, block.size());
        if (file.write(block.constData(), n) != n) {
            return false;
        }
    }
    return file.flush();
}

qint64 SmallFileSystem::freeBytes() const {
    struct statvfs info {};
    if (::statvfs(QFile::encodeName(dir_.path()).constData(), &info) != 0) {
        return 0;
    }
    return static_cast<qint64>(info.f_bavail) * static_cast<qint64>(info.f_frsize);
}

}  // namespace tillora::test
