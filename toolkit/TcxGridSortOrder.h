#pragma once

#include <QCollator>
#include <QPointer>

#include <memory>

#include "ClientDataSet.h"

class TcxGridDBColumn;

// The order a grid column puts its dataset's rows in: by the text the column
// shows (a lookup column by the looked-up name), codes and numbers in their
// natural order (…002 before …010), Chinese by its reading, case ignored;
// numeric fields by value; a column with a sort field by that field's text
// first. Keys are made once per dataset content, so sorting
// 10,000 rows costs one key per row and cheap comparisons.
class TcxGridSortOrder
{
public:
    TcxGridSortOrder(data::ClientDataSet *dataSet, TcxGridDBColumn *column, bool descending);

    // The comparison the dataset sorts its rows with.
    data::ClientDataSet::RowOrder rowOrder() const;

private:
    struct Keys;
    std::shared_ptr<Keys> m_keys;
};
