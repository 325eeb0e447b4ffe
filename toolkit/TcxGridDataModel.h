#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QVector>

#include "DataSource.h"

class TcxGridDBTableView;

// The rows of a grid table view: one per visible row of the view's dataset,
// one column per visible view column. Cell values are read on demand from the
// dataset, so a 100,000-row dataset costs no per-row work until rows are shown.
class TcxGridDataModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit TcxGridDataModel(TcxGridDBTableView *view);

    // Re-reads the dataset and the column layout (a model reset).
    void reload();
    // One row's values changed.
    void rowChanged(int row);

    // The view column shown in a model column; nullptr when out of range.
    class TcxGridDBColumn *columnAt(int section) const;
    int sectionOf(const TcxGridDBColumn *column) const;  // -1 when hidden
    data::ClientDataSet *dataSet() const { return m_dataSet; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void rebuild();

    TcxGridDBTableView *m_view;
    QPointer<data::ClientDataSet> m_dataSet;
    QVector<TcxGridDBColumn *> m_columns;  // visible columns in order
    QVector<int> m_fieldIndex;            // dataset column per model column, -1 when absent
    int m_rows = 0;
};
