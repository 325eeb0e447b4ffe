#pragma once

#include <QObject>
#include <QPointer>

#include "ClientDataSet.h"
#include "DataExport.h"

namespace data {

// Connects bound controls to a dataset: passes on the dataset's notifications
// and tells its controls when it is pointed at another dataset.
class DATA_EXPORT DataSource : public QObject
{
    Q_OBJECT

public:
    explicit DataSource(QObject *parent = nullptr);

    ClientDataSet *DataSet() const { return m_dataSet; }
    void SetDataSet(ClientDataSet *dataSet);

signals:
    void dataSetChanged();  // pointed at another dataset
    void dataChanged();
    void recordChanged();
    void scrolled();
    void stateChanged();

private:
    QPointer<ClientDataSet> m_dataSet;
    QMetaObject::Connection m_connections[4];
    QMetaObject::Connection m_destroyedConnection;
};

} // namespace data
