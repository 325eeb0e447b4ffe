#include "FilterExpression.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include "ColumnStore.h"
#include "Decimal.h"
#include "Field.h"
#include "LumoError.h"
#include "ValueConversion.h"

namespace data {

struct FilterExpression::Node
{
    enum class Kind { Or, And, Not, Compare, IsNull };
    Kind kind = Kind::Compare;
    std::unique_ptr<Node> left;
    std::unique_ptr<Node> right;
    CompareOp op = CompareOp::Equal;
    Operand lhs;
    Operand rhs;
    bool negated = false;  // IsNull: "is not null"

    Node() = default;
    Node(const Node &) = delete;
    Node &operator=(const Node &) = delete;
    ~Node();
};

// Frees the subtree from a work list: however deep a tree, its destruction
// never runs out of stack.
FilterExpression::Node::~Node()
{
    if (!left && !right)
        return;
    std::vector<std::unique_ptr<Node>> pending;
    const auto detach = [&pending](Node &node) {
        if (node.left)
            pending.push_back(std::move(node.left));
        if (node.right)
            pending.push_back(std::move(node.right));
    };
    detach(*this);
    while (!pending.empty()) {
        std::unique_ptr<Node> node = std::move(pending.back());
        pending.pop_back();
        detach(*node);
    }
}

namespace {

using Node = FilterExpression::Node;
using Operand = FilterExpression::Operand;
using CompareOp = FilterExpression::CompareOp;

// ---------------------------------------------------------------------------
// Tokens

struct Token
{
    enum class Kind { End, Name, Text, Number, LParen, RParen, Op, Sign };
    Kind kind = Kind::End;
    QString text;
    bool bracketed = false;  // [Name]: never a keyword
    int position = 0;
};

[[noreturn]] void raiseSyntax(const QString &text, const QString &what, int position)
{
    // One pass over the pattern: a "%1" the user typed is text, never a place
    // for the next argument.
    throw LumoError(QStringLiteral("过滤条件 \"%1\" 无法解析: %2 (位置 %3)")
                        .arg(text, what, QString::number(position + 1)));
}

bool isNameStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isNamePart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

std::vector<Token> tokenize(const QString &text)
{
    std::vector<Token> tokens;
    tokens.reserve(8);  // "Field = 'value'" and a little more without growing
    const int n = text.size();
    int i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token t;
        t.position = i;
        if (c == QLatin1Char('(') || c == QLatin1Char(')')) {
            t.kind = c == QLatin1Char('(') ? Token::Kind::LParen : Token::Kind::RParen;
            t.text = c == QLatin1Char('(') ? QStringLiteral("(") : QStringLiteral(")");
            ++i;
        } else if (c == QLatin1Char('\'')) {
            t.kind = Token::Kind::Text;
            ++i;
            // Copied a run at a time: a doubled quote stands for one.
            for (;;) {
                const int quote = text.indexOf(QLatin1Char('\''), i);
                if (quote < 0)
                    raiseSyntax(text, QStringLiteral("文本缺少结束的单引号"), t.position);
                t.text += QStringView(text).mid(i, quote - i);
                i = quote + 1;
                if (i < n && text.at(i) == QLatin1Char('\'')) {
                    t.text += QLatin1Char('\'');
                    ++i;
                    continue;
                }
                break;
            }
        } else if (c == QLatin1Char('[')) {
            t.kind = Token::Kind::Name;
            t.bracketed = true;
            const int close = text.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0)
                raiseSyntax(text, QStringLiteral("字段名缺少 \"]\""), i);
            t.text = text.mid(i + 1, close - i - 1).trimmed();
            if (t.text.isEmpty())
                raiseSyntax(text, QStringLiteral("字段名为空"), i);
            i = close + 1;
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && text.at(i + 1).isDigit())) {
            t.kind = Token::Kind::Number;
            int j = i;
            while (j < n && text.at(j).isDigit())
                ++j;
            if (j < n && text.at(j) == QLatin1Char('.')) {
                ++j;
                while (j < n && text.at(j).isDigit())
                    ++j;
            }
            if (j < n && (text.at(j) == QLatin1Char('e') || text.at(j) == QLatin1Char('E'))) {
                int k = j + 1;
                if (k < n && (text.at(k) == QLatin1Char('+') || text.at(k) == QLatin1Char('-')))
                    ++k;
                if (k < n && text.at(k).isDigit()) {
                    while (k < n && text.at(k).isDigit())
                        ++k;
                    j = k;
                }
            }
            if (j < n && isNamePart(text.at(j)))
                raiseSyntax(text, QStringLiteral("数字格式错误"), i);
            t.text = text.mid(i, j - i);
            i = j;
        } else if (isNameStart(c)) {
            t.kind = Token::Kind::Name;
            int j = i + 1;
            while (j < n && isNamePart(text.at(j)))
                ++j;
            t.text = text.mid(i, j - i);
            i = j;
        } else if (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('=')
                   || c == QLatin1Char('!')) {
            t.kind = Token::Kind::Op;
            // Operator texts are literals: no allocation for the commonest token.
            static const QString operators[] = {QStringLiteral("<>"), QStringLiteral("<="), QStringLiteral(">="),
                                                QStringLiteral("!="), QStringLiteral("<"),  QStringLiteral(">"),
                                                QStringLiteral("=")};
            const QStringView rest = QStringView(text).mid(i);
            const auto op = std::find_if(std::begin(operators), std::end(operators),
                                         [&rest](const QString &o) { return rest.startsWith(o); });
            if (op == std::end(operators))
                raiseSyntax(text, QStringLiteral("无效的运算符 \"!\""), i);
            t.text = *op;
            i += int(op->size());
        } else if (c == QLatin1Char('-') || c == QLatin1Char('+')) {
            t.kind = Token::Kind::Sign;
            t.text = c == QLatin1Char('-') ? QStringLiteral("-") : QStringLiteral("+");
            ++i;
        } else {
            raiseSyntax(text, QStringLiteral("无效的字符 \"%1\"").arg(c), i);
        }
        tokens.push_back(std::move(t));
    }
    Token end;
    end.position = n;
    tokens.push_back(end);
    return tokens;
}

// ---------------------------------------------------------------------------
// Parser: or-expression > and-expression > not-expression > comparison.
//
// Parentheses and "not" nest at most kMaxNesting deep, and a chain of terms
// joined by "and" or "or" becomes a balanced tree (both are associative), so
// parsing, evaluating and walking a tree stay within a bounded depth whatever
// the text: a text nested deeper is refused like any other that does not parse.

constexpr int kMaxNesting = 200;

class Parser
{
public:
    Parser(const QString &text, std::vector<Token> tokens) : m_text(text), m_tokens(std::move(tokens)) {}

    std::unique_ptr<Node> parseAll()
    {
        auto root = parseOr();
        if (peek().kind != Token::Kind::End)
            fail(QStringLiteral("多余的内容 \"%1\"").arg(peek().text));
        return root;
    }

private:
    const Token &peek() const { return m_tokens[m_pos]; }
    const Token &take() { return m_tokens[m_pos++]; }

    [[noreturn]] void fail(const QString &what) const { raiseSyntax(m_text, what, peek().position); }

    bool isKeyword(const Token &t, const char *word) const
    {
        const QLatin1String keyword(word);
        return t.kind == Token::Kind::Name && !t.bracketed && t.text.size() == keyword.size()
               && t.text.compare(keyword, Qt::CaseInsensitive) == 0;
    }

    bool isAnyKeyword(const Token &t) const
    {
        return isKeyword(t, "and") || isKeyword(t, "or") || isKeyword(t, "not") || isKeyword(t, "is")
               || isKeyword(t, "null");
    }

    // Terms [from, to) joined by kind, as a tree of depth log2(to - from);
    // the order of the terms is kept.
    static std::unique_ptr<Node> balanced(Node::Kind kind, std::vector<std::unique_ptr<Node>> &terms, size_t from,
                                          size_t to)
    {
        if (to - from == 1)
            return std::move(terms[from]);
        const size_t middle = from + (to - from) / 2;
        auto node = std::make_unique<Node>();
        node->kind = kind;
        node->left = balanced(kind, terms, from, middle);
        node->right = balanced(kind, terms, middle, to);
        return node;
    }

    std::unique_ptr<Node> parseChain(Node::Kind kind, const char *joiner, std::unique_ptr<Node> (Parser::*term)())
    {
        std::vector<std::unique_ptr<Node>> terms;
        terms.push_back((this->*term)());
        while (isKeyword(peek(), joiner)) {
            take();
            terms.push_back((this->*term)());
        }
        return balanced(kind, terms, 0, terms.size());
    }

    std::unique_ptr<Node> parseOr() { return parseChain(Node::Kind::Or, "or", &Parser::parseAnd); }

    std::unique_ptr<Node> parseAnd() { return parseChain(Node::Kind::And, "and", &Parser::parseNot); }

    // Counts one level of "(" or "not" while it is read.
    struct Nesting
    {
        explicit Nesting(Parser &parser) : m_parser(parser)
        {
            if (++m_parser.m_nesting > kMaxNesting)
                m_parser.fail(QStringLiteral("条件嵌套超过 %1 层").arg(kMaxNesting));
        }
        ~Nesting() { --m_parser.m_nesting; }
        Nesting(const Nesting &) = delete;
        Nesting &operator=(const Nesting &) = delete;

    private:
        Parser &m_parser;
    };

    std::unique_ptr<Node> parseNot()
    {
        if (isKeyword(peek(), "not")) {
            const Nesting level(*this);
            take();
            auto node = std::make_unique<Node>();
            node->kind = Node::Kind::Not;
            node->left = parseNot();
            return node;
        }
        return parsePrimary();
    }

    std::unique_ptr<Node> parsePrimary()
    {
        if (peek().kind == Token::Kind::LParen) {
            const Nesting level(*this);
            take();
            auto inner = parseOr();
            if (peek().kind != Token::Kind::RParen)
                fail(QStringLiteral("缺少 \")\""));
            take();
            return inner;
        }
        return parseComparison();
    }

    std::unique_ptr<Node> parseComparison()
    {
        auto node = std::make_unique<Node>();
        node->lhs = parseOperand();
        if (isKeyword(peek(), "is")) {
            take();
            node->kind = Node::Kind::IsNull;
            if (isKeyword(peek(), "not")) {
                take();
                node->negated = true;
            }
            if (!isKeyword(peek(), "null"))
                fail(QStringLiteral("\"is\" 后应为 \"null\""));
            take();
            return node;
        }
        if (peek().kind != Token::Kind::Op)
            fail(peek().kind == Token::Kind::End ? QStringLiteral("条件不完整")
                                                 : QStringLiteral("应为比较运算符"));
        const QString op = take().text;
        node->kind = Node::Kind::Compare;
        if (op == QLatin1String("="))
            node->op = CompareOp::Equal;
        else if (op == QLatin1String("<>") || op == QLatin1String("!="))
            node->op = CompareOp::NotEqual;
        else if (op == QLatin1String("<"))
            node->op = CompareOp::Less;
        else if (op == QLatin1String(">"))
            node->op = CompareOp::Greater;
        else if (op == QLatin1String("<="))
            node->op = CompareOp::LessEqual;
        else
            node->op = CompareOp::GreaterEqual;
        node->rhs = parseOperand();
        return node;
    }

    Operand parseOperand()
    {
        Operand o;
        const Token &t = peek();
        switch (t.kind) {
        case Token::Kind::Text:
            o.kind = Operand::Kind::Text;
            o.text = take().text;
            return o;
        case Token::Kind::Number:
            return numberOperand(QString(), take().text);
        case Token::Kind::Sign: {
            const QString sign = take().text;
            if (peek().kind != Token::Kind::Number)
                fail(QStringLiteral("符号后应为数字"));
            return numberOperand(sign == QLatin1String("-") ? sign : QString(), take().text);
        }
        case Token::Kind::Name:
            if (isKeyword(t, "null")) {
                take();
                o.kind = Operand::Kind::Null;
                return o;
            }
            if (isAnyKeyword(t))
                fail(QStringLiteral("应为字段名或值, 而不是 \"%1\"").arg(t.text));
            o.kind = Operand::Kind::Field;
            o.text = take().text;
            return o;
        case Token::Kind::End:
            fail(QStringLiteral("条件不完整"));
        default:
            fail(QStringLiteral("应为字段名或值, 而不是 \"%1\"").arg(t.text));
        }
    }

    Operand numberOperand(const QString &sign, const QString &digits)
    {
        Operand o;
        o.kind = Operand::Kind::Number;
        o.text = sign + digits;
        bool ok = false;
        o.number = o.text.toDouble(&ok);
        if (!ok || !std::isfinite(o.number))
            fail(QStringLiteral("数字格式错误"));
        return o;
    }

    const QString &m_text;
    std::vector<Token> m_tokens;
    size_t m_pos = 0;
    int m_nesting = 0;
};

// The commonest filter by far, "Field = 'text'" (a lookup by key), read
// without tokens; the same tree the parser builds. Anything else, including
// any doubt, gives null and goes the general way, which also reports errors.
std::unique_ptr<Node> parseFieldEqualsText(const QString &text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    const auto skipSpaces = [&] {
        while (i < n && text.at(i).isSpace())
            ++i;
    };
    skipSpaces();
    if (i >= n || !isNameStart(text.at(i)))
        return nullptr;
    const qsizetype nameStart = i;
    while (i < n && isNamePart(text.at(i)))
        ++i;
    const QStringView name = QStringView(text).mid(nameStart, i - nameStart);
    for (const char *keyword : {"and", "or", "not", "is", "null"}) {
        if (name.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0)
            return nullptr;
    }
    skipSpaces();
    if (i >= n || text.at(i) != QLatin1Char('='))
        return nullptr;
    ++i;
    skipSpaces();
    if (i >= n || text.at(i) != QLatin1Char('\''))
        return nullptr;
    ++i;
    QString literal;
    for (;;) {
        const qsizetype quote = text.indexOf(QLatin1Char('\''), i);
        if (quote < 0)
            return nullptr;
        literal += QStringView(text).mid(i, quote - i);
        i = quote + 1;
        if (i < n && text.at(i) == QLatin1Char('\'')) {
            literal += QLatin1Char('\'');
            ++i;
            continue;
        }
        break;
    }
    skipSpaces();
    if (i != n)
        return nullptr;
    auto node = std::make_unique<Node>();
    node->kind = Node::Kind::Compare;
    node->op = CompareOp::Equal;
    node->lhs.kind = Operand::Kind::Field;
    node->lhs.text = name.toString();
    node->rhs.kind = Operand::Kind::Text;
    node->rhs.text = std::move(literal);
    return node;
}

// ---------------------------------------------------------------------------
// Evaluation

struct Value
{
    enum class Kind { Null, Text, Number, Boolean, Moment };
    Kind kind = Kind::Null;
    QString text;  // text form, for comparisons that fall back to texts
    double number = 0;
    std::optional<qint64> integer;  // a whole number, compared exactly
    std::optional<Decimal> decimal; // an exact fraction (decimal, money, a literal)
    bool flag = false;
    QDateTime moment;
    FieldType momentType = FieldType::DateTime;
};

// A text of digits (with a sign) that fits 64 bits; beyond 2^53 a double
// would make neighbouring whole numbers equal.
std::optional<qint64> wholeNumber(const QString &text)
{
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

// The exact form of a number written as text: whole or a decimal fraction.
void setExact(Value &v, const QString &text)
{
    v.integer = wholeNumber(text);
    if (!v.integer)
        v.decimal = Decimal::parse(text);
}

// A row of values as a packet holds it, or a stored row of a dataset.
QVariant cellOf(const QVector<QVariant> &row, int column)
{
    return row.at(column);
}

struct StoredRow
{
    const ColumnStore &store;
    int row;
};

QVariant cellOf(const StoredRow &row, int column)
{
    return row.store.value(row.row, column);
}

template <typename Row>
Value valueOf(const Operand &o, const Row &row)
{
    Value v;
    switch (o.kind) {
    case Operand::Kind::Null:
        return v;
    case Operand::Kind::Text:
        v.kind = Value::Kind::Text;
        v.text = o.text;
        return v;
    case Operand::Kind::Number:
        v.kind = Value::Kind::Number;
        v.text = o.text;
        v.number = o.number;
        setExact(v, o.text);
        return v;
    case Operand::Kind::Field:
        break;
    }
    const QVariant raw = cellOf(row, o.column);
    if (isNullValue(raw))
        return v;
    if (isTextType(o.type)) {
        v.kind = Value::Kind::Text;
        v.text = raw.toString();
    } else if (isIntegerType(o.type) || isFloatType(o.type)) {
        v.kind = Value::Kind::Number;
        v.number = raw.toDouble();
        v.text = valueText(raw, o.type);
        if (isIntegerType(o.type))
            v.integer = raw.toLongLong();
        else if (o.type != FieldType::Float)
            v.decimal = Decimal::parse(v.text);
    } else if (o.type == FieldType::Boolean) {
        v.kind = Value::Kind::Boolean;
        v.flag = raw.toBool();
        v.text = valueText(raw, o.type);
    } else {
        v.kind = Value::Kind::Moment;
        v.momentType = o.type;
        v.text = valueText(raw, o.type);
        if (o.type == FieldType::Date)
            v.moment = QDateTime(raw.toDate(), QTime(0, 0));
        else if (o.type == FieldType::Time)
            v.moment = QDateTime(timeOnlyDate(), raw.toTime());
        else
            v.moment = raw.toDateTime();
    }
    return v;
}

template <typename T>
int order(const T &a, const T &b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

int textOrder(const QString &a, const QString &b)
{
    const int c = QString::compare(a, b, Qt::CaseSensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::optional<bool> asBoolean(const Value &v)
{
    switch (v.kind) {
    case Value::Kind::Boolean:
        return v.flag;
    case Value::Kind::Number:
        return v.number != 0.0;
    case Value::Kind::Text:
        return readBoolean(v.text);
    default:
        return std::nullopt;
    }
}

std::optional<QDateTime> asMoment(const Value &v, FieldType momentType)
{
    if (v.kind == Value::Kind::Moment)
        return v.moment;
    if (v.kind != Value::Kind::Text)
        return std::nullopt;
    if (momentType == FieldType::Time) {
        if (const auto t = readTime(v.text))
            return QDateTime(timeOnlyDate(), *t);
        return std::nullopt;
    }
    return readDateTime(v.text);
}

std::optional<Decimal> exactOf(const Value &v)
{
    if (v.integer)
        return Decimal::fromInteger(*v.integer);
    return v.decimal;
}

// Two whole numbers compare as 64-bit integers, two exact numbers exactly,
// anything else (a float on either side) as doubles.
int compareNumbers(const Value &a, const Value &b)
{
    if (a.integer && b.integer)
        return order(*a.integer, *b.integer);
    if ((a.integer || a.decimal) && (b.integer || b.decimal))
        return exactOf(a)->compare(*exactOf(b));
    return order(a.number, b.number);
}

// Both values non-null.
int compareValues(const Value &a, const Value &b)
{
    using K = Value::Kind;
    if (a.kind == K::Number && b.kind == K::Number)
        return compareNumbers(a, b);
    if (a.kind == K::Text && b.kind == K::Text)
        return textOrder(a.text, b.text);
    if ((a.kind == K::Number && b.kind == K::Text) || (a.kind == K::Text && b.kind == K::Number)) {
        const Value &textSide = a.kind == K::Text ? a : b;
        if (const auto n = readNumber(textSide.text)) {
            Value number = textSide;
            number.number = *n;
            setExact(number, textSide.text);
            return a.kind == K::Number ? compareNumbers(a, number) : compareNumbers(number, b);
        }
        return textOrder(a.text, b.text);
    }
    if (a.kind == K::Boolean || b.kind == K::Boolean) {
        const auto x = asBoolean(a);
        const auto y = asBoolean(b);
        if (x && y)
            return order(int(*x), int(*y));
        return textOrder(a.text, b.text);
    }
    if (a.kind == K::Moment || b.kind == K::Moment) {
        const FieldType type = a.kind == K::Moment ? a.momentType : b.momentType;
        const auto x = asMoment(a, type);
        const auto y = asMoment(b, type);
        if (x && y)
            return order(*x, *y);
        return textOrder(a.text, b.text);
    }
    return textOrder(a.text, b.text);
}

bool applyOp(CompareOp op, int c)
{
    switch (op) {
    case CompareOp::Equal: return c == 0;
    case CompareOp::NotEqual: return c != 0;
    case CompareOp::Less: return c < 0;
    case CompareOp::Greater: return c > 0;
    case CompareOp::LessEqual: return c <= 0;
    case CompareOp::GreaterEqual: return c >= 0;
    }
    return false;
}

// SQL's three-valued logic: a comparison with a null value is unknown, and
// "not" of unknown stays unknown, so "not (F <> 'a')" lets no null row through.
enum class Truth { False, True, Unknown };

Truth truthOf(bool b)
{
    return b ? Truth::True : Truth::False;
}

template <typename Row>
Truth evaluate(const Node &node, const Row &row);

// "or" ends at the first true side, "and" at the first false one; otherwise an
// unknown side makes the whole unknown.
template <typename Row>
Truth joined(const Node &node, const Row &row, Truth decisive)
{
    const Truth left = evaluate(*node.left, row);
    if (left == decisive)
        return left;
    const Truth right = evaluate(*node.right, row);
    if (right == decisive || right == Truth::Unknown)
        return right;
    return left;
}

template <typename Row>
Truth evaluate(const Node &node, const Row &row)
{
    switch (node.kind) {
    case Node::Kind::Or:
        return joined(node, row, Truth::True);
    case Node::Kind::And:
        return joined(node, row, Truth::False);
    case Node::Kind::Not: {
        const Truth inner = evaluate(*node.left, row);
        return inner == Truth::Unknown ? inner : truthOf(inner == Truth::False);
    }
    case Node::Kind::IsNull: {
        const bool isNull = valueOf(node.lhs, row).kind == Value::Kind::Null;
        return truthOf(node.negated ? !isNull : isNull);
    }
    case Node::Kind::Compare:
        break;
    }
    const Value a = valueOf(node.lhs, row);
    const Value b = valueOf(node.rhs, row);
    // "= null" and "<> null" read as "is null" and "is not null".
    if (node.lhs.kind == Operand::Kind::Null || node.rhs.kind == Operand::Kind::Null) {
        const bool otherNull = a.kind == Value::Kind::Null && b.kind == Value::Kind::Null;
        if (node.op == CompareOp::Equal)
            return truthOf(otherNull);
        if (node.op == CompareOp::NotEqual)
            return truthOf(!otherNull);
        return Truth::Unknown;
    }
    if (a.kind == Value::Kind::Null || b.kind == Value::Kind::Null)
        return Truth::Unknown;
    return truthOf(applyOp(node.op, compareValues(a, b)));
}

void forEachOperand(Node &node, const std::function<void(Operand &)> &fn)
{
    if (node.left)
        forEachOperand(*node.left, fn);
    if (node.right)
        forEachOperand(*node.right, fn);
    if (node.kind == Node::Kind::Compare || node.kind == Node::Kind::IsNull) {
        fn(node.lhs);
        if (node.kind == Node::Kind::Compare)
            fn(node.rhs);
    }
}

void collectEqualityTerms(const Node &node, std::vector<FilterExpression::EqualityTerm> &out)
{
    if (node.kind == Node::Kind::And) {
        collectEqualityTerms(*node.left, out);
        collectEqualityTerms(*node.right, out);
        return;
    }
    if (node.kind != Node::Kind::Compare || node.op != CompareOp::Equal)
        return;
    const auto isLiteral = [](const Operand &o) {
        return o.kind == Operand::Kind::Text || o.kind == Operand::Kind::Number;
    };
    if (node.lhs.kind == Operand::Kind::Field && isLiteral(node.rhs))
        out.push_back({node.lhs.column, node.lhs.type, &node.rhs});
    else if (node.rhs.kind == Operand::Kind::Field && isLiteral(node.lhs))
        out.push_back({node.rhs.column, node.rhs.type, &node.lhs});
}

} // namespace

FilterExpression::FilterExpression(QString text, std::unique_ptr<Node> root)
    : m_text(std::move(text)), m_root(std::move(root))
{
}

FilterExpression::~FilterExpression() = default;

std::unique_ptr<FilterExpression> FilterExpression::parse(const QString &text)
{
    std::unique_ptr<Node> root = parseFieldEqualsText(text);
    if (!root && !text.trimmed().isEmpty()) {
        Parser parser(text, tokenize(text));
        root = parser.parseAll();
    }
    return std::unique_ptr<FilterExpression>(new FilterExpression(text, std::move(root)));
}

QStringList FilterExpression::fieldNames() const
{
    QStringList names;
    if (m_root) {
        forEachOperand(*m_root, [&names](Operand &o) {
            if (o.kind == Operand::Kind::Field && !names.contains(o.text, Qt::CaseInsensitive))
                names << o.text;
        });
    }
    return names;
}

void FilterExpression::bind(const std::vector<std::unique_ptr<Field>> &fields)
{
    m_bound = false;
    if (m_root) {
        forEachOperand(*m_root, [&](Operand &o) {
            if (o.kind != Operand::Kind::Field)
                return;
            for (const auto &f : fields) {
                if (f->FieldName().compare(o.text, Qt::CaseInsensitive) == 0) {
                    o.column = f->Index();
                    o.type = f->DataType();
                    return;
                }
            }
            throw LumoError(QStringLiteral("过滤条件 \"%1\" 中的字段 \"%2\" 不存在").arg(m_text, o.text));
        });
    }
    m_bound = true;
}

bool FilterExpression::matches(const QVector<QVariant> &row) const
{
    return !m_root || evaluate(*m_root, row) == Truth::True;
}

bool FilterExpression::matches(const ColumnStore &store, int row) const
{
    return !m_root || evaluate(*m_root, StoredRow{store, row}) == Truth::True;
}

std::vector<FilterExpression::EqualityTerm> FilterExpression::equalityTerms() const
{
    std::vector<EqualityTerm> terms;
    if (m_root && m_bound)
        collectEqualityTerms(*m_root, terms);
    return terms;
}

} // namespace data
