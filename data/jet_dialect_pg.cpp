#include "data/jet_dialect_pg.h"

#include "data/jet_dialect.h"

namespace tillora {

namespace {

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

qsizetype skipSpaces(const QString& s, qsizetype i) {
    while (i < s.size() && s[i].isSpace()) {
        ++i;
    }
    return i;
}

// The end of the literal or quoted identifier that starts at i (past its closing quote).
qsizetype quotedEnd(const QString& s, qsizetype i) {
    const QChar q = s[i];
    qsizetype j = i + 1;
    while (j < s.size()) {
        if (s[j] == q) {
            if (j + 1 < s.size() && s[j + 1] == q) {
                j += 2;
                continue;
            }
            return j + 1;
        }
        ++j;
    }
    return s.size();
}

qsizetype wordEnd(const QString& s, qsizetype i) {
    while (i < s.size() && isWordChar(s[i])) {
        ++i;
    }
    return i;
}

// The lower-case word at i, empty when none starts there.
QString wordAt(const QString& s, qsizetype i) {
    return i < s.size() && isWordChar(s[i]) ? s.mid(i, wordEnd(s, i) - i).toLower() : QString();
}

QString asciiLower(QStringView text) {
    QString out = text.toString();
    for (QChar& c : out) {
        if (c >= u'A' && c <= u'Z') {
            c = QChar(c.unicode() + 32);
        }
    }
    return out;
}

// The token after `where` when it stands alone: a bare value or column up to the end of the
// statement or the next clause. Its end in *end; empty when the condition is anything else.
QString loneCondition(const QString& s, qsizetype i, qsizetype* end) {
    const qsizetype start = skipSpaces(s, i);
    qsizetype stop;
    if (start < s.size() && s[start] == u'"') {
        stop = quotedEnd(s, start);
    } else if (start < s.size() && isWordChar(s[start])) {
        stop = wordEnd(s, start);
    } else {
        return {};
    }
    qsizetype after = skipSpaces(s, stop);
    while (after < s.size() && s[after] == u';') {
        after = skipSpaces(s, after + 1);
    }
    const QString next = wordAt(s, after);
    if (after < s.size() && next != u"order" && next != u"group" && next != u"limit") {
        return {};
    }
    *end = stop;
    return s.mid(start, stop - start);
}

QString dayLiteral(double day) {
    const QString number = QString::number(day, 'g', 17);
    return day < 0 ? QStringLiteral("(") + number + QStringLiteral(")") : number;
}

}  // namespace

QString translateJetSqlForServer(const QString& sql, double nowDay) {
    const QString s = translateJetSql(sql);
    QString out;
    out.reserve(s.size() + 32);
    int parameter = 0;
    qsizetype lastWordAt = -1;  // where the last word was written into out
    QString lastWord;
    bool patternNext = false;  // the token after `like`
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const QChar c = s[i];
        if (c == u'\'') {
            const qsizetype end = quotedEnd(s, i);
            QString literal = s.mid(i, end - i);
            if (patternNext && wordAt(s, skipSpaces(s, end)) != u"escape") {
                // The server's LIKE takes "\" as its escape character; Jet has none.
                literal.replace(u'\\', QStringLiteral("\\\\"));
            }
            out += literal;
            i = end;
            patternNext = false;
            lastWord.clear();
        } else if (c == u'"') {
            const qsizetype end = quotedEnd(s, i);
            out += asciiLower(QStringView(s).mid(i, end - i));
            i = end;
            patternNext = false;
            lastWord.clear();
        } else if (c == u'?') {
            out += u'$' + QString::number(++parameter);
            ++i;
            patternNext = false;
            lastWord.clear();
        } else if (isWordChar(c)) {
            const qsizetype end = wordEnd(s, i);
            const QString word = s.mid(i, end - i).toLower();
            patternNext = false;
            if (word == u"like") {
                const QString collate = QStringLiteral("collate \"und-x-icu\" ");
                if (lastWord == u"not") {
                    out.insert(lastWordAt, collate);
                } else {
                    out += collate;
                }
                out += QStringLiteral("ilike");
                patternNext = true;
                i = end;
                lastWord = word;
                continue;
            }
            if (word == u"binary" && lastWord == u"collate") {
                // Byte order, as the file's "binary": the collation the unique number index has.
                out += QStringLiteral("\"C\"");
                i = end;
                lastWord.clear();
                continue;
            }
            if (word == u"now") {
                qsizetype open = skipSpaces(s, end);
                if (open < n && s[open] == u'(') {
                    const qsizetype close = skipSpaces(s, open + 1);
                    if (close < n && s[close] == u')') {
                        out += dayLiteral(nowDay);
                        i = close + 1;
                        lastWord.clear();
                        continue;
                    }
                }
            }
            if (word == u"where") {
                qsizetype condEnd = 0;
                const QString cond = loneCondition(s, end, &condEnd);
                if (!cond.isEmpty()) {
                    // Jet and the file take a value as true when it reads as a non-zero number.
                    const QString value = cond.startsWith(u'"') ? asciiLower(cond) : cond;
                    out += QStringLiteral(
                               "where coalesce(substring(cast(%1 as text) collate \"C\" from "
                               "'^\\s*([-+]?[0-9]*\\.?[0-9]+)')::float8 <> 0, false)")
                               .arg(value);
                    i = condEnd;
                    lastWord.clear();
                    continue;
                }
            }
            lastWordAt = out.size();
            out += QStringView(s).mid(i, end - i);
            lastWord = word;
            i = end;
        } else {
            out += c;
            if (!c.isSpace()) {
                lastWord.clear();
                patternNext = false;
            }
            ++i;
        }
    }
    return out;
}

}  // namespace tillora
