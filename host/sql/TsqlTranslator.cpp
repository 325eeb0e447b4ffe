#include "TsqlTranslator.h"

#include <QSet>

#include <array>
#include <optional>
#include <vector>

namespace {

// "0x" and an even number of hexadecimal digits (none for the empty value).
bool isBinaryLiteral(QStringView word)
{
    if (word.size() < 2 || word[0] != u'0' || (word[1].unicode() | 0x20) != u'x' || word.size() % 2 != 0)
        return false;
    for (const QChar c : word.mid(2)) {
        const char16_t u = c.unicode() | 0x20;
        if (!((u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f')))
            return false;
    }
    return true;
}

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

// The characters of a word. The tokeniser and the quick look read words with
// this one test, so "$isnull(" is one word to both and a keyword to neither.
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
        } else if (isWordPart(c)) {
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

// Keywords are ASCII: only ASCII letters are folded, so no other character
// reads as one of them (the quick look compares the same way).
QString asciiLower(const QString &word)
{
    QString lower = word;
    for (QChar &c : lower) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() | 0x20);
    }
    return lower;
}

// The text a complete '..' literal stands for; nullopt for one the text ends in.
std::optional<QString> literalValue(const QString &literal)
{
    const qsizetype n = literal.size();
    if (n < 2 || literal.at(0) != QLatin1Char('\''))
        return std::nullopt;
    QString value;
    value.reserve(n - 2);
    for (qsizetype i = 1; i < n; ++i) {
        const QChar c = literal.at(i);
        if (c == QLatin1Char('\'')) {
            if (i + 1 == n)
                return value;
            if (literal.at(i + 1) != QLatin1Char('\''))
                return std::nullopt;
            ++i;
        }
        value += c;
    }
    return std::nullopt;
}

// The literal of a text, quotes doubled.
QString quoted(QStringView value)
{
    QString out;
    out.reserve(value.size() + 2);
    out += QLatin1Char('\'');
    for (const QChar c : value) {
        out += c;
        if (c == QLatin1Char('\''))
            out += c;
    }
    out += QLatin1Char('\'');
    return out;
}

// The first character, from U+0001 on, that the text does not hold: never a
// quote or a surrogate. The table spans more candidates than the text has
// characters, so one of them is free.
QString freeCharacter(const QString &value)
{
    const QList<uint> codes = value.toUcs4();
    std::vector<bool> held(size_t(codes.size()) + 0x800 + 3, false);
    for (const uint code : codes) {
        if (code < held.size())
            held[code] = true;
    }
    char32_t c = 1;
    while ((c < held.size() && held[c]) || c == U'\'' || (c >= 0xD800 && c <= 0xDFFF))
        ++c;
    return QString::fromUcs4(&c, 1);
}

// A text constant. One holding U+0000 (SQLite's tokeniser ends a literal
// there; PostgreSQL refuses the character in any text, and says so, rather
// than get a cut statement) is written with a character it does not hold in
// place of U+0000, put back by replace(): one call however many U+0000 it
// holds, where a join per U+0000 soon exceeds the engine's expression depth.
QString textLiteral(const QString &value, QLatin1String codeFunction)
{
    if (!value.contains(QChar(0)))
        return quoted(value);
    const QString stand = freeCharacter(value);
    QString text = value;
    text.replace(QChar(0), stand);
    return QLatin1String("replace(") + quoted(text) + QLatin1String(", ") + quoted(stand) + QLatin1String(", ")
           + codeFunction + QLatin1String("(0))");
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
    Translator(const QString &text, TsqlTarget target) : m_tokens(tokenize(text)), m_target(target)
    {
        for (int i = 0; i < int(m_tokens.size()); ++i) {
            if (m_tokens[i].kind != TokenKind::Space && m_tokens[i].kind != TokenKind::Comment)
                m_sig.push_back(i);
        }
        m_lower.reserve(m_sig.size());
        for (int i : m_sig)
            m_lower.push_back(m_tokens[i].kind == TokenKind::Word ? asciiLower(m_tokens[i].text) : QString());
    }

    QString run()
    {
        // The hints go first, and with them their tokens: the later rules read
        // "T With(RowLock) + x" as the next pass reads "T + x".
        dropTableHints(0, int(m_sig.size()));
        forgetBlankedTokens();
        for (const auto &[first, last] : splitStatements()) {
            addDeleteFrom(first, last);
            renameFunctions(first, last);
            translateTop(first, last);
            concatenate(first, last);
            writeBinaryLiterals(first, last);
            renameCodeFunctions(first, last);
            dropNationalPrefixes(first, last);
        }
        rewriteLiteralsWithNul();
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
    bool isIndex(int k) const { return isName(k) || isKind(k, TokenKind::Number); }
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
    // Drops blanked tokens from the significant ones.
    void forgetBlankedTokens()
    {
        size_t kept = 0;
        for (size_t k = 0; k < m_sig.size(); ++k) {
            if (m_tokens[m_sig[k]].text.isEmpty())
                continue;
            m_sig[kept] = m_sig[k];
            m_lower[kept] = m_lower[k];
            ++kept;
        }
        m_sig.resize(kept);
        m_lower.resize(kept);
    }
    // A blanked token is gone for the later passes as well.
    void blank(int k)
    {
        tok(k).text.clear();
        m_lower[k].clear();
    }
    // A token given new text is no keyword to the later passes.
    void replaceText(int k, const QString &text)
    {
        tok(k).text = text;
        m_lower[k].clear();
    }
    // N'..' written as one: the prefix touches the literal.
    bool isNationalLiteral(int k) const
    {
        return isWord(k, "n") && isKind(k + 1, TokenKind::String) && m_sig[k + 1] == m_sig[k] + 1;
    }

    // The function giving the character of a code: char( on SQLite and SQL
    // Server; PostgreSQL's char is a type.
    QLatin1String codeFunction() const
    {
        return m_target == TsqlTarget::PostgreSql ? QLatin1String("chr") : QLatin1String("char");
    }

    // How the target writes a constant text.
    QString textLiteral(const QString &value) const
    {
        return ::textLiteral(value, codeFunction());
    }

    // How the target writes bytes given as hexadecimal digits.
    QString binaryLiteral(const QString &hex) const
    {
        switch (m_target) {
        case TsqlTarget::PostgreSql:
            return QStringLiteral("decode('") + hex + QStringLiteral("', 'hex')");
        case TsqlTarget::Sqlite:
            break;
        }
        return QStringLiteral("X'") + hex + QLatin1Char('\'');
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
            // Hints dropped just before stand for nothing: "T With(NoLock)
            // With(NoLock)" is read as the next pass reads "T With(NoLock)".
            int named = k - 1;
            while (named >= first && tok(named).text.isEmpty())
                --named;
            if (!isName(named))
                continue;
            int i = k + 2;
            bool ok = false;
            while (i < last) {
                // An index is named or numbered; anything else is no hint.
                if (isWord(i, "index") && isSymbol(i + 1, "(")) {
                    const int close = matchingParen(i + 1, last);
                    bool indexes = close < last;
                    for (int k = i + 2; indexes && k < close; ++k)
                        indexes = isIndex(k) || isSymbol(k, ",");
                    if (!indexes)
                        break;
                    i = close + 1;
                } else if (isWord(i, "index") && isSymbol(i + 1, "=") && isIndex(i + 2)) {
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
                replaceText(k, m_target == TsqlTarget::PostgreSql ? QStringLiteral("coalesce") : QStringLiteral("ifnull"));
        }
    }

    // 0x...: SQL Server's binary literal, which the targets read as a number.
    // After the chains, which read it as text (see operand). A literal right
    // after it stays a literal of its own: X'01' 'b', not X'01''b'.
    void writeBinaryLiterals(int first, int last)
    {
        for (int k = first; k < last; ++k) {
            if (!isKind(k, TokenKind::Number) || !isBinaryLiteral(tok(k).text))
                continue;
            replaceText(k, binaryLiteral(tok(k).text.mid(2)));
            const size_t t = size_t(m_sig[k]) + 1;
            if (tok(k).after.isEmpty() && t < m_tokens.size() && m_tokens[t].before.isEmpty()
                && m_tokens[t].text.startsWith(QLatin1Char('\'')))
                tok(k).after = QStringLiteral(" ");
        }
    }

    // X'..': a binary literal as SQLite writes it (and this translation
    // writes 0x...), so that a second pass reads it as the first read 0x...
    bool isBlobLiteral(int k) const
    {
        if (!isWord(k, "x") || !isKind(k + 1, TokenKind::String) || m_sig[k + 1] != m_sig[k] + 1)
            return false;
        const QString &literal = m_tokens[m_sig[k + 1]].text;
        return literal.size() >= 2 && literal.endsWith(QLatin1Char('\''))
               && isBinaryLiteral(QStringLiteral("0x") + literal.mid(1, literal.size() - 2));
    }

    // char(n) the "+" chains did not fold, in the target's spelling. After
    // the chains, which read char( as text.
    void renameCodeFunctions(int first, int last)
    {
        if (m_target != TsqlTarget::PostgreSql)
            return;
        for (int k = first; k < last; ++k) {
            if ((isWord(k, "char") || isWord(k, "nchar")) && isSymbol(k + 1, "(") && !isWord(k - 1, "as"))
                replaceText(k, codeFunction());
        }
    }

    // N'text': the targets' literals are Unicode already. Dropped after the
    // "+" chains are read, which take N'..' for text. A literal that ends just
    // before the prefix keeps a blank between them: 'a'N'b' is two literals,
    // and 'a''b' would be one.
    void dropNationalPrefixes(int first, int last)
    {
        for (int k = first; k < last; ++k) {
            if (!isNationalLiteral(k))
                continue;
            blank(k);
            if (textBeforeEndsWithQuote(m_sig[k]))
                tok(k).text = QStringLiteral(" ");
        }
    }

    // The last character written before token t; none at the start.
    QChar lastCharBefore(int t) const
    {
        if (!m_tokens[t].before.isEmpty())
            return m_tokens[t].before.back();
        for (int i = t - 1; i >= 0; --i) {
            const Token &p = m_tokens[i];
            for (const QString *part : {&p.after, &p.text, &p.before}) {
                if (!part->isEmpty())
                    return part->back();
            }
        }
        return QChar();
    }

    bool textBeforeEndsWithQuote(int t) const { return lastCharBefore(t) == QLatin1Char('\''); }

    // Writes a rewritten constant as token t's text, with a blank before it
    // where a word ends just before: "x'a' + 'b'" must not become the blob
    // x'ab', nor "X'a<U+0000>'" the word Xreplace.
    void writeApart(int t, const QString &text)
    {
        m_tokens[t].text = text;
        if (!text.isEmpty() && (isWordPart(text.front()) || text.front() == QLatin1Char('\''))
            && isWordPart(lastCharBefore(t)))
            m_tokens[t].text.prepend(QLatin1Char(' '));
    }

    // Literals holding U+0000 that no chain folded: written the target's way.
    void rewriteLiteralsWithNul()
    {
        for (int t = 0; t < int(m_tokens.size()); ++t) {
            const Token &token = m_tokens[t];
            if (token.kind != TokenKind::String || !token.text.contains(QChar(0)))
                continue;
            if (const std::optional<QString> value = literalValue(token.text))
                writeApart(t, textLiteral(*value));
        }
    }

    bool isSetOperator(int k) const
    {
        return isWord(k, "union") || isWord(k, "except") || isWord(k, "intersect");
    }

    // Whether the select at s, of depth level, is the only select of its
    // level between the set operators or parentheses around it, and [from,
    // end), its rest, holds its parentheses in pairs.
    bool wellFormedSelect(int first, int s, int from, int end, int level) const
    {
        for (int k = s - 1; k >= first && m_depth[k] >= level && !(m_depth[k] == level && isSetOperator(k)); --k) {
            if (m_depth[k] == level && isWord(k, "select"))
                return false;
        }
        int open = 0;
        for (int k = from; k < end; ++k) {
            if (isSymbol(k, "("))
                ++open;
            else if (isSymbol(k, ")") && --open < 0)
                return false;
            else if (m_depth[k] == level && isWord(k, "select"))
                return false;
        }
        return open == 0;
    }

    void translateTop(int first, int last)
    {
        // Depth of each token, counted from the statement start. One vector for
        // all statements: a text of many short statements stays linear.
        std::vector<int> &depth = m_depth;
        depth.resize(m_sig.size());
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
            // "Select Top 2 Top 1 ..." is no T-SQL; translated, its second Top
            // would be translated by the next pass: left as written.
            const int next = isWord(topLast + 1, "distinct") || isWord(topLast + 1, "all") ? topLast + 2 : topLast + 1;
            if (isWord(next, "top"))
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
            // A second Select of its level, or a parenthesis without its pair,
            // is no T-SQL; the Limit or the parentheses added would be read
            // differently by the next pass: left as written.
            if (!wellFormedSelect(first, s, topLast + 1, end, level))
                continue;
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
                // A subquery in From needs a name on PostgreSQL; a branch in
                // parentheses is standard there (and refused by SQLite).
                tok(s).before += m_target == TsqlTarget::PostgreSql ? QStringLiteral("(") : QStringLiteral("Select * From (");
                tok(end - 1).after += QStringLiteral(" Limit ") + count + QLatin1Char(')');
            } else {
                tok(end - 1).after += QStringLiteral(" Limit ") + count;
            }
        }
    }

    // One operand of a "+" chain: [first, end) of significant tokens.
    struct Operand
    {
        int first = 0;
        int end = 0;
        bool text = false;      // text for certain
        bool constant = false;  // a literal or char(n): value holds its text
        QString value;
    };

    // Whether a comment lies between significant tokens a and b.
    bool commentBetween(int a, int b) const
    {
        for (int t = m_sig[a] + 1; t < m_sig[b]; ++t) {
            if (m_tokens[t].kind == TokenKind::Comment)
                return true;
        }
        return false;
    }

    // The character of char(n) or nchar(n) with a constant n, at k. Only
    // ASCII: above it the engines disagree on the character n stands for,
    // and char(0) stays as written (see rewriteLiteralsWithNul).
    std::optional<QChar> constantChar(int k) const
    {
        if (!(isWord(k, "char") || isWord(k, "nchar")) || !isSymbol(k + 1, "(") || !isKind(k + 2, TokenKind::Number)
            || !isSymbol(k + 3, ")"))
            return std::nullopt;
        bool ok = false;
        const QString &digits = m_tokens[m_sig[k + 2]].text;
        const uint code = digits.toUInt(&ok);
        for (const QChar c : digits) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                ok = false;
        }
        if (!ok || code < 1 || code > 127 || commentBetween(k, k + 3))
            return std::nullopt;
        return QChar(char16_t(code));
    }

    // Parses one operand of a "+" chain starting at k; false when there is
    // none there.
    bool operand(int k, int last, bool allowSign, Operand *out)
    {
        *out = Operand{k, k, false, false, QString()};
        if (k >= last || tok(k).text.isEmpty())
            return false;
        if (allowSign && (isSymbol(k, "-") || isSymbol(k, "+"))) {
            if (!operand(k + 1, last, false, out))
                return false;
            // A signed operand is no constant text.
            *out = Operand{k, out->end, out->text, false, QString()};
            return true;
        }
        const int literal = isNationalLiteral(k) ? k + 1 : k;
        if (isKind(literal, TokenKind::String)) {
            out->end = literal + 1;
            out->text = true;
            if (const std::optional<QString> value = literalValue(m_tokens[m_sig[literal]].text)) {
                out->constant = true;
                out->value = *value;
            }
            return true;
        }
        // Bytes joined to a text are a text on SQL Server (binary + varchar
        // concatenates): a binary literal makes its chain one of "||", on
        // every pass, whether written 0x... or already X'...'.
        if (isBlobLiteral(k)) {
            out->end = k + 2;
            out->text = true;
            return true;
        }
        const TokenKind kind = m_tokens[m_sig[k]].kind;
        if (kind == TokenKind::Number || kind == TokenKind::Variable || isWord(k, "null")) {
            out->end = k + 1;
            out->text = kind == TokenKind::Number && isBinaryLiteral(tok(k).text);
            return true;
        }
        if (isSymbol(k, "(")) {
            const int close = matchingParen(k, last);
            out->text = concatenate(k + 1, close) && close < last;
            out->end = close < last ? close + 1 : last;
            return true;
        }
        if (isWord(k, "case")) {
            int nested = 0;
            for (int i = k; i < last; ++i) {
                if (isWord(i, "case"))
                    ++nested;
                else if (isWord(i, "end") && --nested == 0) {
                    concatenate(k + 1, i);
                    out->end = i + 1;
                    return true;
                }
            }
            return false;
        }
        const bool callableKeyword = (isWord(k, "left") || isWord(k, "right")) && isSymbol(k + 1, "(");
        if (!isName(k) && !callableKeyword)
            return false;
        if (const std::optional<QChar> c = constantChar(k)) {
            *out = Operand{k, k + 4, true, true, QString(*c)};
            return true;
        }
        int i = k;
        while (isSymbol(i + 1, ".") && isName(i + 2))
            i += 2;
        if (isSymbol(i + 1, "(")) {
            const int close = matchingParen(i + 1, last);
            concatenate(i + 2, close);
            out->text = (i == k) && (isWord(k, "char") || isWord(k, "nchar"));
            out->end = close < last ? close + 1 : last;
            return true;
        }
        out->end = i + 1;
        return true;
    }

    // Writes operands [from, to) of a text chain, all constants, as one
    // literal in the first token; the rest of the run and the blanks in it go.
    void foldConstants(const std::vector<Operand> &chain, size_t from, size_t to)
    {
        QString value;
        for (size_t i = from; i < to; ++i)
            value += chain[i].value;
        const int first = chain[from].first;
        const int end = chain[to - 1].end;
        for (int k = first + 1; k < end; ++k)
            blank(k);
        for (int t = m_sig[first] + 1; t < m_sig[end - 1]; ++t) {
            if (m_tokens[t].kind == TokenKind::Space)
                m_tokens[t].text.clear();
        }
        replaceText(first, QString());
        writeApart(m_sig[first], textLiteral(value));
    }

    // Turns the "+" of every chain that holds text into "||" and folds its
    // runs of constants. Returns true when the whole range is one such chain
    // (used for parenthesised operands).
    bool concatenate(int first, int last)
    {
        // Nesting beyond any real statement: leave the rest as written rather
        // than run out of stack.
        if (m_nesting > kMaxNesting)
            return false;
        ++m_nesting;
        bool wholeRangeIsText = false;
        int k = first;
        std::vector<Operand> chain;
        std::vector<int> pluses;
        while (k < last) {
            chain.assign(1, Operand());
            if (!operand(k, last, false, &chain[0])) {
                ++k;
                continue;
            }
            // A sign before the chain binds to its first operand alone.
            if (isSymbol(k - 1, "-") || isSymbol(k - 1, "+") || isSymbol(k - 1, "~"))
                chain[0].constant = false;
            pluses.clear();
            bool anyText = chain[0].text;
            int cursor = chain[0].end;
            Operand next;
            while (isSymbol(cursor, "+") && cursor < last && operand(cursor + 1, last, true, &next)) {
                pluses.push_back(cursor);
                anyText = anyText || next.text;
                cursor = next.end;
                chain.push_back(next);
            }
            if (anyText) {
                for (int plus : pluses)
                    replaceText(plus, QStringLiteral("||"));
                foldConstantRuns(chain);
            }
            if (k == first && cursor >= last)
                wholeRangeIsText = anyText;
            k = cursor > k ? cursor : k + 1;
        }
        --m_nesting;
        return wholeRangeIsText;
    }

    // Each run of two or more constants with no comment inside becomes one
    // literal: the depth of the chain no longer grows with the text.
    void foldConstantRuns(const std::vector<Operand> &chain)
    {
        size_t runStart = 0;
        for (size_t i = 0; i <= chain.size(); ++i) {
            const bool continues = i < chain.size() && chain[i].constant
                                   && (i == runStart || !commentBetween(chain[i - 1].end - 1, chain[i].first));
            if (continues)
                continue;
            if (i - runStart >= 2)
                foldConstants(chain, runStart, i);
            runStart = i < chain.size() && chain[i].constant ? i : i + 1;
        }
    }

    std::vector<Token> m_tokens;
    std::vector<int> m_sig;
    std::vector<QString> m_lower;
    std::vector<int> m_depth;
    TsqlTarget m_target;
    int m_nesting = 0;
    static constexpr int kMaxNesting = 200;
};

} // namespace

namespace {

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

// What a character can start for the quick looks below: nothing, a word, a
// rewrite, a literal, or (by itself or with the next character) a name or a
// comment. U+0000 only ever stands in a literal the translation rewrites.
enum class Lead : quint8 { Other, Word, Rewrite, Quote, NameOrComment };

constexpr std::array<Lead, 128> kAsciiLead = [] {
    std::array<Lead, 128> table{};
    // The ASCII characters isWordPart takes.
    for (int c = 0; c < 128; ++c) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '#'
            || c == '@' || c == '$')
            table[c] = Lead::Word;
    }
    table['+'] = table[';'] = table[0] = Lead::Rewrite;
    table['\''] = Lead::Quote;
    table['['] = table['"'] = table['-'] = table['/'] = Lead::NameOrComment;
    return table;
}();

inline Lead leadOf(char16_t u)
{
    return u < 128 ? kAsciiLead[u] : (QChar(u).isLetterOrNumber() ? Lead::Word : Lead::Other);
}

// Reads the run of word characters at i (moving i past it), compared whole:
// the tokeniser never splits one, so a keyword inside a longer run is no
// keyword to it either. True when a rule acts on it; counts the statements.
bool wordMayNeedTranslation(const char16_t *text, qsizetype n, qsizetype &i, int &statements)
{
    const qsizetype from = i;
    while (i < n && leadOf(text[i]) == Lead::Word)
        ++i;
    const QStringView word(text + from, i - from);
    if (word.size() == 1 && (word[0] == QLatin1Char('n') || word[0] == QLatin1Char('N')))
        return i < n && text[i] == u'\'';
    if (word[0] == u'0')
        return isBinaryLiteral(word);
    if (word.size() < 3 || word.size() > 6)
        return false;
    // Every keyword below starts with one of these letters.
    switch (word[0].unicode() | 0x20) {
    case u'd': case u'i': case u's': case u't': case u'u': case u'w':
        break;
    default:
        return false;
    }
    for (const char *keyword : {"with", "isnull", "top", "delete"}) {
        if (isKeyword(word, keyword))
            return true;
    }
    if (isKeyword(word, "select") || isKeyword(word, "insert") || isKeyword(word, "update"))
        return ++statements > 1;
    return false;
}

// Whether any rule could act on the text: a table hint, a function or literal
// prefix to rewrite, a Top, a + to turn into ||, a Delete without From, or a
// second statement to separate. Most statements of the module need none of that
// (the synchronisation sends tens of thousands of plain inserts and updates), and
// one pass over the characters is far cheaper than tokenising them. This look is
// deliberately coarse: a word inside a literal, a name or a comment also sends
// the text the full way.
bool mayNeedTranslationAnywhere(const QString &tsql)
{
    const auto *const text = reinterpret_cast<const char16_t *>(tsql.constData());
    const qsizetype n = tsql.size();
    int statements = 0;
    qsizetype i = 0;
    while (i < n) {
        const Lead lead = leadOf(text[i]);
        if (lead == Lead::Rewrite)
            return true;
        if (lead != Lead::Word)
            ++i;
        else if (wordMayNeedTranslation(text, n, i, statements))
            return true;
    }
    return statements != 1;
}

// The same look with the literals passed over: no rule rewrites what a literal
// holds (but U+0000), and the values are most of what the synchronisation's
// statements carry. A literal starts at every quote outside names and
// comments; a text holding a name or a comment, whose quotes start none, is
// left to the coarse look.
bool mayNeedTranslation(const QString &tsql)
{
    const auto *const text = reinterpret_cast<const char16_t *>(tsql.constData());
    const qsizetype n = tsql.size();
    int statements = 0;
    qsizetype i = 0;
    while (i < n) {
        const char16_t u = text[i];
        switch (leadOf(u)) {
        case Lead::Other:
            // Blanks and punctuation come in runs between the words.
            do
                ++i;
            while (i < n && text[i] < 128 && kAsciiLead[text[i]] == Lead::Other);
            break;
        case Lead::Rewrite:
            return true;
        case Lead::NameOrComment:
            if (u == u'[' || u == u'"' || (i + 1 < n && text[i + 1] == (u == u'-' ? u'-' : u'*')))
                return mayNeedTranslationAnywhere(tsql);
            ++i;
            break;
        case Lead::Quote:
            // To the closing quote; a doubled quote stands for itself.
            for (++i;; i += 2) {
                while (i < n && text[i] != u'\'' && text[i] != 0)
                    ++i;
                // U+0000 is rewritten; an unterminated literal is left to the tokens.
                if (i == n || text[i] == 0)
                    return true;
                if (i + 1 == n || text[i + 1] != u'\'')
                    break;
            }
            ++i;
            break;
        case Lead::Word:
            if (wordMayNeedTranslation(text, n, i, statements))
                return true;
            break;
        }
    }
    return statements != 1;
}

} // namespace

QString translateTsql(const QString &tsql, TsqlTarget target)
{
    if (!mayNeedTranslation(tsql))
        return tsql;
    return Translator(tsql, target).run();
}

QString translateTsqlByTokens(const QString &tsql, TsqlTarget target)
{
    return Translator(tsql, target).run();
}
