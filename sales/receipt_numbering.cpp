#include "sales/receipt_numbering.h"

#include "data/operation_trail.h"

#include "data/odbcdb.h"
#include "data/settings_record.h"
#include "data/sql_text.h"
#include "platform/clock.h"
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

QString receiptNumberPrefix(const ReceiptNumberFormat& format, const QDate& today) {
    return format.datePrefix ? format.customPrefix + today.toString(QStringLiteral("yyMMdd"))
                             : format.customPrefix;
}

QString nextReceiptNumber(const ReceiptNumberFormat& format, const QString& newest,
                          const QDate& today) {
    const QString prefix = receiptNumberPrefix(format, today);
    int width = format.datePrefix ? kDateSequenceWidth : kPlainWidth;
    qint64 sequence = 1;
    if (newest.startsWith(prefix)) {
        const QString rest = newest.mid(prefix.size());
        bool ok = false;
        const qint64 last = rest.toLongLong(&ok);
        if (ok && rest.size() >= width && allDigits(rest)) {
            sequence = last + 1;
            // A longer number typed by hand continues in its own width: padded back to the
            // format's width it would follow that same number again.
            width = static_cast<int>(rest.size());
        }
    }
    return prefix + QString::number(sequence).rightJustified(width, QLatin1Char('0'));
}

ReceiptNumbering::ReceiptNumbering(ODBCDB& db) : db_(db) {}

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
    // The numbering of every later sale changes with it: the trail keeps who did it.
    const QString before = QString::number(readFormat().stored());
    return operation_trail::change(db_, {settings_sql::updateReceiptNumberFormat(format.stored())},
                                   {QStringLiteral("修改单号格式"),
                                    QStringLiteral("配置文件 全局单号格式"),
                                    before,
                                    QString::number(format.stored()),
                                    {}});
}

QString ReceiptNumbering::highestStatement(const QString& prefix) {
    // The prefix followed by a digit, as a range in byte order: the unique index on 销售票号
    // (binary, unlike the column) answers it by a seek, however many sales there are. Among
    // all-digit tails of one width the text order is the number order; the few extra rows let
    // a longer tail win and skip numbers typed with other endings.
    const QString from = sqlText(prefix);
    return QStringLiteral(
               "select top 50 销售票号 from [销售记录] where 销售票号 collate binary >= '") +
           from + QStringLiteral("0' and 销售票号 collate binary < '") + from +
           QStringLiteral(":' order by 销售票号 collate binary desc");
}

QString ReceiptNumbering::highestNumber(const QString& prefix, bool* ok) const {
    const int h = db_.OpenTable(highestStatement(prefix));
    if (ok != nullptr) {
        *ok = h != 0;
    }
    // The longest all-digit tail, the highest of that length (rows come highest first).
    QString highest;
    for (; h != 0 && !db_.IsEOF(h); db_.MoveNext(h)) {
        const QString number = db_.ReadColByName(h, QStringLiteral("销售票号")).toText();
        const QString tail = number.mid(prefix.size());
        if (number.startsWith(prefix) && !tail.isEmpty() && allDigits(tail) &&
            number.size() > highest.size()) {
            highest = number;
        }
    }
    db_.CloseTable(h);
    return highest;
}

QString ReceiptNumbering::next() const {
    return next(readFormat(), Clock::now().date());
}

QString ReceiptNumbering::next(const ReceiptNumberFormat& format, const QDate& today) const {
    bool ok = false;
    const QString highest = highestNumber(receiptNumberPrefix(format, today), &ok);
    return ok ? nextReceiptNumber(format, highest, today) : QString();
}

}  // namespace tillora
