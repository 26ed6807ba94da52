#include "data/jet_dialect_pg.h"

#include "data/jet_dialect.h"
#include "data/sql_tokenizer.h"

#include <optional>

namespace tillora {

namespace {

using Kind = SqlToken::Kind;

QString asciiLower(QStringView text) {
    QString out = text.toString();
    for (QChar& c : out) {
        if (c >= u'A' && c <= u'Z') {
            c = QChar(c.unicode() + 32);
        }
    }
    return out;
}

bool isSymbol(const SqlTokenizer& tokens, const SqlToken& t, QChar c) {
    return t.kind == Kind::Symbol && tokens.text(t) == QStringView(&c, 1);
}

// The token after `where` when it stands alone: a bare value or column up to the end of the
// statement or the next clause; nullopt when the condition is anything else.
std::optional<SqlToken> loneCondition(SqlTokenizer tokens) {
    const SqlToken cond = tokens.peekPastBlanks();
    if (cond.kind != Kind::QuotedName && !cond.isWordOrNumber()) {
        return std::nullopt;
    }
    tokens.resumeAt(cond.end);
    SqlToken after = tokens.peekPastBlanks();
    while (isSymbol(tokens, after, u';')) {
        tokens.resumeAt(after.end);
        after = tokens.peekPastBlanks();
    }
    if (after.end > after.begin && !tokens.is(after, u"order") && !tokens.is(after, u"group") &&
        !tokens.is(after, u"limit")) {
        return std::nullopt;
    }
    return cond;
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
    QStringView lastWord;
    bool patternNext = false;  // the token after `like`
    SqlTokenizer tokens(s);
    while (!tokens.atEnd()) {
        const SqlToken t = tokens.next();
        const QStringView text = tokens.text(t);
        if (t.kind == Kind::Blank) {
            out += text;
            continue;
        }
        const bool pattern = patternNext;
        patternNext = false;
        const QStringView previousWord = lastWord;
        lastWord = {};
        if (t.kind == Kind::Text) {
            if (pattern && !tokens.is(tokens.peekPastBlanks(), u"escape")) {
                // The server's LIKE takes "\" as its escape character; Jet has none.
                out += text.toString().replace(u'\\', QStringLiteral("\\\\"));
            } else {
                out += text;
            }
        } else if (t.kind == Kind::QuotedName) {
            out += asciiLower(text);
        } else if (isSymbol(tokens, t, u'?')) {
            out += u'$' + QString::number(++parameter);
        } else if (t.kind == Kind::Date) {
            // A date the translation could not read: the "#" alone, the rest read as it stands.
            out += u'#';
            tokens.resumeAt(t.begin + 1);
        } else if (!t.isWordOrNumber()) {
            out += text;
        } else if (tokens.is(t, u"like")) {
            const QString collate = QStringLiteral("collate \"und-x-icu\" ");
            if (previousWord.compare(u"not", Qt::CaseInsensitive) == 0) {
                out.insert(lastWordAt, collate);
            } else {
                out += collate;
            }
            out += QStringLiteral("ilike");
            patternNext = true;
            lastWord = text;
        } else if (tokens.is(t, u"binary") &&
                   previousWord.compare(u"collate", Qt::CaseInsensitive) == 0) {
            // Byte order, as the file's "binary": the collation the unique number index has.
            out += QStringLiteral("\"C\"");
        } else if (tokens.is(t, u"now") && isSymbol(tokens, tokens.peekPastBlanks(), u'(')) {
            SqlTokenizer ahead = tokens;
            ahead.resumeAt(ahead.peekPastBlanks().end);
            const SqlToken close = ahead.peekPastBlanks();
            if (isSymbol(ahead, close, u')')) {
                out += dayLiteral(nowDay);
                tokens.resumeAt(close.end);
            } else {
                lastWordAt = out.size();
                out += text;
                lastWord = text;
            }
        } else if (const auto cond =
                       tokens.is(t, u"where") ? loneCondition(tokens) : std::nullopt) {
            // Jet and the file take a value as true when it reads as a non-zero number.
            const QStringView written = tokens.text(*cond);
            const QString value =
                cond->kind == Kind::QuotedName ? asciiLower(written) : written.toString();
            out += QStringLiteral(
                       "where coalesce(substring(cast(%1 as text) collate \"C\" from "
                       "'^\\s*([-+]?[0-9]*\\.?[0-9]+)')::float8 <> 0, false)")
                       .arg(value);
            tokens.resumeAt(cond->end);
        } else {
            lastWordAt = out.size();
            out += text;
            lastWord = text;
        }
    }
    return out;
}

}  // namespace tillora
