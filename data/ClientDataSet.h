#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>

#include "DataExport.h"
#include "DataPacket.h"
#include "Field.h"

namespace data {

class FilterExpression;
struct ColumnPacket;

enum class DataSetState { Inactive, Browse, Edit, Insert };

// Locate options; none means exact, case-sensitive, whole value.
enum LocateOption { loCaseInsensitive = 0x1, loPartialKey = 0x2 };
using LocateOptions = int;

// The in-memory dataset the windows are written against: loaded from a data
// packet, navigated with a cursor, edited through an edit buffer, filtered by
// filter expressions ("ModFunTyp = 3", "UserCode = 'x'", with
// and/or/not, parentheses and "is null").
//
// Equality filters on one field are answered from a per-field index that is
// built once per dataset content, so setting N filters on M rows costs about
// N + M. The index belongs to one content version: any change of the stored
// rows (Append, Post, Cancel of an append, Delete, SetData) makes it stale and
// it is rebuilt on the next equality filter.
class DATA_EXPORT ClientDataSet : public QObject
{
    Q_OBJECT

public:
    explicit ClientDataSet(QObject *parent = nullptr);
    ~ClientDataSet() override;

    // Loading. SetData replaces fields and rows, opens the dataset (Browse) and
    // moves to the first row of the (filtered) view. Columns whose name repeats
    // an earlier column's name (case-insensitively) are renamed Name_1, Name_2...
    void SetData(const DataPacket &packet);
    void SetData(DataPacket &&packet);
    // The same from rows a reader stored as the dataset stores them, taken
    // over without a copy.
    void SetData(ColumnPacket &&packet);
    DataPacket Data() const;  // current field definitions (renamed) and all rows

    // Defines fields on an empty, closed dataset and opens it with no rows.
    void CreateDataSet(const QVector<FieldDef> &fields);

    bool Active() const { return m_state != DataSetState::Inactive; }
    void Close();  // drops rows and fields, state Inactive
    DataSetState State() const { return m_state; }

    // Fields, in column order.
    int FieldCount() const;
    Field *FieldAt(int index) const;  // raises LumoError when index is out of range
    const std::vector<std::unique_ptr<Field>> &Fields() const { return m_fields; }
    Field *FindField(const QString &name) const;    // case-insensitive; nullptr when absent
    Field *FieldByName(const QString &name) const;  // raises LumoError naming the field

    // Navigation over the visible (filtered) rows.
    void First();
    void Last();
    void Next();
    void Prior();
    bool Eof() const;
    bool Bof() const;
    int RecNo() const;  // 1-based position in the view; 0 when empty or inactive
    void SetRecNo(int recNo);
    int RecordCount() const;  // visible rows
    bool IsEmpty() const;

    // Editing. Append adds an empty row at the end in Insert state; Edit puts the
    // current row into Edit state (a no-op in Edit/Insert); Post stores the
    // buffer; Cancel drops it (an appended row disappears). Navigation posts
    // pending edits first, so moving away never loses an edit; an appended row with no value
    // set is cancelled instead (Post keeps it all the same).
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();  // removes the current row

    // Filtering.
    QString Filter() const { return m_filterText; }
    void SetFilter(const QString &text);  // raises LumoError naming the text when it does not parse
    bool Filtered() const { return m_filtered; }
    void SetFiltered(bool on);

    // The program's own narrowing and order of the visible rows (a record
    // filter callback and an index of its own), over stored row numbers. Both
    // apply whether Filtered is on or not, stay set across SetData, and keep
    // the current record current when it stays visible. Empty functions
    // switch them off.
    using RowPredicate = std::function<bool(int storedRow)>;
    using RowOrder = std::function<bool(int storedRowA, int storedRowB)>;
    void SetRowFilter(RowPredicate accept);
    void SetRowOrder(RowOrder less);
    bool HasRowFilter() const;
    // The rows held, whatever filters hide; an appended, unposted row is not counted.
    int StoredRowCount() const;
    QVariant storedValue(int storedRow, int column) const;
    // A value stored as text, read in place without a copy (valid until the
    // dataset next changes); a null view for a null or a value of another kind.
    QStringView storedText(int storedRow, int column) const;

    // Locate: finds the first visible row whose fields (";"-separated names)
    // match values (one value, or a QVariantList for several fields) and makes
    // it current. Returns false and leaves the cursor where it is when none does.
    bool Locate(const QString &keyFields, const QVariant &keyValues, LocateOptions options = 0);

    // Controls' updates: while disabled the dataset sends no notifications; the
    // last EnableControls sends one dataChanged.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }

    // Row access for views (index into the visible rows, 0-based). Reads the
    // edit buffer for the current row while editing.
    QVariant valueAt(int row, int column) const;
    int currentIndex() const { return m_cursor; }
    // Physical row behind a visible row (for the dataset's own index users).
    int rowOfView(int viewIndex) const;
    // Changes every time the stored rows change (Append, Post, Delete, SetData...).
    quint64 contentVersion() const { return m_contentVersion; }

    // Used by Field. The reference is valid until the dataset next changes or
    // the cursor moves.
    const QVariant &currentValue(int column) const;
    void setCurrentValue(int column, const QVariant &value);

signals:
    void dataChanged();          // rows, fields, filter or activity changed
    void recordChanged();        // a value of the current record changed
    void scrolled();             // the current row moved
    void stateChanged();         // browse/edit/insert/inactive

private:
    template <typename Load>
    void load(Load &&loadRows);

    struct Impl;
    std::unique_ptr<Impl> d;
    std::vector<std::unique_ptr<Field>> m_fields;
    DataSetState m_state = DataSetState::Inactive;
    int m_cursor = -1;  // index into the visible rows; -1 when empty
    bool m_eof = true;
    bool m_bof = true;
    QString m_filterText;
    bool m_filtered = false;
    int m_disableCount = 0;
    quint64 m_contentVersion = 0;

    friend struct Impl;
};

} // namespace data
