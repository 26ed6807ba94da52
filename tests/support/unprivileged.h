#pragma once

#include <QString>

namespace tillora::test {

// File permissions mean nothing to root, so a test that needs a read-only file or folder does the
// part that opens it as the unprivileged user "nobody" while this object lives (a test that does
// not run as root stays who it is). The folder gets folderMode; the test sets its files' modes.
class Unprivileged {
  public:
    Unprivileged(const QString& folder, unsigned folderMode);
    ~Unprivileged();
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;

  private:
    QString folder_;
    bool switched_ = false;
};

// chmod for a test; true on success.
bool setMode(const QString& path, unsigned mode);

}  // namespace tillora::test
