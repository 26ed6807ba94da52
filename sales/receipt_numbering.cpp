#include "sales/receipt_numbering.h"

#include "data/odbcdb.h"
#include "data/settings_record.h"
#include "sales/sale_recorder.h"

namespace tillora {

namespace {

constexpr int kDateSequenceWidth = 7;
constexpr int kPlainWidth = 13;

bool allDigits(const QString& text) {
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return false;
        }
    }
    return true;
}

}  // namespace

int ReceiptNumberFormat::stored() const {
    const bool custom = !customPrefix.isEmpty();
    const int kind = 1 + (datePrefix ? 1 : 0) + (custom ? 2 : 0);
    if (!custom) {
        return kind;
    }
    return QString(QString::number(kind) + customPrefix).toInt();
}

ReceiptNumberFormat ReceiptNumberFormat::fromStored(const QString& field) {
    ReceiptNumberFormat format;
    const QString text = field.trimmed();
    if (text.isEmpty() || !allDigits(text) || text.size() > kMaxPrefixLength + 1) {
        return format;
    }
    const int kind = text.at(0).digitValue();
    if (kind < 1 || kind > 4) {
        return format;
    }
    format.datePrefix = (kind == 2 || kind == 4);
    if (kind >= 3) {
        format.customPrefix = text.mid(1);
    }
    return format;
}

bool ReceiptNumberFormat::isValidPrefix(const QString& prefix) {
    return !prefix.isEmpty() && prefix.size() <= kMaxPrefixLength && allDigits(prefix);
}

QString nextReceiptNumber(const ReceiptNumberFormat& format, const QString& newest,
                          const QDate& today) {
    QString prefix = format.customPrefix;
    int width = kPlainWidth;
    if (format.datePrefix) {
        prefix += today.toString(QStringLiteral("yyMMdd"));
        width = kDateSequenceWidth;
    }
    qint64 sequence = 1;
    if (newest.startsWith(prefix)) {
        const QString rest = newest.mid(prefix.size());
        bool ok = false;
        const qint64 last = rest.toLongLong(&ok);
        if (ok && rest.size() >= width && allDigits(rest)) {
            sequence = last + 1;
        }
    }
    return prefix + QString::number(sequence).rightJustified(width, QLatin1Char('0'));
}

ReceiptNumbering::ReceiptNumbering(ODBCDB& db, std::function<QDate()> today)
    : db_(db), today_(std::move(today)) {}

QString ReceiptNumbering::formatStatement() {
    return settings_sql::selectFormatHead() + QStringLiteral(" is not null");
}

ReceiptNumberFormat ReceiptNumbering::readFormat() const {
    const int h = db_.OpenTable(formatStatement());
    QString field;
    if (h != 0 && !db_.IsEOF(h)) {
        field = db_.ReadColByName(h, QStringLiteral("全局单号格式")).toText();
    }
    if (h != 0) {
        db_.CloseTable(h);
    }
    return ReceiptNumberFormat::fromStored(field);
}

bool ReceiptNumbering::storeFormat(const ReceiptNumberFormat& format) {
    return db_.ExecuteSql(settings_sql::updateReceiptNumberFormat(format.stored()));
}

QString ReceiptNumbering::newestNumber() const {
    const int newestId = SaleRecorder::newestSaleId(db_);
    if (newestId <= 0) {
        return {};
    }
    const int h = db_.OpenTable(sale_sql::saleById(newestId));
    QString number;
    if (h != 0 && !db_.IsEOF(h)) {
        number = db_.ReadColByName(h, QStringLiteral("销售票号")).toText();
    }
    if (h != 0) {
        db_.CloseTable(h);
    }
    return number;
}

QString ReceiptNumbering::next() const {
    return nextReceiptNumber(readFormat(), newestNumber(), today_());
}

}  // namespace tillora
