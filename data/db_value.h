#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <variant>

namespace tillora {

// One column value as read from a record set. Exactly one kind; a NULL column reads as the
// empty value of its column's kind (0, 0.0, false, empty bytes, or empty text).
class DbValue {
  public:
    enum class Kind { Empty, Bool, Byte, Short, Int, Float, Double, DateTime, Text, Bytes };

    DbValue() = default;
    static DbValue fromBool(bool v) { return DbValue(Kind::Bool, v); }
    static DbValue fromByte(quint8 v) { return DbValue(Kind::Byte, v); }
    static DbValue fromShort(qint16 v) { return DbValue(Kind::Short, v); }
    static DbValue fromInt(qint32 v) { return DbValue(Kind::Int, v); }
    static DbValue fromFloat(float v) { return DbValue(Kind::Float, v); }
    static DbValue fromDouble(double v) { return DbValue(Kind::Double, v); }
    // A day number counted from 1899-12-30 (fraction = time of day), clamped to years 100..9999.
    static DbValue fromDateTime(double jetDay);
    static DbValue fromText(QString v) { return DbValue(Kind::Text, std::move(v)); }
    static DbValue fromBytes(QByteArray v) { return DbValue(Kind::Bytes, std::move(v)); }

    Kind kind() const { return kind_; }
    bool isEmpty() const { return kind_ == Kind::Empty; }

    // Numeric reading of any kind: integers and floats as they are, a date-time as its day
    // number, a boolean as 0/1, text by its leading number (0 when there is none).
    double toDouble() const;
    // As toDouble(), the fraction cut off toward zero and clamped to 32 bits.
    qint32 toInt() const;
    bool toBool() const;
    // The text a caller shows: integers in decimal, doubles "%.13g", floats "%.6g", booleans
    // "真"/"假", date-times as "2016年8月18日20时55分36秒", bytes up to the first zero byte.
    QString toText() const&;
    // The same, handing over a text value's own string rather than sharing it (a value read
    // only to be shown is dropped right after).
    QString toText() &&;
    // Byte blocks as they are; text as its UTF-8 bytes; anything else empty.
    QByteArray toBytes() const;

    bool operator==(const DbValue& other) const = default;

  private:
    using Storage = std::variant<std::monostate, bool, quint8, qint16, qint32, float, double,
                                 QString, QByteArray>;
    DbValue(Kind kind, Storage storage) : kind_(kind), storage_(std::move(storage)) {}

    Kind kind_ = Kind::Empty;
    Storage storage_;
};

}  // namespace tillora
