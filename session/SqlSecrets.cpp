#include "SqlSecrets.h"

#include <QList>

#include <algorithm>

namespace {

enum class Kind { Word, Name, Literal, Number, Symbol };

struct Token
{
    Kind kind;
    int start;
    int length;
    QString text;  // a word or a name unquoted; a symbol as written
};

bool startsWord(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('#');
}

bool inWord(QChar c)
{
    return startsWord(c) || c.isDigit() || c == QLatin1Char('$');
}

// Reads up to the closing character; a doubled closing character stands for
// itself. Returns the position after the closing one (or the end).
int closeQuoted(const QString &sql, int from, QChar close, QString *value)
{
    int i = from;
    while (i < sql.size()) {
        if (sql[i] == close) {
            if (i + 1 < sql.size() && sql[i + 1] == close) {
                if (value)
                    value->append(close);
                i += 2;
                continue;
            }
            return i + 1;
        }
        if (value)
            value->append(sql[i]);
        ++i;
    }
    return i;
}

QList<Token> tokenize(const QString &sql)
{
    QList<Token> tokens;
    const int n = int(sql.size());
    int i = 0;
    while (i < n) {
        const QChar c = sql[i];
        const QChar next = i + 1 < n ? sql[i + 1] : QChar();
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            int depth = 0;
            while (i < n) {
                if (sql[i] == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
                    ++depth;
                    i += 2;
                } else if (sql[i] == QLatin1Char('*') && i + 1 < n && sql[i + 1] == QLatin1Char('/')) {
                    i += 2;
                    if (--depth == 0)
                        break;
                } else {
                    ++i;
                }
            }
        } else if (c == QLatin1Char('\'') || ((c == QLatin1Char('N') || c == QLatin1Char('n')) && next == QLatin1Char('\''))) {
            const int start = i;
            i = closeQuoted(sql, c == QLatin1Char('\'') ? i + 1 : i + 2, QLatin1Char('\''), nullptr);
            tokens.append({Kind::Literal, start, i - start, QString()});
        } else if (c == QLatin1Char('"') || c == QLatin1Char('[')) {
            const int start = i;
            QString name;
            i = closeQuoted(sql, i + 1, c == QLatin1Char('"') ? QLatin1Char('"') : QLatin1Char(']'), &name);
            tokens.append({Kind::Name, start, i - start, name});
        } else if (c.isDigit() || (c == QLatin1Char('.') && next.isDigit())) {
            const int start = i;
            while (i < n && (sql[i].isLetterOrNumber() || sql[i] == QLatin1Char('.')))
                ++i;
            tokens.append({Kind::Number, start, i - start, QString()});
        } else if (startsWord(c)) {
            const int start = i;
            while (i < n && inWord(sql[i]))
                ++i;
            tokens.append({Kind::Word, start, i - start, sql.mid(start, i - start)});
        } else {
            const int start = i;
            const QString two = sql.mid(i, 2);
            const bool pair = two == QLatin1String("<>") || two == QLatin1String("!=") || two == QLatin1String("<=")
                || two == QLatin1String(">=") || two == QLatin1String("||");
            i += pair ? 2 : 1;
            tokens.append({Kind::Symbol, start, i - start, sql.mid(start, i - start)});
        }
    }
    return tokens;
}

bool isWord(const Token &t, const char *word)
{
    return t.kind == Kind::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isSymbol(const Token &t, const char *symbol)
{
    return t.kind == Kind::Symbol && t.text == QLatin1String(symbol);
}

bool isPasswordColumn(const Token &t)
{
    return (t.kind == Kind::Word || t.kind == Kind::Name)
        && t.text.compare(QLatin1String("password"), Qt::CaseInsensitive) == 0;
}

bool isValue(const Token &t)
{
    return t.kind == Kind::Literal || t.kind == Kind::Number;
}

bool isComparison(const Token &t)
{
    return isSymbol(t, "=") || isSymbol(t, "<>") || isSymbol(t, "!=") || isWord(t, "Like");
}

// Words that end a value's expression in a Set list or a condition.
bool endsExpression(const Token &t)
{
    static const char *const words[] = {"Where", "And", "Or", "From", "Then", "When", "Else", "End", "Order", "Group",
                                        "Union", "Except", "Intersect", "Insert", "Update", "Delete", "Select",
                                        "Values", "Is", "Not", "Escape"};
    if (t.kind != Kind::Word)
        return isSymbol(t, ",") || isSymbol(t, ";");
    return std::any_of(std::begin(words), std::end(words), [&](const char *w) { return isWord(t, w); });
}

class Masker
{
public:
    explicit Masker(const QString &sql) : m_tokens(tokenize(sql)) {}

    QList<int> valuesToMask()
    {
        for (int i = 0; i < m_tokens.size(); ++i) {
            if (isWord(m_tokens[i], "Insert"))
                maskInsert(i);
            if (!isPasswordColumn(m_tokens[i]))
                continue;
            if (i + 1 < m_tokens.size() && isComparison(m_tokens[i + 1]))
                maskExpression(i + 2);
            else if (i + 2 < m_tokens.size() && isWord(m_tokens[i + 1], "In") && isSymbol(m_tokens[i + 2], "("))
                maskGroup(i + 2);
            // 'x' = PassWord
            if (i >= 2 && isComparison(m_tokens[i - 1]) && isValue(m_tokens[i - 2]))
                m_masked << i - 2;
        }
        std::sort(m_masked.begin(), m_masked.end());
        m_masked.erase(std::unique(m_masked.begin(), m_masked.end()), m_masked.end());
        return m_masked;
    }

    const QList<Token> &tokens() const { return m_tokens; }

private:
    // The values of one expression: up to a "," or ")" at its own depth or a
    // word that ends it.
    int maskExpression(int from)
    {
        int depth = 0;
        int i = from;
        for (; i < m_tokens.size(); ++i) {
            const Token &t = m_tokens[i];
            if (isSymbol(t, "("))
                ++depth;
            else if (isSymbol(t, ")") && depth-- == 0)
                break;
            else if (depth == 0 && endsExpression(t))
                break;
            else if (isValue(t))
                m_masked << i;
        }
        return i;
    }

    // Every value inside the parentheses opened at `open`; returns the index
    // of the closing one.
    int maskGroup(int open)
    {
        int depth = 0;
        for (int i = open; i < m_tokens.size(); ++i) {
            if (isSymbol(m_tokens[i], "("))
                ++depth;
            else if (isSymbol(m_tokens[i], ")") && --depth == 0)
                return i;
            else if (isValue(m_tokens[i]))
                m_masked << i;
        }
        return int(m_tokens.size());
    }

    // Insert [Into] table (columns) Values (...)[, (...)] | Select ...
    void maskInsert(int insert)
    {
        int i = insert + 1;
        if (i < m_tokens.size() && isWord(m_tokens[i], "Into"))
            ++i;
        // The table's name, possibly qualified.
        while (i < m_tokens.size() && (m_tokens[i].kind == Kind::Word || m_tokens[i].kind == Kind::Name
                                       || isSymbol(m_tokens[i], ".")))
            ++i;
        if (i >= m_tokens.size() || !isSymbol(m_tokens[i], "("))
            return;
        int column = -1;
        int position = 0;
        for (++i; i < m_tokens.size() && !isSymbol(m_tokens[i], ")"); ++i) {
            if (isSymbol(m_tokens[i], ","))
                ++position;
            else if (isPasswordColumn(m_tokens[i]))
                column = position;
        }
        if (column < 0 || ++i >= m_tokens.size())
            return;
        if (isWord(m_tokens[i], "Values")) {
            ++i;
            while (i < m_tokens.size() && isSymbol(m_tokens[i], "(")) {
                i = maskNth(i + 1, column);
                if (i + 1 < m_tokens.size() && isSymbol(m_tokens[i + 1], ",")) 
                    i += 2;
                else
                    break;
            }
        } else if (isWord(m_tokens[i], "Select")) {
            maskNth(i + 1, column);
        }
    }

    // Masks the values of the n-th item of a list starting at `from` (after
    // "(" or "Select"); returns where the list ended.
    int maskNth(int from, int n)
    {
        int position = 0;
        int i = from;
        while (i < m_tokens.size()) {
            if (position == n)
                return skipRest(maskExpression(i));
            const int end = skipItem(i);
            if (end >= m_tokens.size() || !isSymbol(m_tokens[end], ","))
                return end;
            i = end + 1;
            ++position;
        }
        return i;
    }

    // The index of the "," or ")" that ends the item at `from`, or of the
    // word that ends a Select list.
    int skipItem(int from) const
    {
        int depth = 0;
        for (int i = from; i < m_tokens.size(); ++i) {
            const Token &t = m_tokens[i];
            if (isSymbol(t, "("))
                ++depth;
            else if (isSymbol(t, ")") && depth-- == 0)
                return i;
            else if (depth == 0 && (isSymbol(t, ",") || isSymbol(t, ";") || isWord(t, "From") || isWord(t, "Where")))
                return i;
        }
        return int(m_tokens.size());
    }

    // From the end of a masked item to the end of its list.
    int skipRest(int from) const
    {
        int i = from;
        while (i < m_tokens.size() && isSymbol(m_tokens[i], ","))
            i = skipItem(i + 1);
        return i;
    }

    QList<Token> m_tokens;
    QList<int> m_masked;
};

} // namespace

QString maskSecrets(const QString &text)
{
    // Most texts name no password at all: nothing to read then.
    if (!text.contains(QLatin1String("password"), Qt::CaseInsensitive))
        return text;
    Masker masker(text);
    const QList<int> masked = masker.valuesToMask();
    QString result = text;
    for (auto it = masked.crbegin(); it != masked.crend(); ++it) {
        const Token &t = masker.tokens().at(*it);
        const bool unicode = t.kind == Kind::Literal && text[t.start] != QLatin1Char('\'');
        const QString stars = t.kind == Kind::Number ? QStringLiteral("***")
                                                     : (unicode ? QStringLiteral("N'***'") : QStringLiteral("'***'"));
        result.replace(t.start, t.length, stars);
    }
    return result;
}
