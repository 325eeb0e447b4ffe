#include "ClientDataSet.h"

#include <QHash>
#include <QSet>

#include <algorithm>

#include "ColumnStore.h"
#include "EqualityIndex.h"
#include "FilterExpression.h"
#include "LumoError.h"
#include "ValueConversion.h"

namespace data {

namespace {

// Later columns that repeat an earlier name (any letter case) become Name_1,
// Name_2, ... so that FieldByName finds the first table's column of a join.
QStringList uniqueNames(const QVector<FieldDef> &defs)
{
    QStringList names;
    QSet<QString> taken;
    for (const FieldDef &def : defs) {
        QString name = def.name;
        if (taken.contains(name.toCaseFolded())) {
            for (int n = 1;; ++n) {
                const QString candidate = def.name + QLatin1Char('_') + QString::number(n);
                if (!taken.contains(candidate.toCaseFolded())) {
                    name = candidate;
                    break;
                }
            }
        }
        taken.insert(name.toCaseFolded());
        names << name;
    }
    return names;
}

} // namespace

struct ClientDataSet::Impl
{
    explicit Impl(ClientDataSet *owner) : q(owner) {}

    ClientDataSet *q;
    ColumnStore rows;                  // stored rows, in load/append order
    bool viewActive = false;           // false: every stored row is visible, in order
    std::vector<int> view;             // stored rows visible through the filter
    QVector<QVariant> buffer;          // edit buffer of the current row
    int insertRow = -1;                // stored row of an appended, unposted record
    bool modified = false;             // a value of the edit buffer was set
    int cursorBeforeInsert = -1;
    std::unique_ptr<FilterExpression> filter;
    RowPredicate rowFilter;
    RowOrder rowOrder;
    EqualityIndex index;
    QHash<QString, int> columnByName;  // case-folded name -> column
    // The current record's values as currentValue hands them out, made from
    // the store when first asked for on a record.
    struct CurrentValue
    {
        int row = -1;
        quint64 version = 0;
        QVariant value;
    };
    mutable std::vector<CurrentValue> current;

    int visibleCount() const { return viewActive ? int(view.size()) : rows.rowCount(); }
    int physical(int viewIndex) const { return viewActive ? view[viewIndex] : viewIndex; }
    bool editing() const
    {
        return q->m_state == DataSetState::Edit || q->m_state == DataSetState::Insert;
    }

    void changed()
    {
        ++q->m_contentVersion;
    }

    template <typename Signal>
    void notify(Signal signal)
    {
        if (q->m_disableCount == 0)
            emit(q->*signal)();
    }

    void setState(DataSetState state)
    {
        if (q->m_state == state)
            return;
        q->m_state = state;
        notify(&ClientDataSet::stateChanged);
    }

    void checkActive() const
    {
        if (!q->Active())
            throw LumoError(QStringLiteral("数据集未打开, 不能执行此操作"));
    }

    // Navigation and filter changes store a pending edit first; an appended
    // row nobody filled in is dropped instead, so that leaving it never
    // leaves a blank record behind to be saved.
    void checkBrowse()
    {
        checkActive();
        if (q->m_state == DataSetState::Insert && !modified)
            q->Cancel();
        else if (editing())
            q->Post();
    }

    void defineFields(const QVector<FieldDef> &defs)
    {
        const QStringList names = uniqueNames(defs);
        bool same = int(q->m_fields.size()) == defs.size();
        for (int i = 0; same && i < defs.size(); ++i) {
            const Field &f = *q->m_fields[i];
            same = f.FieldName() == names[i] && f.DataType() == defs[i].type && f.Size() == defs[i].size;
        }
        // Keeping the same Field objects for the same layout spares callers
        // that hold on to a field across a reload a dangling pointer.
        if (!same) {
            q->m_fields.clear();
            for (int i = 0; i < defs.size(); ++i)
                q->m_fields.push_back(std::make_unique<Field>(q, i, names[i], defs[i].type, defs[i].size));
        }
        columnByName.clear();
        current.assign(std::size_t(names.size()), CurrentValue());
        for (int i = 0; i < names.size(); ++i)
            columnByName.insert(names[i].toCaseFolded(), i);
    }

    // Recomputes the visible rows from the filter. Raises when the filter
    // names a field the dataset does not have.
    void applyFilter()
    {
        const bool expression = q->m_filtered && filter && !filter->matchesAll();
        if (!expression && !rowFilter && !rowOrder) {
            viewActive = false;
            view.clear();
            view.shrink_to_fit();
            return;
        }
        if (expression)
            filter->bind(q->m_fields);

        std::optional<std::vector<int>> candidates;
        if (expression) {
            for (const auto &term : filter->equalityTerms()) {
                auto rowsOfTerm = index.candidates(rows, q->m_contentVersion, term.column, term.type, *term.literal);
                if (rowsOfTerm && (!candidates || rowsOfTerm->size() < candidates->size()))
                    candidates = std::move(rowsOfTerm);
            }
        }

        // The index narrows the search; the expression and the program's own
        // filter still decide.
        const auto visible = [&](int row) {
            return row != insertRow && (!expression || filter->matches(rows, row)) && (!rowFilter || rowFilter(row));
        };
        std::vector<int> result;
        if (candidates) {
            for (int row : *candidates) {
                if (visible(row))
                    result.push_back(row);
            }
        } else {
            for (int row = 0; row < rows.rowCount(); ++row) {
                if (visible(row))
                    result.push_back(row);
            }
        }
        if (rowOrder)
            std::stable_sort(result.begin(), result.end(), rowOrder);
        view = std::move(result);
        viewActive = true;
    }

    // Re-applies the view after the program's filter or order changed, keeping
    // the current record where it stays visible.
    void reapplyView()
    {
        const int current = q->m_cursor >= 0 && q->m_cursor < visibleCount() ? physical(q->m_cursor) : -1;
        applyFilter();
        if (current < 0) {
            moveFirst();
            return;
        }
        const int count = visibleCount();
        int found = -1;
        for (int v = 0; v < count && found < 0; ++v) {
            if (physical(v) == current)
                found = v;
        }
        if (found < 0) {
            moveFirst();
            return;
        }
        q->m_cursor = found;
        q->m_bof = q->m_eof = false;
    }

    void moveFirst()
    {
        const int count = visibleCount();
        q->m_cursor = count > 0 ? 0 : -1;
        q->m_bof = true;
        q->m_eof = count == 0;
    }

    // Keeps the cursor on a valid row after rows went away.
    void clampCursor()
    {
        const int count = visibleCount();
        if (count == 0) {
            q->m_cursor = -1;
            q->m_bof = q->m_eof = true;
            return;
        }
        q->m_cursor = std::clamp(q->m_cursor, 0, count - 1);
        q->m_bof = q->m_eof = false;
    }

    void removeStoredRow(int row)
    {
        rows.removeRow(row);
        if (viewActive) {
            auto it = std::find(view.begin(), view.end(), row);
            if (it != view.end())
                view.erase(it);
            for (int &r : view) {
                if (r > row)
                    --r;
            }
        }
        if (insertRow > row)
            --insertRow;
        changed();
    }

    QVector<QVariant> emptyRow() const { return QVector<QVariant>(int(q->m_fields.size())); }

    void load(DataPacket &&packet)
    {
        if (packet.rows.heldByColumn()) {
            load(ColumnPacket{std::move(packet.fields), std::move(*packet.rows.takeColumns())});
            return;
        }
        buffer.clear();
        insertRow = -1;
        defineFields(packet.fields);
        const int columns = int(q->m_fields.size());
        // The packet's texts are made already: taken over, not copied.
        rows.reset(columns, ColumnStore::Texts::Shared);
        rows.reserve(int(packet.rows.size()));
        std::vector<bool> textColumn(columns);
        for (int c = 0; c < columns; ++c)
            textColumn[c] = isTextType(q->m_fields[c]->DataType());
        // Each row of the packet goes once it is stored, so that a large load
        // never holds the packet and the store whole at once.
        QVector<QVector<QVariant>> packetRows = packet.rows.takeVector();
        for (auto &packetRow : packetRows) {
            QVector<QVariant> row = std::move(packetRow);
            if (row.size() != columns)
                row.resize(columns);
            for (int c = 0; c < columns; ++c) {
                QVariant &v = row[c];
                // A text in a text column is already in its stored form.
                if (textColumn[c] && v.typeId() == QMetaType::QString)
                    continue;
                if (!isNullValue(v))
                    v = q->m_fields[c]->normalise(v);
                else if (v.isValid())
                    v = QVariant();
            }
            rows.appendRow(row);
        }
        loaded();
    }

    void loaded()
    {
        rows.squeeze();
        changed();
        index.clear();
        q->m_state = DataSetState::Browse;
    }

    // A column a reader filled with its field's stored form (texts for a text
    // field, integers for an integer one...) is taken as it is; any other is
    // converted value by value, as a packet's rows are.
    static bool inStoredForm(FieldType type, int kind)
    {
        if (kind == 0)
            return true;
        if (isTextType(type))
            return kind == QMetaType::QString;
        if (isBytesType(type))
            return kind == QMetaType::QByteArray;
        if (isIntegerType(type))
            return kind == QMetaType::LongLong;
        switch (type) {
        case FieldType::Boolean: return kind == QMetaType::Bool;
        case FieldType::Date: return kind == QMetaType::QDate;
        case FieldType::DateTime: return kind == QMetaType::QDateTime;
        case FieldType::Time: return kind == QMetaType::QTime;
        default: return false;
        }
    }

    void load(ColumnPacket &&packet)
    {
        buffer.clear();
        insertRow = -1;
        defineFields(packet.fields);
        const int columns = int(q->m_fields.size());
        if (packet.rows.columnCount() != columns)
            throw LumoError(QStringLiteral("数据包有 %1 列, 字段有 %2 个").arg(packet.rows.columnCount()).arg(columns));
        rows = std::move(packet.rows);
        for (int c = 0; c < columns; ++c) {
            const Field &field = *q->m_fields[c];
            if (rows.uniform(c) && inStoredForm(field.DataType(), rows.kindOf(c)))
                continue;
            const QVector<QVariant> values = rows.takeColumn(c);
            for (int row = 0; row < values.size(); ++row) {
                if (!isNullValue(values[row]))
                    rows.set(row, c, field.normalise(values[row]));
            }
        }
        loaded();
    }
};

ClientDataSet::ClientDataSet(QObject *parent) : QObject(parent), d(std::make_unique<Impl>(this)) {}

ClientDataSet::~ClientDataSet() = default;

void ClientDataSet::SetData(const DataPacket &packet)
{
    SetData(DataPacket(packet));
}

void ClientDataSet::SetData(DataPacket &&packet)
{
    load([&] { d->load(std::move(packet)); });
}

void ClientDataSet::SetData(ColumnPacket &&packet)
{
    load([&] { d->load(std::move(packet)); });
}

template <typename Load>
void ClientDataSet::load(Load &&loadRows)
{
    const DataSetState before = m_state;
    try {
        loadRows();
    } catch (...) {
        // A value that does not fit its column leaves nothing half loaded.
        d->rows.reset(0);
        m_fields.clear();
        d->columnByName.clear();
        d->view.clear();
        d->viewActive = false;
        m_state = DataSetState::Inactive;
        m_cursor = -1;
        m_bof = m_eof = true;
        d->changed();
        if (before != m_state)
            d->notify(&ClientDataSet::stateChanged);
        d->notify(&ClientDataSet::dataChanged);
        throw;
    }
    try {
        d->applyFilter();
    } catch (const LumoError &) {
        // The rows are there; a filter naming a column the new data lacks is
        // switched off and reported.
        m_filtered = false;
        d->applyFilter();
        d->moveFirst();
        if (before != m_state)
            d->notify(&ClientDataSet::stateChanged);
        d->notify(&ClientDataSet::dataChanged);
        d->notify(&ClientDataSet::scrolled);
        throw;
    }
    d->moveFirst();
    if (before != m_state)
        d->notify(&ClientDataSet::stateChanged);
    d->notify(&ClientDataSet::dataChanged);
    d->notify(&ClientDataSet::scrolled);
}

DataPacket ClientDataSet::Data() const
{
    DataPacket packet;
    for (const auto &f : m_fields)
        packet.fields.append(FieldDef{f->FieldName(), f->DataType(), f->Size()});
    packet.rows.reserve(d->rows.rowCount());
    for (int r = 0; r < d->rows.rowCount(); ++r) {
        if (r != d->insertRow)  // an appended record exists only once it is posted
            packet.rows.append(d->rows.row(r));
    }
    return packet;
}

void ClientDataSet::CreateDataSet(const QVector<FieldDef> &fields)
{
    SetData(DataPacket{fields, {}});
}

void ClientDataSet::Close()
{
    const bool wasActive = Active();
    d->rows.reset(0);
    d->buffer.clear();
    d->insertRow = -1;
    d->view.clear();
    d->viewActive = false;
    d->index.clear();
    d->columnByName.clear();
    m_fields.clear();
    m_cursor = -1;
    m_bof = m_eof = true;
    d->changed();
    d->setState(DataSetState::Inactive);
    if (wasActive)
        d->notify(&ClientDataSet::dataChanged);
}

int ClientDataSet::FieldCount() const
{
    return int(m_fields.size());
}

Field *ClientDataSet::FieldAt(int index) const
{
    if (index < 0 || index >= int(m_fields.size()))
        throw LumoError(QStringLiteral("字段序号 %1 超出范围 (共 %2 个字段)").arg(index).arg(m_fields.size()));
    return m_fields[index].get();
}

Field *ClientDataSet::FindField(const QString &name) const
{
    const auto it = d->columnByName.constFind(name.trimmed().toCaseFolded());
    return it == d->columnByName.constEnd() ? nullptr : m_fields[it.value()].get();
}

Field *ClientDataSet::FieldByName(const QString &name) const
{
    Field *f = FindField(name);
    if (!f) {
        const QString owner = objectName().isEmpty() ? QString() : QStringLiteral(" (%1)").arg(objectName());
        throw LumoError(QStringLiteral("字段 \"%1\" 不存在%2").arg(name, owner));
    }
    return f;
}

void ClientDataSet::First()
{
    d->checkBrowse();
    const int old = m_cursor;
    d->moveFirst();
    if (m_cursor != old)
        d->notify(&ClientDataSet::scrolled);
}

void ClientDataSet::Last()
{
    d->checkBrowse();
    const int old = m_cursor;
    const int count = d->visibleCount();
    m_cursor = count - 1;
    m_eof = true;
    m_bof = count == 0;
    if (m_cursor != old)
        d->notify(&ClientDataSet::scrolled);
}

void ClientDataSet::Next()
{
    d->checkBrowse();
    if (m_eof)
        return;
    m_bof = false;
    if (m_cursor + 1 < d->visibleCount()) {
        ++m_cursor;
        d->notify(&ClientDataSet::scrolled);
    } else {
        m_eof = true;
    }
}

void ClientDataSet::Prior()
{
    d->checkBrowse();
    if (m_bof)
        return;
    m_eof = false;
    if (m_cursor > 0) {
        --m_cursor;
        d->notify(&ClientDataSet::scrolled);
    } else {
        m_bof = true;
    }
}

bool ClientDataSet::Eof() const
{
    return !Active() || m_eof;
}

bool ClientDataSet::Bof() const
{
    return !Active() || m_bof;
}

int ClientDataSet::RecNo() const
{
    if (!Active() || m_cursor < 0)
        return 0;
    return m_cursor + 1;
}

void ClientDataSet::SetRecNo(int recNo)
{
    d->checkBrowse();
    if (recNo < 1 || recNo > d->visibleCount() || recNo == m_cursor + 1)
        return;
    m_cursor = recNo - 1;
    m_bof = m_eof = false;
    d->notify(&ClientDataSet::scrolled);
}

int ClientDataSet::RecordCount() const
{
    return Active() ? d->visibleCount() : 0;
}

bool ClientDataSet::IsEmpty() const
{
    return RecordCount() == 0;
}

void ClientDataSet::Append()
{
    d->checkBrowse();
    d->cursorBeforeInsert = m_cursor;
    d->rows.appendRow(d->emptyRow());
    d->insertRow = d->rows.rowCount() - 1;
    if (d->viewActive)
        d->view.push_back(d->insertRow);  // visible while it is being filled in
    d->changed();
    d->buffer = d->emptyRow();
    d->modified = false;
    m_cursor = d->visibleCount() - 1;
    m_bof = m_eof = false;
    d->setState(DataSetState::Insert);
    d->notify(&ClientDataSet::dataChanged);
    d->notify(&ClientDataSet::scrolled);
}

void ClientDataSet::Edit()
{
    d->checkActive();
    if (d->editing())
        return;
    // Editing an empty dataset starts a new record: the editors bound to it
    // then have a row to write to.
    if (d->visibleCount() == 0) {
        Append();
        return;
    }
    d->buffer = d->rows.row(d->physical(m_cursor));
    d->setState(DataSetState::Edit);
}

void ClientDataSet::Post()
{
    if (!d->editing())
        return;
    const int row = m_state == DataSetState::Insert ? d->insertRow : d->physical(m_cursor);
    d->rows.setRow(row, d->buffer);
    d->buffer.clear();
    d->insertRow = -1;
    d->changed();
    const int oldCursor = m_cursor;
    // A posted record that no longer passes the filter leaves the view.
    if (d->viewActive && d->filter && !d->filter->matches(d->rows, row)) {
        auto it = std::find(d->view.begin(), d->view.end(), row);
        if (it != d->view.end())
            d->view.erase(it);
        d->clampCursor();
    }
    d->setState(DataSetState::Browse);
    d->notify(&ClientDataSet::dataChanged);
    if (m_cursor != oldCursor)
        d->notify(&ClientDataSet::scrolled);
}

void ClientDataSet::Cancel()
{
    if (m_state == DataSetState::Edit) {
        d->buffer.clear();
        d->setState(DataSetState::Browse);
        d->notify(&ClientDataSet::recordChanged);
        return;
    }
    if (m_state != DataSetState::Insert)
        return;
    d->buffer.clear();
    const int row = d->insertRow;
    d->insertRow = -1;
    d->removeStoredRow(row);
    m_cursor = d->cursorBeforeInsert;
    d->clampCursor();
    d->setState(DataSetState::Browse);
    d->notify(&ClientDataSet::dataChanged);
    d->notify(&ClientDataSet::scrolled);
}

void ClientDataSet::Delete()
{
    d->checkActive();
    if (m_state == DataSetState::Insert) {
        Cancel();
        return;
    }
    if (d->visibleCount() == 0)
        throw LumoError(QStringLiteral("数据集为空, 不能删除记录"));
    d->buffer.clear();
    d->removeStoredRow(d->physical(m_cursor));
    d->clampCursor();
    d->setState(DataSetState::Browse);
    d->notify(&ClientDataSet::dataChanged);
    d->notify(&ClientDataSet::scrolled);
}

void ClientDataSet::SetFilter(const QString &text)
{
    // Parse first: a text that does not parse changes nothing.
    std::unique_ptr<FilterExpression> parsed = FilterExpression::parse(text);
    if (Active())
        d->checkBrowse();
    std::unique_ptr<FilterExpression> previous = std::move(d->filter);
    const QString previousText = m_filterText;
    d->filter = std::move(parsed);
    m_filterText = text;
    if (!Active())
        return;
    if (m_filtered) {
        try {
            d->applyFilter();
        } catch (...) {
            d->filter = std::move(previous);
            m_filterText = previousText;
            throw;
        }
        d->moveFirst();
        d->notify(&ClientDataSet::dataChanged);
        d->notify(&ClientDataSet::scrolled);
    }
}

void ClientDataSet::SetFiltered(bool on)
{
    if (on == m_filtered)
        return;
    if (!Active()) {
        m_filtered = on;
        return;
    }
    d->checkBrowse();
    m_filtered = on;
    try {
        d->applyFilter();
    } catch (...) {
        m_filtered = false;
        d->applyFilter();
        throw;
    }
    d->moveFirst();
    d->notify(&ClientDataSet::dataChanged);
    d->notify(&ClientDataSet::scrolled);
}

void ClientDataSet::SetRowFilter(RowPredicate accept)
{
    if (Active())
        d->checkBrowse();
    d->rowFilter = std::move(accept);
    if (!Active())
        return;
    d->reapplyView();
    d->notify(&ClientDataSet::dataChanged);
    d->notify(&ClientDataSet::scrolled);
}

void ClientDataSet::SetRowOrder(RowOrder less)
{
    if (Active())
        d->checkBrowse();
    d->rowOrder = std::move(less);
    if (!Active())
        return;
    d->reapplyView();
    d->notify(&ClientDataSet::dataChanged);
    d->notify(&ClientDataSet::scrolled);
}

bool ClientDataSet::HasRowFilter() const
{
    return bool(d->rowFilter);
}

int ClientDataSet::StoredRowCount() const
{
    if (!Active())
        return 0;
    return d->rows.rowCount() - (d->insertRow >= 0 ? 1 : 0);
}

QVariant ClientDataSet::storedValue(int storedRow, int column) const
{
    return d->rows.value(storedRow, column);
}

QStringView ClientDataSet::storedText(int storedRow, int column) const
{
    return d->rows.text(storedRow, column);
}

bool ClientDataSet::Locate(const QString &keyFields, const QVariant &keyValues, LocateOptions options)
{
    d->checkBrowse();
    QVector<Field *> fields;
    const QStringList names = keyFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &name : names) {
        if (!name.trimmed().isEmpty())
            fields << FieldByName(name.trimmed());
    }
    if (fields.isEmpty())
        throw LumoError(QStringLiteral("定位字段列表 \"%1\" 为空").arg(keyFields));

    QVariantList keys;
    if (keyValues.typeId() == QMetaType::QVariantList || keyValues.typeId() == QMetaType::QStringList)
        keys = keyValues.toList();
    else
        keys << keyValues;
    if (fields.size() == 1 && keys.size() != 1)
        keys = QVariantList{keyValues};
    if (keys.size() != fields.size())
        throw LumoError(QStringLiteral("定位字段 \"%1\" 与给定的值个数不一致").arg(keyFields));

    const bool caseInsensitive = options & loCaseInsensitive;
    const bool partial = options & loPartialKey;

    // Each key in its field's text form, once, so that "254" finds 254 stored
    // as a number as well as "254" stored as text.
    struct Key
    {
        int column;
        bool isNull;
        bool usable;
        QString text;
    };
    QVector<Key> prepared;
    for (int i = 0; i < fields.size(); ++i) {
        Field *f = fields[i];
        Key k{f->Index(), isNullValue(keys[i]), true, QString()};
        if (!k.isNull) {
            if (isTextType(f->DataType())) {
                k.text = valueText(keys[i], FieldType::String);
            } else {
                try {
                    k.text = f->textOf(f->normalise(keys[i]));
                } catch (const LumoError &) {
                    // A key of the wrong kind matches nothing, except as the
                    // start of a value's text.
                    k.usable = partial;
                    k.text = valueText(keys[i], FieldType::String);
                }
            }
        }
        prepared << k;
    }

    const Qt::CaseSensitivity cs = caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const int count = d->visibleCount();
    for (int v = 0; v < count; ++v) {
        const int row = d->physical(v);
        bool all = true;
        for (int i = 0; all && i < prepared.size(); ++i) {
            const Key &k = prepared[i];
            const QVariant value = d->rows.value(row, k.column);
            if (k.isNull) {
                all = isNullValue(value);
                continue;
            }
            if (!k.usable || isNullValue(value)) {
                all = false;
                continue;
            }
            const QString text = fields[i]->textOf(value);
            all = partial ? text.startsWith(k.text, cs) : text.compare(k.text, cs) == 0;
        }
        if (all) {
            const int old = m_cursor;
            m_cursor = v;
            m_bof = m_eof = false;
            if (old != v)
                d->notify(&ClientDataSet::scrolled);
            return true;
        }
    }
    return false;
}

void ClientDataSet::DisableControls()
{
    ++m_disableCount;
}

void ClientDataSet::EnableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount == 0)
        emit dataChanged();
}

QVariant ClientDataSet::valueAt(int row, int column) const
{
    if (!Active() || row < 0 || row >= d->visibleCount() || column < 0 || column >= int(m_fields.size()))
        return QVariant();
    if (row == m_cursor && d->editing())
        return d->buffer.value(column);
    return d->rows.value(d->physical(row), column);
}

int ClientDataSet::rowOfView(int viewIndex) const
{
    if (!Active() || viewIndex < 0 || viewIndex >= d->visibleCount())
        return -1;
    return d->physical(viewIndex);
}

const QVariant &ClientDataSet::currentValue(int column) const
{
    static const QVariant none;
    if (!Active() || m_cursor < 0 || column < 0 || column >= int(m_fields.size()))
        return none;
    if (d->editing())
        return column < d->buffer.size() ? d->buffer.at(column) : none;
    const int row = d->physical(m_cursor);
    Impl::CurrentValue &cached = d->current[std::size_t(column)];
    if (cached.row != row || cached.version != m_contentVersion) {
        cached.value = d->rows.value(row, column);
        cached.row = row;
        cached.version = m_contentVersion;
    }
    return cached.value;
}

void ClientDataSet::setCurrentValue(int column, const QVariant &value)
{
    if (column < 0 || column >= int(m_fields.size()))
        throw LumoError(QStringLiteral("字段序号 %1 超出范围").arg(column));
    Field *f = m_fields[column].get();
    if (!d->editing())
        throw LumoError(QStringLiteral("数据集不在编辑或插入状态, 不能修改字段 \"%1\"").arg(f->FieldName()));
    d->buffer[column] = f->normalise(value);
    d->modified = true;
    d->notify(&ClientDataSet::recordChanged);
}

} // namespace data
