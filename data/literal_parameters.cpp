#include "data/literal_parameters.h"

#include <algorithm>

namespace tillora {

namespace {

// The next character that isn't a blank, from i on; QChar() at the end.
QChar nextNonBlank(const QString& sql, qsizetype i) {
    while (i < sql.size() && sql[i].isSpace()) {
        ++i;
    }
    return i < sql.size() ? sql[i] : QChar();
}

// Where the quoted token starting at i ends (one past its closing quote); a doubled quote stays
// inside. -1 when it never closes.
qsizetype quotedEnd(const QString& sql, qsizetype i) {
    const QChar quote = sql[i];
    for (qsizetype j = i + 1; j < sql.size(); ++j) {
        if (sql[j] == quote) {
            if (j + 1 < sql.size() && sql[j + 1] == quote) {
                ++j;
                continue;
            }
            return j + 1;
        }
    }
    return -1;
}

}  // namespace

std::optional<LiteralParameters> splitLiteralParameters(const QString& sql) {
    if (!sql.trimmed().startsWith(QLatin1String("insert"), Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    LiteralParameters out;
    out.shape.reserve(sql.size());
    QChar previous;  // the last character of the shape that isn't a blank
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        const QChar next = i + 1 < n ? sql[i + 1] : QChar();
        if (c == u'\'' || c == u'"') {
            const qsizetype end = quotedEnd(sql, i);
            if (end < 0) {
                return std::nullopt;
            }
            const bool listItem =
                c == u'\'' && (previous == u'(' || previous == u',') &&
                (nextNonBlank(sql, end) == u',' || nextNonBlank(sql, end) == u')');
            if (listItem) {
                QString text = sql.mid(i + 1, end - i - 2);
                if (text.contains(QChar(0))) {
                    return std::nullopt;
                }
                if (text.contains(u'\'')) {
                    text.replace(QLatin1String("''"), QLatin1String("'"));
                }
                out.texts.append(text);
                out.shape += u'?';
                previous = u'?';
            } else {
                out.shape += QStringView(sql).mid(i, end - i);
                previous = sql[end - 1];
            }
            i = end;
            continue;
        }
        // Other quoting, comments, parameters and date literals are the engine's to read.
        if (c == u'[' || c == u'`' || c == u'#' || c == u'?' || c == u':' || c == u'@' ||
            c == u'$' || c == QChar(0) || (c == u'-' && next == u'-') ||
            (c == u'/' && next == u'*')) {
            return std::nullopt;
        }
        out.shape += c;
        if (!c.isSpace()) {
            previous = c;
        }
        ++i;
    }
    if (out.texts.isEmpty()) {
        return std::nullopt;
    }
    return out;
}

LiteralParameters everyLiteral(const QString& sql) {
    LiteralParameters out;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        const QChar previous = i > 0 ? sql[i - 1] : QChar();
        qsizetype end = -1;
        if (c == u'\'' || c == u'"' || c == u'#') {
            end = c == u'#' ? sql.indexOf(u'#', i + 1) + 1 : quotedEnd(sql, i);
            if (end <= 0) {
                end = n + 1;  // unclosed: the rest is the literal
            }
            QString text = sql.mid(i + 1, end - i - 2);
            if (c != u'#') {
                text.replace(QString(2, c), QString(c));
            }
            out.texts.append(text);
            end = std::min(end, n);
        } else if (c == u'[') {
            const qsizetype close = sql.indexOf(u']', i);
            end = close < 0 ? n : close + 1;
            out.shape += QStringView(sql).mid(i, end - i);
            i = end;
            continue;
        } else if (c.isDigit() && !previous.isLetterOrNumber() && previous != u'_') {
            end = i;
            while (end < n && (sql[end].isLetterOrNumber() || sql[end] == u'.')) {
                ++end;
            }
            out.texts.append(sql.mid(i, end - i));
        } else {
            out.shape += c;
            ++i;
            continue;
        }
        out.shape += u'?';
        i = end;
    }
    return out;
}

}  // namespace tillora
