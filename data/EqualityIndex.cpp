#include "EqualityIndex.h"

#include "ColumnStore.h"
#include "ValueConversion.h"

namespace data {

namespace {

// -0 and 0 are the same number but hash apart.
double numberKey(double v)
{
    return v == 0.0 ? 0.0 : v;
}

} // namespace

template <typename Key>
void EqualityIndex::KeyIndex<Key>::pushFront(const Key &key, int row)
{
    auto it = head.find(key);
    if (it == head.end()) {
        head.insert(key, row);
    } else {
        next[row] = it.value();
        it.value() = row;
    }
}

template <typename Key>
std::vector<int> EqualityIndex::KeyIndex<Key>::rowsOf(const Key &key) const
{
    std::vector<int> result;
    const auto it = head.constFind(key);
    if (it == head.constEnd())
        return result;
    for (int row = it.value(); row >= 0; row = next[row])
        result.push_back(row);
    return result;
}

void EqualityIndex::buildText(KeyIndex<QString> &index, const Rows &rows, int column, FieldType type)
{
    index.head.clear();
    index.head.reserve(rows.rowCount());
    index.next.assign(std::size_t(rows.rowCount()), -1);
    // Walking backwards and pushing in front keeps every chain in row order.
    for (int row = rows.rowCount() - 1; row >= 0; --row) {
        const QVariant v = rows.value(row, column);
        if (isNullValue(v))
            continue;
        const QString key = isTextType(type) ? v.toString() : valueText(v, type);
        index.pushFront(key, row);
    }
    index.built = true;
}

void EqualityIndex::buildNumber(KeyIndex<double> &index, const Rows &rows, int column, FieldType type)
{
    index.head.clear();
    index.next.assign(std::size_t(rows.rowCount()), -1);
    for (int row = rows.rowCount() - 1; row >= 0; --row) {
        const QVariant v = rows.value(row, column);
        if (isNullValue(v))
            continue;
        double key = 0;
        if (isTextType(type)) {
            const auto n = readNumber(v.toString());
            if (!n)
                continue;
            key = *n;
        } else {
            key = v.toDouble();
        }
        key = numberKey(key);
        index.pushFront(key, row);
    }
    index.built = true;
}

std::optional<std::vector<int>> EqualityIndex::candidates(const Rows &rows, quint64 version, int column,
                                                          FieldType type,
                                                          const FilterExpression::Operand &literal)
{
    using Kind = FilterExpression::Operand::Kind;
    const bool textField = isTextType(type);
    const bool numberField = isIntegerType(type) || isFloatType(type);
    if (!textField && !numberField)
        return std::nullopt;
    if (literal.kind != Kind::Text && literal.kind != Kind::Number)
        return std::nullopt;

    std::optional<double> number;
    if (literal.kind == Kind::Number)
        number = literal.number;
    else if (numberField)
        number = readNumber(literal.text);  // a text that is a number compares as one

    ColumnIndexes &indexes = m_columns[column];
    if (number) {
        auto &index = indexes.byNumber;
        if (!index.built || index.version != version) {
            buildNumber(index, rows, column, type);
            index.version = version;
        }
        return index.rowsOf(numberKey(*number));
    }
    auto &index = indexes.byText;
    if (!index.built || index.version != version) {
        buildText(index, rows, column, type);
        index.version = version;
    }
    return index.rowsOf(literal.text);
}

} // namespace data
