#include "data/jet_dialect.h"

#include "data/sql_tokenizer.h"
#include "platform/jet_date.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>

#include <optional>

namespace tillora {

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

}  // namespace

QString translateJetSql(const QString& sql) {
    using Kind = SqlToken::Kind;
    QString out;
    out.reserve(sql.size() + 16);
    QStringView lastWord;  // the last keyword-like word; cleared by any other token
    QStringView limit;
    const qsizetype n = sql.size();
    SqlTokenizer tokens(sql);
    while (!tokens.atEnd()) {
        const SqlToken t = tokens.next();
        const QStringView text = tokens.text(t);
        switch (t.kind) {
            case Kind::Blank:
                out += text;
                continue;
            case Kind::Word:
            case Kind::Number:
                if (limit.isEmpty() && tokens.is(t, u"top") &&
                    (lastWord.compare(u"select", Qt::CaseInsensitive) == 0 ||
                     lastWord.compare(u"distinct", Qt::CaseInsensitive) == 0)) {
                    // "top <n>" followed by a blank: drop it here, add "limit <n>" at the end.
                    qsizetype k = t.end;
                    while (k < n && sql[k].isSpace()) {
                        ++k;
                    }
                    qsizetype d = k;
                    while (d < n && sql[d].isDigit()) {
                        ++d;
                    }
                    if (k > t.end && d > k && d < n && sql[d].isSpace()) {
                        limit = QStringView(sql).mid(k, d - k);
                        tokens.resumeAt(d);
                        continue;
                    }
                }
                out += text;
                lastWord = text;
                continue;
            case Kind::BracketName: {
                // Jet's bracketed name is the engine's quoted one.
                const QString name = unquotedSqlText(sql, t);
                out += u'"';
                out += name.contains(u'"')
                           ? QString(name).replace(QStringLiteral("\""), QStringLiteral("\"\""))
                           : name;
                if (t.closed) {
                    out += u'"';
                }
                break;
            }
            case Kind::Symbol:
                if (text == u"[[" || text == u"]]") {
                    out += text[0];  // a doubled bracket stands for itself
                } else if (text == u"]") {
                    out += u'"';
                } else {
                    out += text;
                }
                break;
            case Kind::Date: {
                std::optional<double> day;
                if (t.closed) {
                    day = readDateLiteral(text.mid(1, text.size() - 2).toString());
                }
                if (day) {
                    const QString number = QString::number(*day, 'g', 17);
                    out += *day < 0 ? QStringLiteral("(") + number + QStringLiteral(")") : number;
                } else {
                    // Not a date: the "#" alone, and what follows read as it stands.
                    out += u'#';
                    tokens.resumeAt(t.begin + 1);
                }
                break;
            }
            case Kind::Text:
            case Kind::QuotedName:
            case Kind::LineComment:
            case Kind::BlockComment:
                out += text;  // copied untouched
                break;
        }
        lastWord = {};
    }
    if (!limit.isEmpty()) {
        while (!out.isEmpty() && (out.back().isSpace() || out.back() == u';')) {
            out.chop(1);
        }
        out += QStringLiteral(" limit ");
        out += limit;
    }
    return out;
}

}  // namespace tillora
