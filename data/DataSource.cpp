#include "DataSource.h"

namespace data {

DataSource::DataSource(QObject *parent) : QObject(parent) {}

void DataSource::SetDataSet(ClientDataSet *dataSet)
{
    if (m_dataSet == dataSet)
        return;
    for (auto &c : m_connections)
        disconnect(c);
    disconnect(m_destroyedConnection);
    m_dataSet = dataSet;
    if (dataSet) {
        m_connections[0] = connect(dataSet, &ClientDataSet::dataChanged, this, &DataSource::dataChanged);
        m_connections[1] = connect(dataSet, &ClientDataSet::recordChanged, this, &DataSource::recordChanged);
        m_connections[2] = connect(dataSet, &ClientDataSet::scrolled, this, &DataSource::scrolled);
        m_connections[3] = connect(dataSet, &ClientDataSet::stateChanged, this, &DataSource::stateChanged);
        // Bound controls must let go of a dataset that is being destroyed.
        m_destroyedConnection = connect(dataSet, &QObject::destroyed, this, [this] {
            m_dataSet = nullptr;
            emit dataSetChanged();
        });
    }
    emit dataSetChanged();
}

} // namespace data
