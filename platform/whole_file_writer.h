#pragma once

#include <QFile>
#include <QString>

#include <functional>

namespace tillora {

// Writes a file whole or not at all. The bytes go to a temporary beside the target (unnamed where
// the file system allows, so a crash leaves nothing), are synced to disk, and only then replace
// the target; any failure on the way leaves an existing file as it was. A new file gets
// `newFileMode` (Unix rights, e.g. 0600); an existing file keeps its own.
class WholeFileWriter {
  public:
    WholeFileWriter(const QString& target, int newFileMode);
    ~WholeFileWriter();  // discards what was not committed
    WholeFileWriter(const WholeFileWriter&) = delete;
    WholeFileWriter& operator=(const WholeFileWriter&) = delete;

    bool open();
    // Writes go straight to the file (unbuffered), so a full disk shows at the write.
    QIODevice& device() { return file_; }
    // A name by which a library that writes only to names can reach the temporary.
    QString temporaryPath() const;
    // The temporary's last `bytes` bytes, for a check of what such a library wrote.
    QByteArray tail(int bytes) const;
    // Syncs the temporary, runs `beforeReplacing` (false stops there), then puts it in place.
    bool commit(const std::function<bool()>& beforeReplacing = {});

  private:
    void discard();

    QString target_;
    int newFileMode_;
    int fd_ = -1;
    QString named_;  // the temporary's name when it could not be unnamed
    QFile file_;
};

// Removes what interrupted writes left in `folder` (only names this program gives its
// temporaries); returns how many files went.
int removeInterruptedWrites(const QString& folder);

}  // namespace tillora
