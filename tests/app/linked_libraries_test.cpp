#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

namespace tillora {
namespace {

// The libraries the program needs before main(): every one of them, with all it needs in turn,
// is loaded and bound at each start, and every library loaded later searches past them.
QStringList neededLibraries() {
    QProcess readelf;
    readelf.start(QStringLiteral("readelf"),
                  {QStringLiteral("-d"), QStringLiteral(TILLORA_EXECUTABLE)});
    if (!readelf.waitForFinished(30000) || readelf.exitCode() != 0) {
        return {};
    }
    QStringList names;
    static const QRegularExpression needed(QStringLiteral(R"(\(NEEDED\).*\[(.+)\])"));
    for (const QString& line : QString::fromUtf8(readelf.readAllStandardOutput()).split(u'\n')) {
        if (const auto match = needed.match(line); match.hasMatch()) {
            names.append(match.captured(1));
        }
    }
    return names;
}

// What only printing, a server, a JPEG, an .xlsx export or a product list brought in needs is
// loaded when that first happens.
TEST(LinkedLibraries, StartLoadsNothingThatWaitsForItsFirstUse) {
    const QStringList names = neededLibraries();
    ASSERT_TRUE(names.contains(QStringLiteral("libQt6Widgets.so.6"))) << "readelf found nothing";
    for (const char* later : {"libQt6PrintSupport", "libpq", "libjpeg", "libxlsxwriter",
                              "libcrypto", "libssl", "libfreexl", "libzip"}) {
        for (const QString& name : names) {
            EXPECT_FALSE(name.startsWith(QLatin1String(later))) << name.toStdString();
        }
    }
}

}  // namespace
}  // namespace tillora
