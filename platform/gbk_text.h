#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace tillora {

// GBK (code page 936) <-> Unicode, as the template set and the Windows-era data store their text.
// Strict: no value when the bytes are not valid GBK or the text has a character GBK can't hold.
std::optional<QString> gbkToUnicode(QByteArrayView gbk);
std::optional<QByteArray> unicodeToGbk(QStringView text);

// Lenient forms for display and for writers that report loss elsewhere: invalid bytes become
// U+FFFD, characters without a GBK form become '?'.
QString gbkToUnicodeLossy(QByteArrayView gbk);
QByteArray unicodeToGbkLossy(QStringView text);

}  // namespace tillora
