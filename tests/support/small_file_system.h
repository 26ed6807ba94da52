#pragma once

#include <QString>
#include <QTemporaryDir>

namespace tillora::test {

// A tmpfs of a few kilobytes mounted on a fresh folder, for tests of a write that meets a full
// disk. Mounting needs root (CI runs as root); elsewhere isMounted() is false and the test skips.
class SmallFileSystem {
  public:
    explicit SmallFileSystem(int kilobytes);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool isMounted() const { return mounted_; }
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    // Writes a file of `bytes` zero bytes; false when the file system refuses them.
    bool fill(const QString& name, qint64 bytes) const;
    // Bytes still free for an unprivileged writer.
    qint64 freeBytes() const;

  private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};

}  // namespace tillora::test
