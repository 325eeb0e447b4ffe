#include "TcxGridSortOrder.h"

#include <QLocale>

#include <vector>

#include "Field.h"
#include "FieldType.h"
#include "TcxGridDBColumn.h"

struct TcxGridSortOrder::Keys
{
    QPointer<data::ClientDataSet> dataSet;
    QPointer<TcxGridDBColumn> column;
    bool descending = false;
    quint64 version = ~quint64(0);
    QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
    std::vector<QCollatorSortKey> first;  // of the column's sort field, when it has one
    std::vector<QCollatorSortKey> text;
    std::vector<double> number;
    std::vector<bool> isNull;

    void refresh()
    {
        if (!dataSet || version == dataSet->contentVersion())
            return;
        version = dataSet->contentVersion();
        first.clear();
        text.clear();
        number.clear();
        isNull.clear();
        data::Field *field = column ? dataSet->FindField(column->FieldName()) : nullptr;
        if (!field)
            return;
        // Every stored row, the unposted one too: the dataset numbers them all.
        const int rows = dataSet->StoredRowCount() + (dataSet->State() == data::DataSetState::Insert ? 1 : 0);
        const bool numeric = isIntegerType(field->DataType()) || isFloatType(field->DataType());
        const bool lookup = !column->ListFieldNames().isEmpty();
        data::Field *sortField = column->SortFieldName().isEmpty() ? nullptr : dataSet->FindField(column->SortFieldName());
        isNull.reserve(rows);
        for (int r = 0; r < rows; ++r) {
            const QVariant &value = dataSet->storedValue(r, field->Index());
            isNull.push_back(value.isNull());
            if (sortField)
                first.push_back(collator.sortKey(dataSet->storedValue(r, sortField->Index()).toString()));
            if (numeric && !lookup)
                number.push_back(value.toDouble());
            else
                text.push_back(collator.sortKey(column->displayText(value, field)));
        }
    }

    bool less(int a, int b)
    {
        refresh();
        if (a >= int(isNull.size()) || b >= int(isNull.size()))
            return false;
        if (descending)
            std::swap(a, b);
        // Empty values first going up, last going down.
        if (isNull[a] != isNull[b])
            return isNull[a];
        if (!first.empty())
            if (const int order = first[a].compare(first[b]); order != 0)
                return order < 0;
        if (!number.empty())
            return number[a] < number[b];
        return !text.empty() && text[a].compare(text[b]) < 0;
    }
};

TcxGridSortOrder::TcxGridSortOrder(data::ClientDataSet *dataSet, TcxGridDBColumn *column, bool descending)
    : m_keys(std::make_shared<Keys>())
{
    m_keys->dataSet = dataSet;
    m_keys->column = column;
    m_keys->descending = descending;
    m_keys->collator.setNumericMode(true);
    m_keys->collator.setCaseSensitivity(Qt::CaseInsensitive);
}

data::ClientDataSet::RowOrder TcxGridSortOrder::rowOrder() const
{
    return [keys = m_keys](int a, int b) { return keys->less(a, b); };
}
