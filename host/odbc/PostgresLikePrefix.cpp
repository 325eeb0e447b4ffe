#include "PostgresLikePrefix.h"

#include <QSet>

#include <vector>

namespace {

struct Token
{
    enum Kind { Word, Name, Text, Other } kind = Other;
    qsizetype start = 0;
    qsizetype end = 0;  // one past
};

bool isWordStart(QChar c)
{
    return c.isLetter() || c == u'_';
}

bool isWordPart(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

// Tokens of PostgreSQL text: words (a dotted name counts as one), "quoted"
// names, '..' literals, and single characters; comments and blanks are
// skipped. A literal with a letter right before it (E'..', U&'..') is marked
// Other, so it is never taken for a plain literal.
std::vector<Token> tokensOf(const QString &s)
{
    std::vector<Token> tokens;
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            while (i < n && s[i] != u'\n')
                ++i;
        } else if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
            int depth = 0;
            do {
                if (s[i] == u'/' && i + 1 < n && s[i + 1] == u'*') {
                    ++depth;
                    i += 2;
                } else if (s[i] == u'*' && i + 1 < n && s[i + 1] == u'/') {
                    --depth;
                    i += 2;
                } else {
                    ++i;
                }
            } while (depth > 0 && i < n);
        } else if (c == u'\'' || c == u'"') {
            qsizetype j = i + 1;
            while (j < n) {
                if (s[j] == c) {
                    if (j + 1 < n && s[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const bool prefixed = !tokens.empty() && tokens.back().end == i && tokens.back().kind == Token::Word;
            const Token::Kind kind = c == u'"' ? Token::Name : (prefixed ? Token::Other : Token::Text);
            tokens.push_back({kind, i, qMin(j + 1, n)});
            i = j + 1;
        } else if (isWordStart(c)) {
            qsizetype j = i + 1;
            while (j < n && (isWordPart(s[j]) || (s[j] == u'.' && j + 1 < n && isWordStart(s[j + 1]))))
                ++j;
            tokens.push_back({Token::Word, i, j});
            i = j;
        } else if (c.isDigit()) {
            qsizetype j = i + 1;
            while (j < n && (s[j].isLetterOrNumber() || s[j] == u'.'))
                ++j;
            tokens.push_back({Token::Other, i, j});
            i = j;
        } else {
            tokens.push_back({Token::Other, i, i + 1});
            ++i;
        }
    }
    return tokens;
}

QString lowerWord(const QString &s, const Token &t)
{
    return s.mid(t.start, t.end - t.start).toLower();
}

// Words after which a condition starts, and words a condition may end before.
const QSet<QString> &conditionStarts()
{
    static const QSet<QString> words{QStringLiteral("where"), QStringLiteral("and"), QStringLiteral("or"),
                                     QStringLiteral("on"), QStringLiteral("having"), QStringLiteral("when"),
                                     QStringLiteral("not")};
    return words;
}

const QSet<QString> &conditionEnds()
{
    static const QSet<QString> words{
        QStringLiteral("and"),    QStringLiteral("or"),     QStringLiteral("then"),   QStringLiteral("order"),
        QStringLiteral("group"),  QStringLiteral("union"),  QStringLiteral("having"), QStringLiteral("limit"),
        QStringLiteral("end"),    QStringLiteral("else"),   QStringLiteral("when"),   QStringLiteral("except"),
        QStringLiteral("intersect"), QStringLiteral("offset"), QStringLiteral("for"), QStringLiteral("returning")};
    return words;
}

// A SQL keyword is never a column name here; only these could stand before Like.
bool isKeyword(const QString &word)
{
    return conditionStarts().contains(word) || conditionEnds().contains(word) || word == QLatin1String("select")
        || word == QLatin1String("like") || word == QLatin1String("ilike") || word == QLatin1String("is")
        || word == QLatin1String("null") || word == QLatin1String("distinct");
}

bool isCharacter(const QString &s, const Token &t, char16_t c)
{
    return t.kind == Token::Other && t.end - t.start == 1 && s[t.start] == c;
}

// A literal whose match the added condition certainly follows from, and that
// an index can seek on: printable ASCII, a fixed first character, no "_"
// (one character could lower-case to two) and no "\" (an escape).
bool isPlainPrefix(const QString &s, const Token &t)
{
    if (t.kind != Token::Text || t.end - t.start < 3 || s[t.end - 1] != u'\'')
        return false;
    const QStringView body = QStringView(s).sliced(t.start + 1, t.end - t.start - 2);
    if (body.front() == u'%')
        return false;
    for (const QChar c : body) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e || c == u'_' || c == u'\\')
            return false;
    }
    return true;
}

// Whether the text holds the four letters of "like" in any ASCII case: the
// test every statement meets before it is taken apart. Qt's case-insensitive
// search folds each character through the Unicode tables, which cost a
// synchronisation of 100,000 users a twentieth of its client time.
bool mayHoldLike(const QString &sql)
{
    const char16_t *c = reinterpret_cast<const char16_t *>(sql.constData());
    for (qsizetype i = 0, last = sql.size() - 4; i <= last; ++i) {
        if ((c[i] | 0x20) == u'l' && (c[i + 1] | 0x20) == u'i' && (c[i + 2] | 0x20) == u'k' && (c[i + 3] | 0x20) == u'e')
            return true;
    }
    return false;
}

} // namespace

QString withIndexablePrefixMatches(const QString &postgresSql)
{
    if (!mayHoldLike(postgresSql))
        return postgresSql;
    const std::vector<Token> tokens = tokensOf(postgresSql);
    QString out;
    qsizetype copied = 0;
    for (std::size_t i = 1; i + 1 < tokens.size(); ++i) {
        const Token &like = tokens[i];
        if (like.kind != Token::Word || lowerWord(postgresSql, like) != QLatin1String("like"))
            continue;
        const Token &column = tokens[i - 1];
        const Token &pattern = tokens[i + 1];
        const bool plainColumn = (column.kind == Token::Word && !isKeyword(lowerWord(postgresSql, column)))
                                 || column.kind == Token::Name;
        if (!plainColumn || !isPlainPrefix(postgresSql, pattern))
            continue;
        const bool startsCondition = i < 2 || isCharacter(postgresSql, tokens[i - 2], u'(')
                                     || isCharacter(postgresSql, tokens[i - 2], u',')
                                     || (tokens[i - 2].kind == Token::Word
                                         && conditionStarts().contains(lowerWord(postgresSql, tokens[i - 2])));
        const bool endsCondition = i + 2 >= tokens.size() || isCharacter(postgresSql, tokens[i + 2], u')')
                                   || isCharacter(postgresSql, tokens[i + 2], u',')
                                   || isCharacter(postgresSql, tokens[i + 2], u';')
                                   || (tokens[i + 2].kind == Token::Word
                                       && conditionEnds().contains(lowerWord(postgresSql, tokens[i + 2])));
        if (!startsCondition || !endsCondition)
            continue;
        const QStringView columnText = QStringView(postgresSql).sliced(column.start, column.end - column.start);
        const QStringView patternText = QStringView(postgresSql).sliced(pattern.start, pattern.end - pattern.start);
        out += QStringView(postgresSql).sliced(copied, column.start - copied);
        out += u"(lower(";
        out += columnText;
        out += u"::text) Like lower(";
        out += patternText;
        out += u") And ";
        out += QStringView(postgresSql).sliced(column.start, pattern.end - column.start);
        out += u')';
        copied = pattern.end;
    }
    if (copied == 0)
        return postgresSql;
    out += QStringView(postgresSql).sliced(copied);
    return out;
}
