#include "data/sql_tokenizer.h"

#include <algorithm>

namespace tillora {

namespace {

// One past the closing `close` of a token opened at `from`, a doubled `close` staying inside;
// -1 when it never closes.
qsizetype closingEnd(QStringView s, qsizetype from, QChar close) {
    for (qsizetype j = from; j < s.size(); ++j) {
        if (s[j] == close) {
            if (j + 1 < s.size() && s[j + 1] == close) {
                ++j;
                continue;
            }
            return j + 1;
        }
    }
    return -1;
}

}  // namespace

SqlToken SqlTokenizer::next() {
    using Kind = SqlToken::Kind;
    const QStringView s = sql_;
    const qsizetype n = s.size();
    SqlToken t;
    t.begin = pos_;
    if (pos_ >= n) {
        t.kind = Kind::Blank;
        t.end = pos_;
        return t;
    }
    const QChar c = s[pos_];
    const QChar next = pos_ + 1 < n ? s[pos_ + 1] : QChar();
    qsizetype end = pos_ + 1;
    auto closeAt = [&](qsizetype e) {
        t.closed = e >= 0;
        end = e >= 0 ? e : n;
    };
    // Most of a statement is ASCII: the Unicode tables only for the rest (names, texts).
    const bool ascii = c.unicode() < 0x80;
    if (ascii ? isSqlWordChar(c) : c.isLetterOrNumber()) {
        const bool digit = ascii ? c.unicode() >= u'0' && c.unicode() <= u'9' : c.isDigit();
        t.kind = digit ? Kind::Number : Kind::Word;
        while (end < n && (isSqlWordChar(s[end]) || (digit && s[end] == u'.'))) {
            ++end;
        }
    } else if (c.isSpace()) {
        t.kind = Kind::Blank;
        while (end < n && s[end].isSpace()) {
            ++end;
        }
    } else if (c == u'\'' || c == u'"') {
        t.kind = c == u'\'' ? Kind::Text : Kind::QuotedName;
        closeAt(closingEnd(s, pos_ + 1, c));
    } else if (c == u'[' && next != u'[') {
        t.kind = Kind::BracketName;
        closeAt(closingEnd(s, pos_ + 1, u']'));
    } else if ((c == u'[' || c == u']') && next == c) {
        t.kind = Kind::Symbol;
        end = pos_ + 2;
    } else if (c == u'#') {
        t.kind = Kind::Date;
        const qsizetype close = s.indexOf(u'#', pos_ + 1);
        closeAt(close < 0 ? -1 : close + 1);
    } else if (c == u'-' && next == u'-') {
        t.kind = Kind::LineComment;
        const qsizetype line = s.indexOf(u'\n', pos_ + 2);
        end = line < 0 ? n : line;
    } else if (c == u'/' && next == u'*') {
        t.kind = Kind::BlockComment;
        const qsizetype close = s.indexOf(QStringView(u"*/"), pos_ + 2);
        closeAt(close < 0 ? -1 : close + 2);
    } else {
        t.kind = Kind::Symbol;
    }
    t.end = end;
    pos_ = end;
    return t;
}

SqlToken SqlTokenizer::peekPastBlanks() const {
    SqlTokenizer ahead = *this;
    SqlToken t = ahead.next();
    while (t.kind == SqlToken::Kind::Blank && t.end > t.begin) {
        t = ahead.next();
    }
    return t;
}

QString unquotedSqlText(QStringView sql, const SqlToken& token) {
    const QChar open = sql[token.begin];
    const QChar close = open == u'[' ? QChar(u']') : open;
    const qsizetype from = token.begin + 1;
    const qsizetype to = token.closed ? token.end - 1 : token.end;
    const QStringView inside = sql.mid(from, std::max<qsizetype>(0, to - from));
    if (!inside.contains(close)) {
        return inside.toString();
    }
    QString text;
    text.reserve(inside.size());
    for (qsizetype i = 0; i < inside.size(); ++i) {
        text += inside[i];
        if (inside[i] == close && i + 1 < inside.size() && inside[i + 1] == close) {
            ++i;  // a doubled delimiter stands for one
        }
    }
    return text;
}

}  // namespace tillora
