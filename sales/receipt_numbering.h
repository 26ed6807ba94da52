#pragma once

#include <QDate>
#include <QString>

namespace tillora {

class ODBCDB;

// How receipt numbers are formed, kept in 全局单号格式 as a whole number (the format statement
// writes it unquoted). The first digit says which prefixes apply, the digits after it are the
// custom prefix:
//   "1"        13-digit running number
//   "2"        date prefix YYMMDD + 7-digit running number (the shipped setting)
//   "3<digits>" custom prefix + 13-digit running number
//   "4<digits>" custom prefix + date prefix + 7-digit running number
// A custom prefix is therefore 1 to 8 digits: it must survive being stored as a number (the kind
// digit in front keeps its leading zeros) and keeps receipt numbers all digits. Anything else in
// the field reads as "2".
struct ReceiptNumberFormat {
    static constexpr int kMaxPrefixLength = 8;

    bool datePrefix = true;
    QString customPrefix;  // empty = none

    // The number stored for this format.
    int stored() const;
    static ReceiptNumberFormat fromStored(const QString& field);
    // 1 to 8 ASCII digits.
    static bool isValidPrefix(const QString& prefix);

    bool operator==(const ReceiptNumberFormat&) const = default;
};

// The prefixes a number carries on `today` (custom prefix, then the date).
QString receiptNumberPrefix(const ReceiptNumberFormat& format, const QDate& today);

// The number after `highest` (the highest stored number with today's prefixes, empty when there
// is none) on `today`. The running number continues when `highest` carries the same prefixes,
// otherwise it starts again at 1. It widens rather than wraps, so a number is never given twice,
// and a longer number typed by hand continues in its own width.
QString nextReceiptNumber(const ReceiptNumberFormat& format, const QString& newest,
                          const QDate& today);

// Reads the format and the newest sale from the database and forms the next number for the
// program clock's day.
class ReceiptNumbering {
  public:
    explicit ReceiptNumbering(ODBCDB& db);

    // The format stored in the settings row ("2" when it can't be read).
    ReceiptNumberFormat readFormat() const;
    bool storeFormat(const ReceiptNumberFormat& format);
    // The highest stored 销售票号 that starts with prefix and continues in digits, the longest
    // among the 50 highest in text order; empty when there is none. *ok is false when the
    // database could not be read. A seek in the number index, however many sales there are.
    QString highestNumber(const QString& prefix, bool* ok = nullptr) const;
    // The next number; empty when the database could not be read. Whoever stores a sale takes
    // it inside the transaction that stores it, so that no other till can take it meanwhile.
    QString next() const;
    QString next(const ReceiptNumberFormat& format, const QDate& today) const;
    static QString highestStatement(const QString& prefix);

    // The statement that reads the format.
    static QString formatStatement();

  private:
    ODBCDB& db_;
};

}  // namespace tillora
