#pragma once

#include <QByteArray>
#include <QString>

namespace tillora {

// One bound parameter of ODBCDB::ExecuteSql, for the `?` markers in order: text or a byte block.
class DbParam {
  public:
    static DbParam text(QString value) { return DbParam(false, std::move(value), {}); }
    static DbParam bytes(QByteArray value) { return DbParam(true, {}, std::move(value)); }

    bool isBytes() const { return isBytes_; }
    const QString& textValue() const { return text_; }
    const QByteArray& bytesValue() const { return bytes_; }

  private:
    DbParam(bool isBytes, QString text, QByteArray bytes)
        : isBytes_(isBytes), text_(std::move(text)), bytes_(std::move(bytes)) {}

    bool isBytes_;
    QString text_;
    QByteArray bytes_;
};

}  // namespace tillora
