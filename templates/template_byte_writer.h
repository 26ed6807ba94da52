#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace tillora {

// Appends the template byte format (the counterpart of TemplateByteReader). Texts are written in
// GBK; a character without a GBK form becomes '?', and lossy() tells that it happened.
class TemplateByteWriter {
  public:
    const QByteArray& data() const { return data_; }
    QByteArray take() { return std::move(data_); }
    bool lossy() const { return lossy_; }

    void writeUInt8(quint8 v) { data_.append(static_cast<char>(v)); }
    void writeUInt16(quint16 v);
    void writeInt32(qint32 v);
    void writeUInt32(quint32 v) { writeInt32(static_cast<qint32>(v)); }
    void writeRaw(QByteArrayView bytes) { data_.append(bytes); }
    void writeBytes(QByteArrayView bytes);
    void writeText(const QString& text);
    void writeTextList(const QStringList& list);
    void writeCString(const QString& text);

  private:
    QByteArray gbk(const QString& text);

    QByteArray data_;
    bool lossy_ = false;
};

}  // namespace tillora
