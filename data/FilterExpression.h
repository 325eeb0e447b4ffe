#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <memory>
#include <vector>

#include "DataExport.h"
#include "FieldType.h"

namespace data {

class ColumnStore;

class Field;

// A parsed filter text, in the dialect the windows write: comparisons of fields with
// quoted texts ('' stands for one quote) or numbers (= <> != < > <= >=),
// "and", "or", "not" (any letter case), parentheses, "is null",
// "is not null"; field names may be bracketed ([Name]).
//
// Comparison rules (shared with the dataset's equality index, so both give the
// same answer): a null value matches no comparison; a number and a text compare
// as numbers when the text reads as one, otherwise as texts; texts compare
// case-sensitively, character by character; dates compare with texts that read
// as dates.
class DATA_EXPORT FilterExpression
{
public:
    enum class CompareOp { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual };

    struct Operand
    {
        enum class Kind { Field, Text, Number, Null };
        Kind kind = Kind::Null;
        QString text;       // field name, text literal, or the number as written
        double number = 0;  // Number literals
        int column = -1;    // Field operands, once bound
        FieldType type = FieldType::String;
    };

    // "Field = literal" at the top level of the expression (alone or joined to
    // the rest with "and"): the rows it selects are a superset of the result.
    struct EqualityTerm
    {
        int column;
        FieldType type;
        const Operand *literal;
    };

    // Raises LumoError naming the text when it does not parse. A text of
    // blanks parses to an expression that matches every row.
    static std::unique_ptr<FilterExpression> parse(const QString &text);
    ~FilterExpression();

    const QString &text() const { return m_text; }
    bool matchesAll() const { return !m_root; }
    QStringList fieldNames() const;

    // Resolves the field names against a dataset's fields (case-insensitive).
    // Raises LumoError naming the field and the filter text for a missing one.
    void bind(const std::vector<std::unique_ptr<Field>> &fields);
    bool isBound() const { return m_bound; }

    // Evaluates the bound expression on one row of stored values.
    bool matches(const QVector<QVariant> &row) const;
    bool matches(const ColumnStore &store, int row) const;

    std::vector<EqualityTerm> equalityTerms() const;

    struct Node;

private:
    FilterExpression(QString text, std::unique_ptr<Node> root);

    QString m_text;
    std::unique_ptr<Node> m_root;
    bool m_bound = false;
};

} // namespace data
