#include "platform/whole_file_writer.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tillora {

namespace {

// "<name>.writing-XXXXXX": visible, and recognisable for removeInterruptedWrites().
const QString kTemporaryInfix = QStringLiteral(".writing-");

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

QByteArray procPath(int fd) {
    return "/proc/self/fd/" + QByteArray::number(fd);
}

QString randomSuffix() {
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i) {
        suffix += QLatin1Char(letters[QRandomGenerator::global()->bounded(62)]);
    }
    return suffix;
}

// Tries `create` on fresh temporary names beside `target` until one is free.
template <typename Create>
QString onFreeName(const QString& target, Create create) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = target + kTemporaryInfix + randomSuffix();
        if (create(native(name))) {
            return name;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return {};
}

void syncFolder(const QString& folder) {
    const int dir = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        // Some file systems cannot sync a folder; the file itself is on disk already.
        ::fsync(dir);
        ::close(dir);
    }
}

}  // namespace

namespace {

// A link stays a link: what it points to is replaced.
QString finalTarget(const QString& target) {
    const QFileInfo info(target);
    return info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
}

}  // namespace

WholeFileWriter::WholeFileWriter(const QString& target, int newFileMode)
    : target_(finalTarget(target)), newFileMode_(newFileMode) {}

WholeFileWriter::~WholeFileWriter() {
    discard();
}

bool WholeFileWriter::open() {
    discard();
    const QString folder = QFileInfo(target_).absolutePath();
#ifdef O_TMPFILE
    fd_ = ::open(native(folder).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    // Without /proc an unnamed file could not be given its name at the end.
    if (fd_ >= 0 && ::access(procPath(fd_).constData(), F_OK) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
#endif
    if (fd_ < 0) {
        named_ = onFreeName(target_, [this](const QByteArray& name) {
            fd_ = ::open(name.constData(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
            return fd_ >= 0;
        });
        if (fd_ < 0) {
            return false;
        }
    }
    if (!file_.open(fd_, QIODevice::WriteOnly | QIODevice::Unbuffered,
                    QFileDevice::DontCloseHandle)) {
        discard();
        return false;
    }
    return true;
}

QString WholeFileWriter::temporaryPath() const {
    if (fd_ < 0) {
        return {};
    }
    return named_.isEmpty() ? QFile::decodeName(procPath(fd_)) : named_;
}

QByteArray WholeFileWriter::tail(int bytes) const {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0 || info.st_size < bytes) {
        return {};
    }
    QByteArray data(bytes, '\0');
    const ssize_t n = ::pread(fd_, data.data(), size_t(bytes), info.st_size - bytes);
    return n == bytes ? data : QByteArray();
}

bool WholeFileWriter::commit(const std::function<bool()>& beforeReplacing) {
    if (fd_ < 0 || file_.error() != QFileDevice::NoError) {
        discard();
        return false;
    }
    file_.close();
    struct stat existing {};
    const bool exists = ::stat(native(target_).constData(), &existing) == 0;
    const mode_t mode = exists ? (existing.st_mode & 07777) : mode_t(newFileMode_);
    if (::fchmod(fd_, mode) != 0 || ::fsync(fd_) != 0 || (beforeReplacing && !beforeReplacing())) {
        discard();
        return false;
    }
    const QByteArray target = native(target_);
    bool placed = false;
    if (!named_.isEmpty()) {
        placed = ::rename(native(named_).constData(), target.constData()) == 0;
    } else {
        const QByteArray source = procPath(fd_);
        const auto link = [&source](const QByteArray& name) {
            return ::linkat(AT_FDCWD, source.constData(), AT_FDCWD, name.constData(),
                            AT_SYMLINK_FOLLOW) == 0;
        };
        placed = !exists && link(target);
        if (!placed) {
            // Linking cannot replace a file: link under a temporary name and rename over it.
            named_ = onFreeName(target_, link);
            placed =
                !named_.isEmpty() && ::rename(native(named_).constData(), target.constData()) == 0;
        }
    }
    if (!placed) {
        discard();
        return false;
    }
    named_.clear();
    ::close(fd_);
    fd_ = -1;
    syncFolder(QFileInfo(target_).absolutePath());
    return true;
}

void WholeFileWriter::discard() {
    file_.close();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!named_.isEmpty()) {
        ::unlink(native(named_).constData());
        named_.clear();
    }
}

int removeInterruptedWrites(const QString& folder) {
    // Ours, and the hidden ".<name>.xlsx.XXXXXX" earlier exports reserved.
    static const QRegularExpression ours(
        QStringLiteral("^.+\\.writing-[A-Za-z0-9]{6}$|"
                       "^\\..+\\.[xX][lL][sS][xX]\\.[A-Za-z0-9]{6}$"));
    int removed = 0;
    const QFileInfoList files =
        QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo& file : files) {
        if (ours.match(file.fileName()).hasMatch() && QFile::remove(file.absoluteFilePath())) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace tillora
