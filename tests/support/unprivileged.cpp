#include "tests/support/unprivileged.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace tillora::test {

namespace {
constexpr uid_t kNobody = 65534;
}

bool setMode(const QString& path, unsigned mode) {
    return ::chmod(QFile::encodeName(path).constData(), static_cast<mode_t>(mode)) == 0;
}

Unprivileged::Unprivileged(const QString& folder, unsigned folderMode) : folder_(folder) {
    setMode(folder, folderMode);
    if (::geteuid() == 0) {
        switched_ = ::seteuid(kNobody) == 0;
    }
}

Unprivileged::~Unprivileged() {
    if (switched_) {
        [[maybe_unused]] const int rc = ::seteuid(0);
    }
    setMode(folder_, 0700);
}

}  // namespace tillora::test
