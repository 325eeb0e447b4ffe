#include "DataSourceLink.h"

bool DataSourceLink::follow(data::DataSource *source, QObject *receiver, const Handlers &handlers)
{
    if (m_source == source)
        return false;
    release();
    m_source = source;
    if (source) {
        using data::DataSource;
        m_connections = {QObject::connect(source, &DataSource::dataSetChanged, receiver, handlers.dataSetChanged),
                         QObject::connect(source, &DataSource::dataChanged, receiver, handlers.dataChanged),
                         QObject::connect(source, &DataSource::scrolled, receiver, handlers.scrolled),
                         QObject::connect(source, &DataSource::recordChanged, receiver, handlers.recordChanged),
                         QObject::connect(source, &DataSource::stateChanged, receiver, handlers.stateChanged)};
    }
    return true;
}

void DataSourceLink::release()
{
    for (auto &connection : m_connections)
        QObject::disconnect(connection);
}
