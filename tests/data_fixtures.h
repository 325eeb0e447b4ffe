#pragma once

// Small builders shared by the data layer's tests.

#include <QVariant>
#include <QVector>

#include "ClientDataSet.h"
#include "DataPacket.h"

namespace datatest {

inline data::FieldDef def(const QString &name, data::FieldType type = data::FieldType::String, int size = 0)
{
    return data::FieldDef{name, type, size};
}

inline data::DataPacket packet(QVector<data::FieldDef> fields, QVector<QVector<QVariant>> rows)
{
    return data::DataPacket{std::move(fields), std::move(rows)};
}

// The values of one column over the visible rows, in view order, as texts.
inline QStringList columnTexts(const data::ClientDataSet &ds, const QString &field)
{
    QStringList out;
    data::Field *f = ds.FieldByName(field);
    for (int r = 0; r < ds.RecordCount(); ++r)
        out << f->textOf(ds.valueAt(r, f->Index()));
    return out;
}

} // namespace datatest
