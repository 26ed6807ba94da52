#include "data/literal_parameters.h"

#include "data/sql_tokenizer.h"

namespace tillora {

namespace {

using Kind = SqlToken::Kind;

bool isListSeparator(const SqlTokenizer& tokens, const SqlToken& t) {
    return t.kind == Kind::Symbol && (tokens.text(t) == u"," || tokens.text(t) == u")");
}

}  // namespace

std::optional<LiteralParameters> splitLiteralParameters(const QString& sql) {
    SqlTokenizer tokens(sql);
    if (!tokens.is(tokens.peekPastBlanks(), u"insert")) {
        return std::nullopt;
    }
    // Runs every statement of a sale: the shape is copied in runs between the literals taken out.
    LiteralParameters out;
    out.shape.reserve(sql.size());
    out.texts.reserve(8);  // a sale's line has seven
    qsizetype copied = 0;  // sql[copied, ...) is still to be copied into the shape
    QChar previous;        // the last character of the shape that isn't a blank
    while (!tokens.atEnd()) {
        const SqlToken t = tokens.next();
        switch (t.kind) {
            case Kind::Text:
                if (!t.closed) {
                    return std::nullopt;
                }
                if ((previous == u'(' || previous == u',') &&
                    isListSeparator(tokens, tokens.peekPastBlanks())) {
                    QString item = unquotedSqlText(sql, t);
                    if (item.contains(QChar(0))) {
                        return std::nullopt;
                    }
                    out.texts.append(std::move(item));
                    out.shape.append(QStringView(sql).mid(copied, t.begin - copied));
                    out.shape += u'?';
                    copied = t.end;
                    previous = u'?';
                    continue;
                }
                break;
            case Kind::QuotedName:
            case Kind::BracketName:
                if (!t.closed) {
                    return std::nullopt;
                }
                break;
            // Comments, parameters and date literals are the engine's to read.
            case Kind::Date:
            case Kind::LineComment:
            case Kind::BlockComment:
                return std::nullopt;
            case Kind::Symbol: {
                const QChar c = sql[t.begin];
                if (c == u'`' || c == u'?' || c == u':' || c == u'@' || c == u'$' ||
                    c == QChar(0)) {
                    return std::nullopt;
                }
                break;
            }
            case Kind::Blank:
                continue;
            case Kind::Word:
            case Kind::Number:
                break;
        }
        previous = sql[t.end - 1];
    }
    if (out.texts.isEmpty()) {
        return std::nullopt;
    }
    out.shape.append(QStringView(sql).mid(copied));
    return out;
}

LiteralParameters everyLiteral(const QString& sql) {
    LiteralParameters out;
    SqlTokenizer tokens(sql);
    while (!tokens.atEnd()) {
        const SqlToken t = tokens.next();
        switch (t.kind) {
            case Kind::Text:
            case Kind::QuotedName:
            case Kind::Date:
                out.texts.append(unquotedSqlText(sql, t));
                out.shape += u'?';
                break;
            case Kind::Number:
                out.texts.append(tokens.text(t).toString());
                out.shape += u'?';
                break;
            default:
                out.shape += tokens.text(t);
                break;
        }
    }
    return out;
}

}  // namespace tillora
