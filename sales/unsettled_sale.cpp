#include "sales/unsettled_sale.h"

#include "platform/event_log.h"
#include "platform/whole_file_writer.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tillora {

namespace {

// The receipt's texts by name; the same table reads and writes them.
struct Field {
    const char* name;
    QString Receipt::*receipt;
};
constexpr Field kReceiptFields[] = {
    {"number", &Receipt::number},
    {"time", &Receipt::timeText},
    {"totalQuantity", &Receipt::totalQuantity},
    {"totalAmount", &Receipt::totalAmount},
    {"discountedTotal", &Receipt::discountedTotal},
    {"cashReceived", &Receipt::cashReceived},
    {"change", &Receipt::change},
    {"cashier", &Receipt::cashier},
    {"paymentMethod", &Receipt::paymentMethod},
    {"remark", &Receipt::remark},
    {"customer", &Receipt::customer},
    {"phone", &Receipt::phone},
};
struct LineField {
    const char* name;
    QString ReceiptLine::*line;
};
constexpr LineField kLineFields[] = {
    {"id", &ReceiptLine::id},
    {"name", &ReceiptLine::name},
    {"quantity", &ReceiptLine::quantity},
    {"unitPrice", &ReceiptLine::unitPrice},
    {"lineTotal", &ReceiptLine::lineTotal},
    {"discountedTotal", &ReceiptLine::discountedTotal},
};

QByteArray toJson(const UnsettledSale::Sale& sale) {
    QJsonObject receipt;
    for (const Field& f : kReceiptFields) {
        receipt.insert(QLatin1String(f.name), sale.receipt.*f.receipt);
    }
    QJsonArray lines;
    for (const ReceiptLine& line : sale.receipt.lines) {
        QJsonObject o;
        for (const LineField& f : kLineFields) {
            o.insert(QLatin1String(f.name), line.*f.line);
        }
        lines.append(o);
    }
    receipt.insert(QStringLiteral("lines"), lines);
    const QJsonObject all{{QStringLiteral("number"), sale.number},
                          {QStringLiteral("saleId"), sale.saleId},
                          {QStringLiteral("receipt"), receipt}};
    return QJsonDocument(all).toJson();
}

std::optional<UnsettledSale::Sale> fromJson(const QByteArray& bytes) {
    const QJsonObject all = QJsonDocument::fromJson(bytes).object();
    UnsettledSale::Sale sale;
    sale.number = all.value(QStringLiteral("number")).toString();
    sale.saleId = all.value(QStringLiteral("saleId")).toInt();
    if (sale.number.isEmpty()) {
        return std::nullopt;
    }
    const QJsonObject receipt = all.value(QStringLiteral("receipt")).toObject();
    for (const Field& f : kReceiptFields) {
        sale.receipt.*f.receipt = receipt.value(QLatin1String(f.name)).toString();
    }
    for (const QJsonValue& value : receipt.value(QStringLiteral("lines")).toArray()) {
        ReceiptLine line;
        for (const LineField& f : kLineFields) {
            line.*f.line = value.toObject().value(QLatin1String(f.name)).toString();
        }
        sale.receipt.lines.append(line);
    }
    return sale;
}

}  // namespace

UnsettledSale::UnsettledSale(QString file) : file_(std::move(file)) {
    if (file_.isEmpty()) {
        return;
    }
    QFile in(file_);
    if (in.open(QIODevice::ReadOnly)) {
        sale_ = fromJson(in.readAll());
        if (!sale_) {
            // Never silently: the sale it held can't be settled any more.
            EventLog::write(QStringLiteral("sale"),
                            QStringLiteral("unreadable unsettled sale file ") + file_);
        }
    }
}

QString UnsettledSale::fileIn(const QString& dataFolder) {
    return QDir(dataFolder).filePath(QStringLiteral("tillora-unsettled-sale.json"));
}

bool UnsettledSale::keep(const Sale& sale) {
    sale_ = sale;
    if (file_.isEmpty()) {
        return true;
    }
    WholeFileWriter writer(file_, 0600);
    const QByteArray bytes = toJson(sale);
    const bool written =
        writer.open() && writer.device().write(bytes) == bytes.size() && writer.commit();
    if (!written) {
        EventLog::write(QStringLiteral("sale"),
                        QStringLiteral("unsettled sale %1 not kept in %2").arg(sale.number, file_));
    }
    return written;
}

void UnsettledSale::forget() {
    sale_.reset();
    if (!file_.isEmpty()) {
        QFile::remove(file_);
    }
}

}  // namespace tillora
