#include "print/till_printer.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace tillora {

namespace {

constexpr char kPaperKey[] = "paper_width_mm";
constexpr char kDrawerKey[] = "open_drawer";

}  // namespace

QString TillPrinter::path() {
    return QDir::current().filePath(QStringLiteral("tillora-printer.conf"));
}

TillPrinter TillPrinter::read() {
    TillPrinter till;
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return till;
    }
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const qsizetype eq = line.indexOf(u'=');
        if (line.startsWith(u'#') || eq <= 0) {
            continue;
        }
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String(kPaperKey)) {
            till.paperWidthMm = value == QLatin1String("80") ? 80 : 58;
        } else if (key == QLatin1String(kDrawerKey)) {
            till.openDrawer = value == QLatin1String("1");
        }
    }
    return till;
}

bool TillPrinter::write() const {
    QSaveFile file(path());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return false;
    }
    const QByteArray text = QByteArray("# 本收银机的小票打印机，由 Tillora 写入\n") + kPaperKey +
                            (paperWidthMm == 80 ? " = 80\n" : " = 58\n") + kDrawerKey +
                            (openDrawer ? " = 1\n" : " = 0\n");
    if (file.write(text) != text.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace tillora
