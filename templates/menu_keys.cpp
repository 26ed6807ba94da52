#include "templates/menu_keys.h"

#include <array>

namespace tillora::menu_keys {

namespace {

// Chosen clear of the sales entry window's F5, F9 and F10 and of the keys edit boxes use.
constexpr std::array<const char*, 3> kKeys = {"Ctrl+F", "Ctrl+G", "Ctrl+S"};

}  // namespace

QString name(qint32 index) {
    if (index < 1 || index > static_cast<qint32>(kKeys.size())) {
        return {};
    }
    return QString::fromLatin1(kKeys[static_cast<std::size_t>(index - 1)]);
}

qint32 index(const QString& name) {
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        if (name == QLatin1String(kKeys[i])) {
            return static_cast<qint32>(i + 1);
        }
    }
    return 0;
}

}  // namespace tillora::menu_keys
