#include "data/jet_dialect.h"

#include "platform/jet_date.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>

#include <optional>

namespace tillora {

QString replaceIdentifierBrackets(const QString& sql, QChar quote) {
    if (!sql.contains(u'[') && !sql.contains(u']')) {
        return sql;
    }
    QString out;
    out.reserve(sql.size());
    bool inLiteral = false;
    const qsizetype n = sql.size();
    qsizetype copied = 0;  // sql[copied, i) is still to be copied as it stands
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql[i];
        const QChar next = i + 1 < n ? sql[i + 1] : QChar();
        if (c == u'\'') {
            if (next == u'\'') {
                ++i;
            } else {
                inLiteral = !inLiteral;
            }
        } else if (!inLiteral && (c == u'[' || c == u']')) {
            out += QStringView(sql).mid(copied, i - copied);
            if (next == c) {
                out += c;  // a doubled bracket stands for itself
                ++i;
            } else {
                out += quote;
            }
            copied = i + 1;
        }
    }
    out += QStringView(sql).mid(copied);
    return out;
}

namespace {

std::optional<double> readDateLiteral(const QString& body) {
    static const QRegularExpression dateTime(QStringLiteral(
        R"(^\s*(\d{1,4})[-/](\d{1,2})[-/](\d{1,4})(?:\s+(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?\s*([AaPp][Mm])?)?\s*$)"));
    static const QRegularExpression timeOnly(
        QStringLiteral(R"(^\s*(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?\s*([AaPp][Mm])?\s*$)"));

    auto readTime = [](const QString& h, const QString& m, const QString& s,
                       const QString& ampm) -> std::optional<QTime> {
        int hour = h.toInt();
        if (!ampm.isEmpty()) {
            if (hour < 1 || hour > 12) {
                return std::nullopt;
            }
            hour = hour % 12 + (ampm.toUpper() == QStringLiteral("PM") ? 12 : 0);
        }
        const QTime t(hour, m.toInt(), s.isEmpty() ? 0 : s.toInt());
        return t.isValid() ? std::optional<QTime>(t) : std::nullopt;
    };

    QRegularExpressionMatch m = dateTime.match(body);
    if (m.hasMatch()) {
        int year, month, day;
        if (m.captured(1).size() >= 3) {  // 2016-08-18, 2016/8/18
            year = m.captured(1).toInt();
            month = m.captured(2).toInt();
            day = m.captured(3).toInt();
        } else {  // 8/18/2016, Jet's reading of a leading short number
            month = m.captured(1).toInt();
            day = m.captured(2).toInt();
            year = m.captured(3).toInt();
            if (m.captured(3).size() <= 2) {
                year += year < 30 ? 2000 : 1900;
            }
        }
        const QDate date(year, month, day);
        if (!date.isValid()) {
            return std::nullopt;
        }
        QTime time(0, 0);
        if (!m.captured(4).isEmpty()) {
            const auto t = readTime(m.captured(4), m.captured(5), m.captured(6), m.captured(7));
            if (!t) {
                return std::nullopt;
            }
            time = *t;
        }
        return jetDayFromDateTime(QDateTime(date, time));
    }
    m = timeOnly.match(body);
    if (m.hasMatch()) {
        const auto t = readTime(m.captured(1), m.captured(2), m.captured(3), m.captured(4));
        if (t) {
            return t->msecsSinceStartOfDay() / 86400000.0;
        }
    }
    return std::nullopt;
}

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

}  // namespace

QString translateJetSql(const QString& sql) {
    QString out;
    out.reserve(sql.size() + 16);
    QString lastWord;  // the last keyword-like word, lower case; cleared by any other token
    QString limit;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"') {
            // Literal or quoted identifier, copied untouched; a doubled quote stays inside.
            qsizetype j = i + 1;
            while (j < n) {
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const qsizetype end = j < n ? j + 1 : n;
            out += QStringView(sql).mid(i, end - i);
            i = end;
            lastWord.clear();
        } else if (c == u'#') {
            const qsizetype close = sql.indexOf(u'#', i + 1);
            std::optional<double> day;
            if (close > i) {
                day = readDateLiteral(sql.mid(i + 1, close - i - 1));
            }
            if (day) {
                const QString number = QString::number(*day, 'g', 17);
                out += *day < 0 ? QStringLiteral("(") + number + QStringLiteral(")") : number;
                i = close + 1;
            } else {
                out += c;
                ++i;
            }
            lastWord.clear();
        } else if (isWordChar(c)) {
            qsizetype j = i;
            while (j < n && isWordChar(sql[j])) {
                ++j;
            }
            const QString word = sql.mid(i, j - i).toLower();
            if (word == u"top" && limit.isEmpty() &&
                (lastWord == u"select" || lastWord == u"distinct")) {
                // "top <n>" followed by a blank: drop it here, add "limit <n>" at the end.
                qsizetype k = j;
                while (k < n && sql[k].isSpace()) {
                    ++k;
                }
                qsizetype d = k;
                while (d < n && sql[d].isDigit()) {
                    ++d;
                }
                if (k > j && d > k && d < n && sql[d].isSpace()) {
                    limit = sql.mid(k, d - k);
                    i = d;
                    continue;
                }
            }
            out += QStringView(sql).mid(i, j - i);
            lastWord = word;
            i = j;
        } else {
            out += c;
            if (!c.isSpace()) {
                lastWord.clear();
            }
            ++i;
        }
    }
    if (!limit.isEmpty()) {
        while (!out.isEmpty() && (out.back().isSpace() || out.back() == u';')) {
            out.chop(1);
        }
        out += QStringLiteral(" limit ") + limit;
    }
    return out;
}

}  // namespace tillora
