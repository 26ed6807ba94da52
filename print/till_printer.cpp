#include "print/till_printer.h"

#include "platform/till_settings_file.h"

namespace tillora {

namespace {

constexpr char kPaperKey[] = "paper_width_mm";
constexpr char kDrawerKey[] = "open_drawer";
const QString kFileName = QStringLiteral("tillora-printer.conf");

}  // namespace

QString TillPrinter::path() {
    return till_settings_file::path(kFileName);
}

TillPrinter TillPrinter::read() {
    const QHash<QString, QString> values = till_settings_file::read(kFileName);
    TillPrinter till;
    till.paperWidthMm = values.value(QLatin1String(kPaperKey)) == QLatin1String("80") ? 80 : 58;
    till.openDrawer = values.value(QLatin1String(kDrawerKey)) == QLatin1String("1");
    return till;
}

bool TillPrinter::write() const {
    const QByteArray text = QByteArray("# 本收银机的小票打印机，由 Tillora 写入\n") + kPaperKey +
                            (paperWidthMm == 80 ? " = 80\n" : " = 58\n") + kDrawerKey +
                            (openDrawer ? " = 1\n" : " = 0\n");
    return till_settings_file::write(kFileName, text, false);
}

}  // namespace tillora
