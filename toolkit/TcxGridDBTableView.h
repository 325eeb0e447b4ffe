#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>

#include "DataSource.h"
#include "DataSourceLink.h"
#include "TcxStyle.h"
#include "ToolkitEvents.h"

class QPainter;
class QTableView;
class TcxGrid;
class TcxGridDBColumn;
class TcxGridDataModel;

// What the indicator-cell drawing hook gets for one cell of the row indicator.
struct TcxIndicatorCellInfo
{
    bool IsDataRow = true;   // a data row's cell (not the header corner)
    int RecordIndex = -1;    // the row's index in the view, 0-based
    bool Selected = false;   // the row is selected
    bool Focused = false;    // the row is the focused (current) row
    QRect Bounds;            // the cell's content bounds
    QFont Font;              // the canvas font
    QColor TextColor;        // the canvas font colour
    QColor BrushColor;       // the canvas brush colour
};

// A grid table view over a dataset (DataController.DataSource): a read-only
// QTableView with whole-row selection whose current row follows the dataset's
// cursor both ways (clicking a row moves the dataset; moving the dataset moves
// the row). Optional row indicator (with a drawing hook) and footer with
// per-column summaries; even and odd content rows take their styles' colours.
class TcxGridDBTableView : public QWidget
{
    Q_OBJECT

public:
    explicit TcxGridDBTableView(QWidget *parent = nullptr);
    ~TcxGridDBTableView() override;

    // The grid control showing this view; nullptr when not in a grid.
    TcxGrid *Control() const;

    // DataController.DataSource.
    data::DataSource *DataSource() const { return m_link.source(); }
    void SetDataSource(data::DataSource *source);
    data::ClientDataSet *DataSet() const;

    // Columns.
    TcxGridDBColumn *CreateColumn(const QString &name = QString());
    template <class Column>
    Column *CreateColumnOf(const QString &name = QString());
    int ColumnCount() const { return m_columns.size(); }
    TcxGridDBColumn *Column(int index) const { return m_columns.value(index); }
    int IndexOfColumn(const TcxGridDBColumn *column) const;
    TcxGridDBColumn *FocusedColumn() const { return m_focusedColumn; }
    void SetFocusedColumn(TcxGridDBColumn *column);

    // Styles.ContentEven / Styles.ContentOdd (rows 0, 2, 4... are even).
    TcxStyle *ContentEven() const { return m_contentEven; }
    void SetContentEven(TcxStyle *style);
    TcxStyle *ContentOdd() const { return m_contentOdd; }
    void SetContentOdd(TcxStyle *style);

    // OptionsView.
    bool Footer() const { return m_footer; }
    void SetFooter(bool show);
    bool Indicator() const { return m_indicator; }
    void SetIndicator(bool show);
    int IndicatorWidth() const { return m_indicatorWidth; }
    void SetIndicatorWidth(int width);
    bool GroupByBox() const { return false; }  // grouping is not offered
    // OptionsSelection.HideSelection: no highlight while the view is unfocused.
    bool HideSelection() const { return m_hideSelection; }
    void SetHideSelection(bool hide);
    // OptionsSelection.MultiSelect: Ctrl and Shift clicks and Ctrl+A select
    // several rows; the focused row stays the dataset's current one.
    bool MultiSelect() const;
    void SetMultiSelect(bool on);
    // The selected rows' indexes in the view's order (the focused row alone
    // when only it is selected; empty when none is).
    QList<int> SelectedRecordIndexes() const;

    // The footer text under a column ("" when it has no summary), after
    // OnGetFooterText had its say.
    QString FooterText(const TcxGridDBColumn *column) const;
    // Asks for the footer to be drawn again (e.g. when OnGetFooterText would
    // now answer differently).
    void UpdateFooter();

    // Sorting by clicking a column's header: going up, a second click going
    // down. The dataset's rows take the order, so the row numbers, the cursor
    // and everything reading the dataset follow what is shown.
    void SetSortingByHeader(bool on);
    // nullptr: the dataset's own order.
    void SortBy(TcxGridDBColumn *column, bool descending);
    TcxGridDBColumn *SortColumn() const { return m_sortColumn; }
    bool SortDescending() const { return m_sortDescending; }
    // Lets the user drag columns to another place.
    void SetColumnMoving(bool on);
    // The visible columns in the order the user sees them.
    QList<TcxGridDBColumn *> VisibleColumnsInOrder() const;
    // The widths, column order and sort, as a text to keep and to restore
    // (columns by object name; unknown names are passed over).
    QString SaveLayout() const;
    void RestoreLayout(const QString &layout);
    // Formats a count with a display-format mask: the run of 0/# placeholders
    // is replaced by the number, quoted parts and other characters stay.
    static QString FormatCount(const QString &format, qint64 count);
    // The same for any number (FormatFloat masks: 0 # . , and ';' sections).
    static QString FormatNumber(const QString &format, double value);

    // Row access: the focused row's index (-1 when none) and the text a cell shows.
    int FocusedRecordIndex() const;
    void SetFocusedRecordIndex(int row);
    int RecordCount() const;
    QString DisplayText(int row, const TcxGridDBColumn *column) const;

    // Update suspension: while suspended the view ignores dataset notifications;
    // EndUpdate re-reads once.
    void BeginUpdate();
    void EndUpdate();
    // Widens each column whose caption or loaded texts do not fit, so that
    // none is shown cut with "…"; a column is never made narrower.
    void ApplyBestFit();
    bool IsUpdating() const { return m_updateCount > 0; }

    // Makes this the focused view of its grid and gives the grid the focus.
    void Focus();

    // Draws a cell like a header cell (used by indicator hooks): filled with
    // brushColor, borders on the left, right and bottom (highlighted when hot),
    // text centred in one line.
    static void DrawHeaderCell(QPainter *painter, const QRect &rect, const QString &text, bool hot,
                               const QFont &font, const QColor &textColor, const QColor &brushColor);

    QTableView *tableView() const { return m_table; }
    TcxGridDataModel *dataModel() const { return m_model; }

    // Events.
    TNotifyEvent OnDblClick;
    std::function<void(TcxGridDBTableView *, QPainter *, const TcxIndicatorCellInfo &, bool &done)>
        OnCustomDrawIndicatorCell;
    TNotifyEvent OnFocusedRecordChanged;
    // The footer text of a column: gets the summary's own text, returns the one shown.
    std::function<QString(const TcxGridDBColumn *, const QString &text)> OnGetFooterText;
    // The user resized, moved or sorted a column.
    TNotifyEvent OnLayoutChanged;

    // Used by columns and the model.
    void columnChanged(TcxGridDBColumn *column, bool layout);
    void columnDestroyed(TcxGridDBColumn *column);
    QColor rowColor(int row) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addColumn(TcxGridDBColumn *column);
    void reload();
    void applyColumnLayout();
    void syncFromDataSet();
    // Makes the cell current and visible without echoing the move to the dataset.
    void moveCurrentTo(int row, int section);
    void currentRowChanged(int row);
    void updateFooter();
    void headerClicked(int section);
    QString summaryText(const TcxGridDBColumn *column) const;
    void layoutChangedByUser();
    void updateSelectionLook();

    QTableView *m_table = nullptr;
    TcxGridDataModel *m_model = nullptr;
    class TcxGridIndicator *m_indicatorHeader = nullptr;
    class TcxGridFooter *m_footerWidget = nullptr;
    DataSourceLink m_link;
    QList<TcxGridDBColumn *> m_columns;
    TcxGridDBColumn *m_focusedColumn = nullptr;
    TcxGridDBColumn *m_sortColumn = nullptr;
    bool m_sortDescending = false;
    QPointer<TcxStyle> m_contentEven;
    QPointer<TcxStyle> m_contentOdd;
    bool m_footer = false;
    bool m_indicator = false;
    int m_indicatorWidth = 12;
    bool m_hideSelection = false;
    int m_updateCount = 0;
    bool m_pendingReload = false;
    bool m_syncing = false;
    bool m_destroying = false;

    friend class TcxGridDBColumn;
    friend class TcxGridIndicator;
    friend class TcxGridFooter;
};

template <class Column>
Column *TcxGridDBTableView::CreateColumnOf(const QString &name)
{
    auto *column = new Column(this);  // the column registers itself with the view
    if (!name.isEmpty())
        column->setObjectName(name);
    return column;
}
