#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <variant>

namespace tillora {

// A typed value as the windows, message boxes and printing pass it around. Date-times are Jet
// day numbers: days since 1899-12-30 00:00, the fraction being the time of day.
class Value {
  public:
    enum class Kind { Empty, Byte, Short, Int, Long, Float, Double, Bool, DateTime, Text, Bytes };

    Value() = default;

    static Value fromByte(quint8 v) { return Value(v); }
    static Value fromShort(qint16 v) { return Value(v); }
    static Value fromInt(qint32 v) { return Value(v); }
    static Value fromLong(qint64 v) { return Value(v); }
    static Value fromFloat(float v) { return Value(v); }
    static Value fromDouble(double v) { return Value(v); }
    static Value fromBool(bool v) { return Value(v); }
    static Value fromDateTime(double jetDay) { return Value(JetDay{jetDay}); }
    static Value fromText(const QString& v) { return Value(v); }
    static Value fromBytes(const QByteArray& v) { return Value(v); }

    Kind kind() const { return static_cast<Kind>(data_.index()); }
    bool isEmpty() const { return kind() == Kind::Empty; }
    // Byte, short, integer, long, float and double; booleans and date-times are not numbers.
    bool isNumber() const;

    // The stored value of the kind asked for; a different kind gives the type's zero/empty.
    quint8 byteValue() const { return get<quint8>(); }
    qint16 shortValue() const { return get<qint16>(); }
    qint32 intValue() const { return get<qint32>(); }
    qint64 longValue() const { return get<qint64>(); }
    float floatValue() const { return get<float>(); }
    double doubleValue() const { return get<double>(); }
    bool boolValue() const { return get<bool>(); }
    double dateTimeValue() const { return get<JetDay>().day; }
    QString textValue() const { return get<QString>(); }
    QByteArray bytesValue() const { return get<QByteArray>(); }

    // Any number kind widened to double; false (and 0) for every other kind.
    bool toNumber(double* out) const;

    friend bool operator==(const Value& a, const Value& b) { return a.data_ == b.data_; }

  private:
    struct JetDay {
        double day = 0;
        friend bool operator==(const JetDay& a, const JetDay& b) { return a.day == b.day; }
    };
    // Order follows Kind.
    using Data = std::variant<std::monostate, quint8, qint16, qint32, qint64, float, double, bool,
                              JetDay, QString, QByteArray>;

    template <typename T>
    explicit Value(T v) : data_(std::in_place_type<T>, std::move(v)) {}

    template <typename T>
    T get() const {
        const T* p = std::get_if<T>(&data_);
        return p ? *p : T{};
    }

    Data data_;
};

}  // namespace tillora
