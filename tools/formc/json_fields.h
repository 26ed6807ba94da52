#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "templates/property_blocks.h"

namespace tillora::formc {

// Reads the fields of one JSON object of a window source. Omitted fields leave the target at its
// default; a field of the wrong kind, or one nobody asked for (a typo), is a SourceError naming
// its path, e.g. `components[3] (编辑框_密码).inputMode`.
class JsonFields {
  public:
    JsonFields(QJsonObject object, QString path, QString resourcesDir)
        : object_(std::move(object)), path_(std::move(path)), resources_(std::move(resourcesDir)) {}

    bool has(const QString& key) const { return object_.contains(key); }
    QJsonValue take(const QString& key);
    QString path(const QString& key) const;
    [[noreturn]] void error(const QString& key, const QString& what) const;

    void integer(const QString& key, qint32& target);
    void flag(const QString& key, bool& target);
    void colour(const QString& key, ColourRef& target);
    void text(const QString& key, QString& target);
    void textList(const QString& key, QStringList& target);
    // A list of whole numbers, of `count` entries when count >= 0; empty when the field is absent.
    QList<qint32> integers(const QString& key, int count = -1);
    void font(const QString& key, Font& target);
    // A file under the resources folder, stored whole.
    void file(const QString& key, QByteArray& target);
    // A 16-bit character given as a one-character text.
    void character(const QString& key, quint16& target);

    // Fails on any field that was never taken.
    void finish() const;

  private:
    QJsonObject object_;
    QString path_;
    QString resources_;
    QSet<QString> taken_;
};

}  // namespace tillora::formc
