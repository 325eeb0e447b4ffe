#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>

#include <optional>
#include <vector>

#include "FieldType.h"
#include "FilterExpression.h"

namespace data {

// Hash indexes over the stored rows of a dataset, one per column and key kind
// (text form, numeric value), built on first use and kept while the dataset's
// content version stays the same. They answer "Field = literal" with the
// physical rows (ascending) that can match, without looking at the others.
//
// The keys follow the filter's comparison rules: a text field compared with a
// text uses its exact text; a field compared with a number uses the rows whose
// value reads as a number; a numeric field compared with a text that is not a
// number uses its text form.
class EqualityIndex
{
public:
    using Rows = ColumnStore;

    // nullopt when the field's type is not indexed (booleans, dates): the
    // caller then evaluates every row.
    std::optional<std::vector<int>> candidates(const Rows &rows, quint64 version, int column, FieldType type,
                                               const FilterExpression::Operand &literal);
    void clear() { m_columns.clear(); }

private:
    template <typename Key>
    struct KeyIndex
    {
        bool built = false;
        quint64 version = 0;
        QHash<Key, int> head;   // first row of each key
        std::vector<int> next;  // next row with the same key, -1 at the end

        std::vector<int> rowsOf(const Key &key) const;
        // Puts row at the front of key's chain.
        void pushFront(const Key &key, int row);
    };

    struct ColumnIndexes
    {
        KeyIndex<QString> byText;
        KeyIndex<double> byNumber;
    };

    static void buildText(KeyIndex<QString> &index, const Rows &rows, int column, FieldType type);
    static void buildNumber(KeyIndex<double> &index, const Rows &rows, int column, FieldType type);

    QHash<int, ColumnIndexes> m_columns;
};

} // namespace data
