#pragma once

#include <QMetaObject>
#include <QPointer>

#include <array>
#include <functional>

#include "DataSource.h"

// A data-aware control's hold on its data source: the source (forgotten when it
// is destroyed) and the connections that make the control follow it. Following
// another source drops the connections to the one before.
class DataSourceLink
{
public:
    // What the control does on each of the source's signals; a signal whose
    // handler is left empty is not followed.
    struct Handlers
    {
        std::function<void()> dataSetChanged;
        std::function<void()> dataChanged;
        std::function<void()> scrolled;
        std::function<void()> recordChanged;
        std::function<void()> stateChanged;
    };

    DataSourceLink() = default;
    DataSourceLink(const DataSourceLink &) = delete;
    DataSourceLink &operator=(const DataSourceLink &) = delete;
    ~DataSourceLink() { release(); }

    data::DataSource *source() const { return m_source; }
    data::ClientDataSet *dataSet() const { return m_source ? m_source->DataSet() : nullptr; }

    // Follows source, running the handlers in receiver's context. Returns false,
    // changing nothing, when source is the one already followed.
    bool follow(data::DataSource *source, QObject *receiver, const Handlers &handlers);
    // Drops the connections; a control calls it first thing on destruction, so
    // no signal reaches it half destroyed.
    void release();

private:
    QPointer<data::DataSource> m_source;
    std::array<QMetaObject::Connection, 5> m_connections;
};
