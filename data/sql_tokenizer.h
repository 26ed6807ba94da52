#pragma once

#include <QString>
#include <QStringView>

namespace tillora {

// One lexical piece of a statement as the program writes it (Jet's dialect).
struct SqlToken {
    enum class Kind {
        Blank,         // a run of white space
        Word,          // letters, digits and "_", not starting with a digit
        Number,        // starting with a digit: letters, digits, "_" and "."
        Text,          // '...', a doubled quote standing for one
        QuotedName,    // "...", a doubled quote standing for one
        BracketName,   // [...], "]]" inside standing for one "]"
        Date,          // #...#
        LineComment,   // -- to the end of the line
        BlockComment,  // /* ... */
        Symbol,        // any other character; "[[" and "]]" (a bracket standing for itself)
    };
    Kind kind = Kind::Symbol;
    qsizetype begin = 0;
    qsizetype end = 0;
    // False when the statement ends inside the token (an open literal, name, date or comment).
    bool closed = true;

    bool isWordOrNumber() const { return kind == Kind::Word || kind == Kind::Number; }
};

// Reads a statement token by token without copying it. Every reader of statement text (the
// dialect translators, the literal split, the fault log's shape) goes through this one, so that
// all of them agree on where a literal or a name begins and ends.
class SqlTokenizer {
  public:
    explicit SqlTokenizer(QStringView sql) : sql_(sql) {}

    bool atEnd() const { return pos_ >= sql_.size(); }
    SqlToken next();
    // Goes on from `at`, e.g. inside a token of which the reader took only the first character.
    void resumeAt(qsizetype at) { pos_ = at; }
    qsizetype position() const { return pos_; }
    // The next token that isn't blank, without moving on; a Blank token with begin == end at the
    // end of the statement.
    SqlToken peekPastBlanks() const;

    QStringView sql() const { return sql_; }
    QStringView text(const SqlToken& t) const { return sql_.mid(t.begin, t.end - t.begin); }
    // True when the token is `word`, letter case ignored.
    bool is(const SqlToken& t, QStringView word) const {
        return t.isWordOrNumber() && text(t).compare(word, Qt::CaseInsensitive) == 0;
    }

  private:
    QStringView sql_;
    qsizetype pos_ = 0;
};

// Letters, digits and "_"; ASCII without the Unicode tables.
inline bool isSqlWordChar(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80) {
        return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') ||
               u == u'_';
    }
    return c.isLetterOrNumber();
}

// The text of a quoted token (literal, quoted or bracketed name) without its delimiters, a
// doubled closing delimiter made single; an open token to the end.
QString unquotedSqlText(QStringView sql, const SqlToken& token);

}  // namespace tillora
