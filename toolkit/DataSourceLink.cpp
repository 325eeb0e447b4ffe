#include "DataSourceLink.h"

bool DataSourceLink::follow(data::DataSource *source, QObject *receiver, const Handlers &handlers)
{
    if (m_source == source)
        return false;
    release();
    m_source = source;
    if (source) {
        using data::DataSource;
        const auto link = [&](auto signal, const std::function<void()> &handler) {
            return handler ? QObject::connect(source, signal, receiver, handler) : QMetaObject::Connection();
        };
        m_connections = {link(&DataSource::dataSetChanged, handlers.dataSetChanged),
                         link(&DataSource::dataChanged, handlers.dataChanged),
                         link(&DataSource::scrolled, handlers.scrolled),
                         link(&DataSource::recordChanged, handlers.recordChanged),
                         link(&DataSource::stateChanged, handlers.stateChanged)};
    }
    return true;
}

void DataSourceLink::release()
{
    for (auto &connection : m_connections)
        QObject::disconnect(connection);
}
