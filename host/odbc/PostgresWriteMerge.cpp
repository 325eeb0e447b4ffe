#include "PostgresWriteMerge.h"

#include <QSet>

#include <optional>

namespace PostgresWriteMerge {
namespace {

// The most rows one merged statement carries.
constexpr int kMaxRows = 500;

struct Token
{
    enum Kind { Word, Text, Number, Null, Punct, End } kind = End;
    QStringView text;
};

// The tokens of a statement, or nothing when it holds anything beyond plain
// names, literals and ( ) , = (quoted names, escapes, operators, comments).
std::optional<std::vector<Token>> tokensOf(QStringView s)
{
    std::vector<Token> tokens;
    tokens.reserve(64);  // a user's insert or update has about forty
    qsizetype i = 0;
    const qsizetype n = s.size();
    const auto isWordStart = [](QChar c) { return c.isLetter() || c == u'_'; };
    const auto isWordPart = [](QChar c) { return c.isLetterOrNumber() || c == u'_'; };
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == u'\'') {
            qsizetype j = i + 1;
            for (;; ++j) {
                if (j >= n)
                    return std::nullopt;
                if (s[j] == u'\'') {
                    if (j + 1 < n && s[j + 1] == u'\'') {
                        ++j;
                        continue;
                    }
                    break;
                }
            }
            tokens.push_back({Token::Text, s.sliced(i, j + 1 - i)});
            i = j + 1;
        } else if (c.isDigit() || (c == u'-' && i + 1 < n && s[i + 1].isDigit())) {
            qsizetype j = i + 1;
            while (j < n && (s[j].isDigit() || s[j] == u'.'))
                ++j;
            tokens.push_back({Token::Number, s.sliced(i, j - i)});
            i = j;
        } else if (isWordStart(c)) {
            qsizetype j = i + 1;
            while (j < n && isWordPart(s[j]))
                ++j;
            const QStringView word = s.sliced(i, j - i);
            // A letter right after a word's end (E'..', U&'..') is not plain.
            if (j < n && s[j] == u'\'')
                return std::nullopt;
            tokens.push_back({word.compare(u"null", Qt::CaseInsensitive) == 0 ? Token::Null : Token::Word, word});
            i = j;
        } else if (c == u'(' || c == u')' || c == u',' || c == u'=' || c == u';') {
            tokens.push_back({Token::Punct, s.sliced(i, 1)});
            ++i;
        } else {
            return std::nullopt;
        }
    }
    while (!tokens.empty() && tokens.back().text == u";")
        tokens.pop_back();
    tokens.push_back({Token::End, {}});
    return tokens;
}

// One write of a mergeable form, its parts seen in the statement's text
// (which outlives the merge), not copied.
struct Write
{
    using Row = std::vector<QStringView>;
    bool update = false;
    QStringView table;               // as written
    Row columns;                     // inserted or set, as written
    QStringView keyColumn;           // an update's Where column
    std::vector<Row> rows;           // literals as written; an update's key last
    QString shape;                   // what writes must share to merge
};

QString joined(const Write::Row &parts, QStringView separator)
{
    QString text;
    text.reserve(qsizetype(parts.size()) * 16);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            text += separator;
        text += parts[i];
    }
    return text;
}

// Letters in lower case; ASCII without Unicode's tables, which cost a
// synchronisation's every statement more than the rest of its parse.
QString lowered(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() >= 0x80)
            return text.toLower();
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() | 0x20);
    }
    return text;
}

class Parser
{
public:
    explicit Parser(const std::vector<Token> &tokens) : m_tokens(tokens) {}

    std::optional<Write> write()
    {
        Write w;
        if (keyword(u"insert")) {
            if (!keyword(u"into") || !word(&w.table) || !punct(u"(") || !names(&w.columns) || !punct(u")")
                || !keyword(u"values"))
                return std::nullopt;
            do {
                Write::Row row;
                if (!punct(u"(") || !literals(&row, true) || !punct(u")") || row.size() != w.columns.size())
                    return std::nullopt;
                w.rows.push_back(std::move(row));
            } while (punct(u","));
        } else if (keyword(u"update")) {
            Write::Row row;
            if (!word(&w.table) || !keyword(u"set"))
                return std::nullopt;
            do {
                QStringView column;
                if (!word(&column) || !punct(u"=") || !literal(&row, false))
                    return std::nullopt;
                w.columns.push_back(column);
            } while (punct(u","));
            if (!keyword(u"where") || !word(&w.keyColumn) || !punct(u"="))
                return std::nullopt;
            if (m_tokens[m_at].kind != Token::Text)
                return std::nullopt;
            row.push_back(m_tokens[m_at++].text);
            // An update of its own key could be met again by a later key.
            for (const QStringView column : w.columns) {
                if (column.compare(w.keyColumn, Qt::CaseInsensitive) == 0)
                    return std::nullopt;
            }
            w.update = true;
            w.rows.push_back(std::move(row));
        } else {
            return std::nullopt;
        }
        if (m_tokens[m_at].kind != Token::End)
            return std::nullopt;
        QString shape = w.update ? QStringLiteral("U ") : QStringLiteral("I ");
        shape.append(w.table).append(u' ').append(joined(w.columns, u",")).append(u' ').append(w.keyColumn);
        w.shape = lowered(std::move(shape));
        return w;
    }

private:
    bool keyword(QStringView k)
    {
        const Token &t = m_tokens[m_at];
        if (t.kind != Token::Word || t.text.compare(k, Qt::CaseInsensitive) != 0)
            return false;
        ++m_at;
        return true;
    }
    bool word(QStringView *out)
    {
        const Token &t = m_tokens[m_at];
        if (t.kind != Token::Word)
            return false;
        for (const char16_t *reserved : {u"values", u"set", u"where", u"from"}) {
            if (t.text.compare(QStringView(reserved), Qt::CaseInsensitive) == 0)
                return false;
        }
        *out = t.text;
        ++m_at;
        return true;
    }
    bool punct(QStringView p)
    {
        if (m_tokens[m_at].kind != Token::Punct || m_tokens[m_at].text != p)
            return false;
        ++m_at;
        return true;
    }
    bool names(Write::Row *out)
    {
        do {
            QStringView name;
            if (!word(&name))
                return false;
            out->push_back(name);
        } while (punct(u","));
        return true;
    }
    // A literal; numbers only where the server takes them as it would alone
    // (an insert's values go to their columns as they are).
    bool literal(Write::Row *row, bool numbers)
    {
        const Token &t = m_tokens[m_at];
        if (t.kind != Token::Text && t.kind != Token::Null && !(numbers && t.kind == Token::Number))
            return false;
        row->push_back(t.text);
        ++m_at;
        return true;
    }
    bool literals(Write::Row *row, bool numbers)
    {
        do {
            if (!literal(row, numbers))
                return false;
        } while (punct(u","));
        return true;
    }

    const std::vector<Token> &m_tokens;
    qsizetype m_at = 0;
};

std::optional<Write> parse(const QString &statement)
{
    const auto tokens = tokensOf(statement);
    if (!tokens)
        return std::nullopt;
    return Parser(*tokens).write();
}

bool isTextType(const QString &type)
{
    const QString t = type.toLower();
    return t == u"citext" || t == u"text" || t.startsWith(u"character") || t.startsWith(u"varchar")
        || t.startsWith(u"bpchar");
}

// The key as every text type's equality could take it: without case and
// trailing blanks. Empty when that cannot be told here (other than ASCII).
QString foldedKey(QStringView literal)
{
    QString key = literal.toString().toLower();
    for (const QChar c : std::as_const(key)) {
        if (c.unicode() >= 0x80)
            return QString();
    }
    // Within the quotes: trailing blanks before the closing one go.
    qsizetype end = key.size() - 1;
    while (end > 1 && key[end - 1] == u' ')
        --end;
    return key.left(end) + QLatin1Char('\'');
}

QString joinedRow(const Write::Row &values)
{
    return QLatin1Char('(') + joined(values, u", ") + QLatin1Char(')');
}

void emitInsert(const std::vector<Write> &run, std::vector<QString> *out)
{
    const Write &first = run.front();
    QStringList rows;
    for (const Write &w : run) {
        for (const Write::Row &row : w.rows)
            rows << joinedRow(row);
    }
    out->push_back(QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                       .arg(first.table, joined(first.columns, u", "), rows.join(QStringLiteral(", "))));
}

void emitUpdate(const std::vector<Write> &run, const QStringList &types, std::vector<QString> *out)
{
    const Write &first = run.front();
    QStringList sets, names, rows;
    for (qsizetype i = 0; i < types.size(); ++i)
        names << QStringLiteral("v%1").arg(i + 1);
    for (qsizetype i = 0; i < first.columns.size(); ++i)
        sets << QStringLiteral("%1 = lumo_v.%2").arg(first.columns[i], names[i]);
    // The first row's casts give the list its columns' types; the rest
    // follow them as the literals would have followed their columns.
    QStringList typed;
    for (qsizetype i = 0; i < types.size(); ++i)
        typed << QStringLiteral("%1::%2").arg(first.rows.front()[std::size_t(i)], types[i]);
    rows << QLatin1Char('(') + typed.join(QStringLiteral(", ")) + QLatin1Char(')');
    for (std::size_t w = 1; w < run.size(); ++w)
        rows << joinedRow(run[w].rows.front());
    out->push_back(QStringLiteral("SET LOCAL enable_hashjoin = off"));
    out->push_back(QStringLiteral("SET LOCAL enable_mergejoin = off"));
    out->push_back(QStringLiteral("UPDATE %1 AS lumo_t SET %2 FROM (VALUES %3) AS lumo_v (%4) WHERE lumo_t.%5 = lumo_v.%6")
                       .arg(first.table, sets.join(QStringLiteral(", ")), rows.join(QStringLiteral(", ")),
                            names.join(QStringLiteral(", ")), first.keyColumn, names.last()));
    out->push_back(QStringLiteral("SET LOCAL enable_hashjoin TO DEFAULT"));
    out->push_back(QStringLiteral("SET LOCAL enable_mergejoin TO DEFAULT"));
}

// The column types an update of `w` needs, its key's last; empty when one
// is unknown or the key is not text.
QStringList typesFor(const Write &w, const ColumnType &typeOf)
{
    QStringList types;
    const QString table = w.table.toString();
    for (const QStringView column : w.columns)
        types << typeOf(table, column.toString());
    const QString keyType = typeOf(table, w.keyColumn.toString());
    if (!isTextType(keyType) || types.contains(QString()))
        return {};
    types << keyType;
    return types;
}

} // namespace

std::vector<QString> merged(const std::vector<QString> &statements, const ColumnType &typeOf)
{
    std::vector<QString> out;
    std::vector<Write> run;         // writes of one shape, not yet sent
    std::size_t runFrom = 0;        // the first of them among statements
    QSet<QString> keys;             // the run's update keys
    QStringList types;              // the run's update column types
    int rows = 0;
    const auto flush = [&](std::size_t upTo) {
        if (run.size() == 1)
            out.push_back(statements[runFrom]);
        else if (run.size() > 1 && run.front().update)
            emitUpdate(run, types, &out);
        else if (run.size() > 1)
            emitInsert(run, &out);
        run.clear();
        keys.clear();
        rows = 0;
        runFrom = upTo;
    };
    for (std::size_t i = 0; i < statements.size(); ++i) {
        std::optional<Write> w = parse(statements[i]);
        QString key;
        if (w && w->update) {
            key = foldedKey(w->rows.front().back());
            if (key.isEmpty())
                w.reset();
        }
        const bool joins = w && !run.empty() && w->shape == run.front().shape && !keys.contains(key)
            && rows + int(w->rows.size()) <= kMaxRows;
        if (!joins) {
            flush(i);
            if (w && w->update) {
                types = typesFor(*w, typeOf);
                if (types.isEmpty())
                    w.reset();
            }
            if (!w) {
                out.push_back(statements[i]);
                runFrom = i + 1;
                continue;
            }
        }
        rows += int(w->rows.size());
        if (w->update)
            keys.insert(key);
        run.push_back(std::move(*w));
    }
    flush(statements.size());
    return out;
}

} // namespace PostgresWriteMerge
