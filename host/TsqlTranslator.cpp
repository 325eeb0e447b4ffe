#include "TsqlTranslator.h"

#include <QSet>

#include <array>
#include <vector>

namespace {

enum class TokenKind { Space, Comment, String, QuotedName, BracketName, Number, Word, Variable, Symbol };

// One lexical token. Rewrites never touch the text of literals, names or
// comments: they blank a token, replace the text of a word or operator, or add
// text before or after a token.
struct Token
{
    TokenKind kind;
    QString text;
    QString before;
    QString after;
};

bool isWordStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('#');
}

inline bool isWordPart(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80) {
        return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' || u == '#'
            || u == '@' || u == '$';
    }
    return c.isLetterOrNumber();
}

// Scans to the end of a quoted run whose closing character is doubled to stand
// for itself ('it''s', [a]]b], "a""b"). An unterminated run ends with the text.
int endOfQuoted(const QString &s, int start, QChar close)
{
    int i = start + 1;
    const int n = s.size();
    while (i < n) {
        if (s.at(i) == close) {
            if (i + 1 < n && s.at(i + 1) == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return n;
}

std::vector<Token> tokenize(const QString &s)
{
    std::vector<Token> tokens;
    const int n = s.size();
    int i = 0;
    auto push = [&](TokenKind kind, int from, int to) {
        tokens.push_back(Token{kind, s.mid(from, to - from), QString(), QString()});
    };
    while (i < n) {
        const QChar c = s.at(i);
        const QChar next = i + 1 < n ? s.at(i + 1) : QChar();
        int j = i + 1;
        if (c.isSpace()) {
            while (j < n && s.at(j).isSpace())
                ++j;
            push(TokenKind::Space, i, j);
        } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            while (j < n && s.at(j) != QLatin1Char('\n') && s.at(j) != QLatin1Char('\r'))
                ++j;
            push(TokenKind::Comment, i, j);
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            // SQL Server nests block comments; keep the nesting so a comment
            // holding "/*" does not end early.
            int depth = 1;
            j = i + 2;
            while (j < n && depth > 0) {
                if (s.at(j) == QLatin1Char('/') && j + 1 < n && s.at(j + 1) == QLatin1Char('*')) {
                    ++depth;
                    j += 2;
                } else if (s.at(j) == QLatin1Char('*') && j + 1 < n && s.at(j + 1) == QLatin1Char('/')) {
                    --depth;
                    j += 2;
                } else {
                    ++j;
                }
            }
            push(TokenKind::Comment, i, j);
        } else if (c == QLatin1Char('\'')) {
            j = endOfQuoted(s, i, QLatin1Char('\''));
            push(TokenKind::String, i, j);
        } else if (c == QLatin1Char('"')) {
            j = endOfQuoted(s, i, QLatin1Char('"'));
            push(TokenKind::QuotedName, i, j);
        } else if (c == QLatin1Char('[')) {
            j = endOfQuoted(s, i, QLatin1Char(']'));
            push(TokenKind::BracketName, i, j);
        } else if (c.isDigit() || (c == QLatin1Char('.') && next.isDigit())) {
            while (j < n && (s.at(j).isLetterOrNumber() || s.at(j) == QLatin1Char('.')))
                ++j;
            push(TokenKind::Number, i, j);
        } else if (c == QLatin1Char('@')) {
            while (j < n && isWordPart(s.at(j)))
                ++j;
            push(TokenKind::Variable, i, j);
        } else if (isWordStart(c)) {
            while (j < n && isWordPart(s.at(j)))
                ++j;
            push(TokenKind::Word, i, j);
        } else {
            static const QStringList pairs = {QStringLiteral("<="), QStringLiteral(">="),
                                              QStringLiteral("<>"), QStringLiteral("!="),
                                              QStringLiteral("||")};
            const QString two = s.mid(i, 2);
            if (pairs.contains(two))
                j = i + 2;
            push(TokenKind::Symbol, i, j);
        }
        i = j;
    }
    return tokens;
}

// Words that never stand for a value, so a "+" chain cannot start or continue
// with them.
const QSet<QString> &keywords()
{
    static const QSet<QString> set = {
        QStringLiteral("select"), QStringLiteral("from"), QStringLiteral("where"),
        QStringLiteral("and"), QStringLiteral("or"), QStringLiteral("not"), QStringLiteral("as"),
        QStringLiteral("on"), QStringLiteral("like"), QStringLiteral("in"), QStringLiteral("is"),
        QStringLiteral("union"), QStringLiteral("all"), QStringLiteral("except"),
        QStringLiteral("intersect"), QStringLiteral("order"), QStringLiteral("by"),
        QStringLiteral("group"), QStringLiteral("having"), QStringLiteral("top"),
        QStringLiteral("values"), QStringLiteral("set"), QStringLiteral("into"),
        QStringLiteral("insert"), QStringLiteral("update"), QStringLiteral("delete"),
        QStringLiteral("join"), QStringLiteral("inner"), QStringLiteral("left"),
        QStringLiteral("right"), QStringLiteral("outer"), QStringLiteral("cross"),
        QStringLiteral("full"), QStringLiteral("then"), QStringLiteral("else"),
        QStringLiteral("when"), QStringLiteral("end"), QStringLiteral("between"),
        QStringLiteral("exists"), QStringLiteral("distinct"), QStringLiteral("with"),
        QStringLiteral("asc"), QStringLiteral("desc"), QStringLiteral("limit"),
        QStringLiteral("escape"), QStringLiteral("collate"), QStringLiteral("case"),
    };
    return set;
}

const QSet<QString> &tableHints()
{
    static const QSet<QString> set = {
        QStringLiteral("rowlock"), QStringLiteral("nolock"), QStringLiteral("updlock"),
        QStringLiteral("holdlock"), QStringLiteral("readpast"), QStringLiteral("tablock"),
        QStringLiteral("tablockx"), QStringLiteral("paglock"), QStringLiteral("xlock"),
        QStringLiteral("readcommitted"), QStringLiteral("readcommittedlock"),
        QStringLiteral("readuncommitted"), QStringLiteral("repeatableread"),
        QStringLiteral("serializable"), QStringLiteral("nowait"), QStringLiteral("forceseek"),
        QStringLiteral("forcescan"), QStringLiteral("snapshot"), QStringLiteral("nolock"),
        QStringLiteral("keepidentity"), QStringLiteral("keepdefaults"),
        QStringLiteral("ignore_constraints"), QStringLiteral("ignore_triggers"),
        QStringLiteral("noexpand"),
    };
    return set;
}

// The rewriting passes over one text. Significant tokens (everything but blanks
// and comments) are addressed through m_sig, so the passes can look at "the
// next token" without caring about the layout between them.
class Translator
{
public:
    explicit Translator(const QString &text) : m_tokens(tokenize(text))
    {
        for (int i = 0; i < int(m_tokens.size()); ++i) {
            if (m_tokens[i].kind != TokenKind::Space && m_tokens[i].kind != TokenKind::Comment)
                m_sig.push_back(i);
        }
        m_lower.reserve(m_sig.size());
        for (int i : m_sig)
            m_lower.push_back(m_tokens[i].kind == TokenKind::Word ? m_tokens[i].text.toLower() : QString());
    }

    QString run()
    {
        for (const auto &[first, last] : splitStatements()) {
            addDeleteFrom(first, last);
            dropTableHints(first, last);
            renameFunctions(first, last);
            translateTop(first, last);
            concatenate(first, last);
        }
        QString out;
        for (const Token &t : m_tokens) {
            out += t.before;
            out += t.text;
            out += t.after;
        }
        return out;
    }

private:
    Token &tok(int k) { return m_tokens[m_sig[k]]; }
    bool isWord(int k, const char *lowerWord) const
    {
        return k >= 0 && k < int(m_sig.size()) && m_lower[k] == QLatin1String(lowerWord);
    }
    bool isSymbol(int k, const char *symbol) const
    {
        return k >= 0 && k < int(m_sig.size()) && m_tokens[m_sig[k]].kind == TokenKind::Symbol
            && m_tokens[m_sig[k]].text == QLatin1String(symbol);
    }
    bool isKind(int k, TokenKind kind) const
    {
        return k >= 0 && k < int(m_sig.size()) && m_tokens[m_sig[k]].kind == kind;
    }
    bool isName(int k) const
    {
        if (isKind(k, TokenKind::BracketName) || isKind(k, TokenKind::QuotedName))
            return true;
        return isKind(k, TokenKind::Word) && !keywords().contains(m_lower[k]);
    }
    // Index of the ")" that closes the "(" at k, or the end of the text.
    int matchingParen(int k, int last) const
    {
        int depth = 0;
        for (int i = k; i < last; ++i) {
            if (isSymbol(i, "("))
                ++depth;
            else if (isSymbol(i, ")") && --depth == 0)
                return i;
        }
        return last;
    }
    // A blanked token is gone for the later passes as well.
    void blank(int k)
    {
        tok(k).text.clear();
        m_lower[k].clear();
    }

    // Statement ranges [first, last) of significant tokens. SQL Server starts a
    // new statement at a top-level Insert, Update or Delete even without ";".
    std::vector<std::pair<int, int>> splitStatements()
    {
        std::vector<std::pair<int, int>> ranges;
        const int n = int(m_sig.size());
        int start = 0;
        int depth = 0;
        static const QSet<QString> dml = {QStringLiteral("select"), QStringLiteral("insert"),
                                          QStringLiteral("update"), QStringLiteral("delete")};
        static const QSet<QString> noSplitAfter = {QStringLiteral("on"), QStringLiteral("do"),
                                                   QStringLiteral("of"), QStringLiteral("instead"),
                                                   QStringLiteral("for"), QStringLiteral("or")};
        for (int k = 0; k < n; ++k) {
            if (isSymbol(k, ";")) {
                if (k > start)
                    ranges.emplace_back(start, k);
                start = k + 1;
                depth = 0;
                continue;
            }
            if (isSymbol(k, "("))
                ++depth;
            else if (isSymbol(k, ")") && depth > 0)
                --depth;
            if (depth == 0 && k > start && dml.contains(m_lower[start])
                && (isWord(k, "insert") || isWord(k, "update") || isWord(k, "delete"))
                && !noSplitAfter.contains(m_lower[k - 1])) {
                tok(k - 1).after += QLatin1Char(';');
                ranges.emplace_back(start, k);
                start = k;
            }
        }
        if (start < n)
            ranges.emplace_back(start, n);
        return ranges;
    }

    void addDeleteFrom(int first, int last)
    {
        if (isWord(first, "delete") && first + 1 < last && !isWord(first + 1, "from")
            && !isWord(first + 1, "top"))
            tok(first + 1).before += QStringLiteral("From ");
    }

    // "With ( hint [, hint]... )" after a table name or alias.
    void dropTableHints(int first, int last)
    {
        for (int k = first + 1; k < last; ++k) {
            if (!isWord(k, "with") || !isSymbol(k + 1, "("))
                continue;
            if (!isName(k - 1))
                continue;
            int i = k + 2;
            bool ok = false;
            while (i < last) {
                if (isWord(i, "index") && isSymbol(i + 1, "(")) {
                    i = matchingParen(i + 1, last) + 1;
                } else if (isWord(i, "index") && isSymbol(i + 1, "=") && i + 2 < last) {
                    i += 3;
                } else if (isKind(i, TokenKind::Word) && tableHints().contains(m_lower[i])) {
                    ++i;
                } else {
                    break;
                }
                if (isSymbol(i, ",")) {
                    ++i;
                    continue;
                }
                ok = isSymbol(i, ")");
                break;
            }
            if (!ok || i >= last)
                continue;
            // Blank the hint with the blanks inside it; comments stay.
            for (int t = m_sig[k]; t <= m_sig[i]; ++t) {
                if (m_tokens[t].kind == TokenKind::Space)
                    m_tokens[t].text.clear();
            }
            for (int h = k; h <= i; ++h)
                blank(h);
            k = i;
        }
    }

    void renameFunctions(int first, int last)
    {
        for (int k = first; k < last; ++k) {
            if (isWord(k, "isnull") && isSymbol(k + 1, "("))
                tok(k).text = QStringLiteral("ifnull");
            // N'text': SQLite's literals are Unicode already.
            if (isWord(k, "n") && isKind(k + 1, TokenKind::String) && m_sig[k + 1] == m_sig[k] + 1)
                blank(k);
        }
    }

    bool isSetOperator(int k) const
    {
        return isWord(k, "union") || isWord(k, "except") || isWord(k, "intersect");
    }

    void translateTop(int first, int last)
    {
        // Depth of each token, counted from the statement start.
        std::vector<int> depth(m_sig.size(), 0);
        int d = 0;
        for (int k = first; k < last; ++k) {
            if (isSymbol(k, ")") && d > 0)
                --d;
            depth[k] = d;
            if (isSymbol(k, "("))
                ++d;
        }
        // Inner selects first, so that their additions come before the outer
        // select's when both end at the same token.
        for (int s = last - 1; s >= first; --s) {
            if (!isWord(s, "select"))
                continue;
            int p = s + 1;
            if (isWord(p, "distinct") || isWord(p, "all"))
                ++p;
            if (!isWord(p, "top"))
                continue;
            const int topWord = p;
            QString count;
            int topLast = -1;
            if (isKind(p + 1, TokenKind::Number)) {
                count = tok(p + 1).text;
                topLast = p + 1;
            } else if (isSymbol(p + 1, "(") && isKind(p + 2, TokenKind::Number) && isSymbol(p + 3, ")")) {
                count = tok(p + 2).text;
                topLast = p + 3;
            } else {
                continue;
            }
            if (isWord(topLast + 1, "percent") || (isWord(topLast + 1, "with") && isWord(topLast + 2, "ties")))
                continue;

            const int level = depth[s];
            int end = topLast + 1;
            // The select ends at the ")" of the group holding it (the only
            // token below its level), at a set operator or with the statement.
            while (end < last && depth[end] >= level && !(depth[end] == level && isSetOperator(end)))
                ++end;
            const bool endsAtSetOperator = end < last && isSetOperator(end);
            const bool afterSetOperator =
                s - 1 >= first && depth[s - 1] == level
                && (isSetOperator(s - 1) || (isWord(s - 1, "all") && isSetOperator(s - 2)));
            const bool branch = endsAtSetOperator || afterSetOperator;
            if (branch && !endsAtSetOperator) {
                // An Order By after the last branch sorts the whole compound.
                for (int k = topLast + 1; k < end; ++k) {
                    if (depth[k] == level && isWord(k, "order") && isWord(k + 1, "by")) {
                        end = k;
                        break;
                    }
                }
            }
            if (end - 1 <= topLast)
                continue;  // nothing after Top: leave the text to fail as written
            for (int k = topWord; k <= topLast; ++k)
                blank(k);
            // The blanks inside and after "Top n" go too: "Select a".
            for (int t = m_sig[topWord]; t <= m_sig[topLast] + 1 && t < int(m_tokens.size()); ++t) {
                if (m_tokens[t].kind == TokenKind::Space)
                    m_tokens[t].text.clear();
            }
            if (branch) {
                tok(s).before += QStringLiteral("Select * From (");
                tok(end - 1).after += QStringLiteral(" Limit ") + count + QLatin1Char(')');
            } else {
                tok(end - 1).after += QStringLiteral(" Limit ") + count;
            }
        }
    }

    // Parses one operand of a "+" chain starting at k; returns the index after
    // it, or -1. *stringy tells whether the operand is text for certain.
    int operand(int k, int last, bool allowSign, bool *stringy)
    {
        *stringy = false;
        if (k >= last || tok(k).text.isEmpty())
            return -1;
        if (allowSign && (isSymbol(k, "-") || isSymbol(k, "+")))
            return operand(k + 1, last, false, stringy);
        const TokenKind kind = m_tokens[m_sig[k]].kind;
        if (kind == TokenKind::String) {
            *stringy = true;
            return k + 1;
        }
        if (kind == TokenKind::Number || kind == TokenKind::Variable)
            return k + 1;
        if (isWord(k, "null"))
            return k + 1;
        if (isWord(k, "n") && isKind(k + 1, TokenKind::String)) {
            *stringy = true;
            return k + 2;
        }
        if (isSymbol(k, "(")) {
            const int close = matchingParen(k, last);
            *stringy = concatenate(k + 1, close) && close < last;
            return close < last ? close + 1 : last;
        }
        if (isWord(k, "case")) {
            int nested = 0;
            for (int i = k; i < last; ++i) {
                if (isWord(i, "case"))
                    ++nested;
                else if (isWord(i, "end") && --nested == 0) {
                    concatenate(k + 1, i);
                    return i + 1;
                }
            }
            return -1;
        }
        const bool callableKeyword = (isWord(k, "left") || isWord(k, "right")) && isSymbol(k + 1, "(");
        if (!isName(k) && !callableKeyword)
            return -1;
        int i = k;
        while (isSymbol(i + 1, ".") && isName(i + 2))
            i += 2;
        if (isSymbol(i + 1, "(")) {
            const int close = matchingParen(i + 1, last);
            concatenate(i + 2, close);
            *stringy = (i == k) && (isWord(k, "char") || isWord(k, "nchar"));
            return close < last ? close + 1 : last;
        }
        return i + 1;
    }

    // Turns the "+" of every chain that holds text into "||". Returns true when
    // the whole range is one such chain (used for parenthesised operands).
    bool concatenate(int first, int last)
    {
        // Nesting beyond any real statement: leave the rest as written rather
        // than run out of stack.
        if (m_nesting > 200)
            return false;
        ++m_nesting;
        bool wholeRangeIsText = false;
        int k = first;
        while (k < last) {
            bool stringy = false;
            const int end = operand(k, last, false, &stringy);
            if (end < 0) {
                ++k;
                continue;
            }
            std::vector<int> pluses;
            bool anyText = stringy;
            int cursor = end;
            while (isSymbol(cursor, "+") && cursor < last) {
                bool nextText = false;
                const int nextEnd = operand(cursor + 1, last, true, &nextText);
                if (nextEnd < 0)
                    break;
                pluses.push_back(cursor);
                anyText = anyText || nextText;
                cursor = nextEnd;
            }
            if (anyText) {
                for (int plus : pluses)
                    tok(plus).text = QStringLiteral("||");
            }
            if (k == first && cursor >= last)
                wholeRangeIsText = anyText;
            k = cursor > k ? cursor : k + 1;
        }
        --m_nesting;
        return wholeRangeIsText;
    }

    std::vector<Token> m_tokens;
    std::vector<int> m_sig;
    std::vector<QString> m_lower;
    int m_nesting = 0;
};

} // namespace

namespace {

// Whether any rule could act on the text: a table hint, a function or literal
// prefix to rewrite, a Top, a + to turn into ||, a Delete without From, or a
// second statement to separate. Most statements of the module need none of that
// (the synchronisation sends tens of thousands of plain inserts and updates), and
// one pass over the characters is far cheaper than tokenising them. The look is
// deliberately coarse: a word inside a literal or a name also sends the text the
// full way.
// The word spelled like the lower-case ASCII keyword, in any case.
bool isKeyword(QStringView word, const char *keyword)
{
    qsizetype k = 0;
    for (; keyword[k]; ++k) {
        if (k >= word.size() || (word[k].unicode() | 0x20) != keyword[k])
            return false;
    }
    return k == word.size();
}

bool mayNeedTranslation(const QString &tsql)
{
    // What an ASCII character can start: nothing, a word, or a rewrite.
    enum : quint8 { Other, Word, Rewrite };
    static const auto asciiClass = [] {
        std::array<quint8, 128> table{};
        for (int c = 0; c < 128; ++c) {
            if (isWordPart(QChar(c)))
                table[c] = Word;
        }
        table['+'] = table[';'] = Rewrite;
        return table;
    }();
    const auto classOf = [](char16_t u) { return u < 128 ? asciiClass[u] : (QChar(u).isLetterOrNumber() ? Word : Other); };

    const auto *const text = reinterpret_cast<const char16_t *>(tsql.constData());
    const qsizetype n = tsql.size();
    int statements = 0;
    qsizetype i = 0;
    while (i < n) {
        const quint8 kind = classOf(text[i]);
        if (kind == Rewrite)
            return true;
        if (kind == Other) {
            ++i;
            continue;
        }
        // A run of word characters, compared whole: the tokeniser never splits
        // one, so a keyword inside a longer run is no keyword to it either.
        const qsizetype from = i;
        while (i < n && classOf(text[i]) == Word)
            ++i;
        const QStringView word(text + from, i - from);
        if (word.size() == 1 && (word[0] == QLatin1Char('n') || word[0] == QLatin1Char('N'))) {
            if (i < n && text[i] == u'\'')
                return true;
            continue;
        }
        if (word.size() < 3 || word.size() > 6)
            continue;
        for (const char *keyword : {"with", "isnull", "top", "delete"}) {
            if (isKeyword(word, keyword))
                return true;
        }
        if (isKeyword(word, "select") || isKeyword(word, "insert") || isKeyword(word, "update")) {
            if (++statements > 1)
                return true;
        }
    }
    return statements != 1;
}

} // namespace

QString translateTsqlToSqlite(const QString &tsql)
{
    if (!mayNeedTranslation(tsql))
        return tsql;
    return Translator(tsql).run();
}

QString translateTsqlToSqliteByTokens(const QString &tsql)
{
    return Translator(tsql).run();
}
