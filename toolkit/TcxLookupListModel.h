#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

#include "DataSource.h"

// The drop-down list of a lookup editor: one row per visible row of the list
// dataset, one column per list field. Values are read on demand.
class TcxLookupListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit TcxLookupListModel(QObject *parent = nullptr);

    void setSource(data::ClientDataSet *dataSet, const QStringList &listFields);
    // Re-reads the dataset after its rows changed.
    void reset();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QPointer<data::ClientDataSet> m_dataSet;
    QStringList m_listFields;
    QVector<int> m_columns;
    int m_rows = 0;
};
