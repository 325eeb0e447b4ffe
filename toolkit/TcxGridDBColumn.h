#pragma once

#include <QObject>
#include <QString>

#include "DataSource.h"
#include "DataSourceLink.h"
#include "TcxLookupIndex.h"
#include "ToolkitEvents.h"

class TcxGridDBTableView;

// A column of a grid table view bound to a field (DataBinding.FieldName). A
// lookup column (Properties.ListSource set) shows, instead of the cell value,
// the list field of the row of the list dataset whose key equals the value.
// Columns are QObjects owned by their view and carry the component name as
// objectName.
class TcxGridDBColumn : public QObject
{
    Q_OBJECT

public:
    // Use TcxGridDBTableView::CreateColumn.
    explicit TcxGridDBColumn(TcxGridDBTableView *view);
    ~TcxGridDBColumn() override;

    TcxGridDBTableView *GridView() const { return m_view; }
    int Index() const;  // position among the view's columns

    QString Caption() const { return m_caption; }
    void SetCaption(const QString &caption);
    QString FieldName() const { return m_fieldName; }  // DataBinding.FieldName
    void SetFieldName(const QString &fieldName);

    int Width() const { return m_width; }
    void SetWidth(int width);
    int MinWidth() const { return m_minWidth; }
    void SetMinWidth(int width);
    Qt::Alignment HeaderAlignment() const { return m_headerAlignment; }  // HeaderAlignmentHorz
    void SetHeaderAlignment(Qt::Alignment alignment);
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    // A field of the view's dataset whose text orders the column's rows before
    // the column's own text does (a name by its stored reading); none when empty.
    QString SortFieldName() const { return m_sortFieldName; }
    void SetSortFieldName(const QString &fieldName) { m_sortFieldName = fieldName; }

    // Properties of a lookup column.
    data::DataSource *ListSource() const { return m_list.source(); }
    void SetListSource(data::DataSource *source);
    QString KeyFieldNames() const { return m_lookup.keyFieldNames(); }
    void SetKeyFieldNames(const QString &names);
    QString ListFieldNames() const { return m_lookup.listFieldNames(); }
    void SetListFieldNames(const QString &names);
    bool IsLookup() const { return m_list.source() != nullptr; }

    // Footer summary under this column (skCount with format "记录数: 0" shows
    // the record count in place of the digit placeholders).
    TcxSummaryKind FooterSummaryKind() const { return m_summaryKind; }
    QString FooterSummaryFormat() const { return m_summaryFormat; }
    void SetFooterSummary(TcxSummaryKind kind, const QString &format);

    // Makes this the focused column of its view (and its view the grid's
    // focused view).
    void Focus();
    bool Focused() const;
    void SetFocused(bool focused);

    // The text a cell of this column shows for a raw cell value of field
    // (nullptr when the view's dataset lacks the field).
    QString displayText(const QVariant &value, const data::Field *field) const;

private:
    void lookupChanged();
    void listDataChanged();

    friend class TcxGridDBTableView;

    TcxGridDBTableView *m_view;
    QString m_caption;
    QString m_fieldName;
    QString m_sortFieldName;
    int m_width = 64;
    int m_minWidth = 20;
    Qt::Alignment m_headerAlignment = Qt::AlignLeft;
    bool m_visible = true;
    DataSourceLink m_list;
    TcxLookupIndex m_lookup;
    TcxSummaryKind m_summaryKind = skNone;
    QString m_summaryFormat;
};
