#include "TcxLookupIndex.h"

#include <QDate>
#include <QDateTime>

#include "ClientDataSet.h"
#include "Field.h"

namespace {

const QChar kKeySeparator(0x1f);

QStringList splitNames(const QString &names)
{
    QStringList result;
    for (const QString &name : names.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = name.trimmed();
        if (!trimmed.isEmpty())
            result << trimmed;
    }
    return result;
}

} // namespace

void TcxLookupIndex::setDataSet(data::ClientDataSet *dataSet)
{
    if (m_dataSet == dataSet)
        return;
    m_dataSet = dataSet;
    m_valid = false;
}

void TcxLookupIndex::setKeyFieldNames(const QString &names)
{
    m_keyNames = names;
    m_valid = false;
}

void TcxLookupIndex::setListFieldNames(const QString &names)
{
    m_listNames = names;
    m_valid = false;
}

QString TcxLookupIndex::keyText(const QVariant &value)
{
    if (value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double: {
        // 5.0 and 5 name the same key.
        const double d = value.toDouble();
        if (d == double(qint64(d)))
            return QString::number(qint64(d));
        return QString::number(d, 'g', 17);
    }
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
        return value.toDateTime().toString(Qt::ISODate);
    case QMetaType::QVariantList: {
        QStringList parts;
        for (const QVariant &part : value.toList()) {
            if (part.isNull())
                return QString();
            parts << keyText(part);
        }
        return parts.join(kKeySeparator);
    }
    default:
        return value.toString();
    }
}

QVector<int> TcxLookupIndex::columnsOf(const QString &names) const
{
    QVector<int> columns;
    for (const QString &name : splitNames(names)) {
        data::Field *field = m_dataSet->FindField(name);
        columns << (field ? field->Index() : -1);
    }
    return columns;
}

void TcxLookupIndex::ensureBuilt() const
{
    data::ClientDataSet *ds = m_dataSet;
    if (!ds || !ds->Active()) {
        m_rowByKey.clear();
        m_rowByListText.clear();
        m_keyColumns.clear();
        m_listColumn = -1;
        m_valid = false;
        return;
    }
    if (m_valid && m_version == ds->contentVersion() && m_rowCount == ds->RecordCount()
        && m_filter == ds->Filter() && m_filtered == ds->Filtered())
        return;

    m_version = ds->contentVersion();
    m_rowCount = ds->RecordCount();
    m_filter = ds->Filter();
    m_filtered = ds->Filtered();
    m_keyColumns = columnsOf(m_keyNames);
    const QVector<int> listColumns = columnsOf(m_listNames);
    m_listColumn = listColumns.isEmpty() ? -1 : listColumns.first();
    m_rowByKey.clear();
    m_rowByListText.clear();
    m_rowByKey.reserve(m_rowCount);

    const bool keysUsable = !m_keyColumns.isEmpty() && !m_keyColumns.contains(-1);
    for (int row = 0; row < m_rowCount; ++row) {
        if (keysUsable) {
            const QString key = keyText(keyOfRowUnchecked(row));
            if (!key.isNull() && !m_rowByKey.contains(key))
                m_rowByKey.insert(key, row);
        }
        if (m_listColumn >= 0) {
            const QString text = ds->FieldAt(m_listColumn)->textOf(ds->valueAt(row, m_listColumn)).toLower();
            if (!m_rowByListText.contains(text))
                m_rowByListText.insert(text, row);
        }
    }
    m_valid = true;
}

QVariant TcxLookupIndex::keyOfRowUnchecked(int row) const
{
    if (m_keyColumns.size() == 1)
        return m_dataSet->valueAt(row, m_keyColumns.first());
    QVariantList parts;
    for (int column : m_keyColumns)
        parts << m_dataSet->valueAt(row, column);
    return parts;
}

int TcxLookupIndex::rowOfKey(const QVariant &key) const
{
    ensureBuilt();
    if (!m_valid)
        return -1;
    const QString text = keyText(key);
    if (text.isNull())
        return -1;
    return m_rowByKey.value(text, -1);
}

QString TcxLookupIndex::listTextOf(const QVariant &key) const
{
    return listTextOfRow(rowOfKey(key));
}

QVariant TcxLookupIndex::keyOfRow(int row) const
{
    ensureBuilt();
    if (!m_valid || row < 0 || row >= m_rowCount || m_keyColumns.isEmpty() || m_keyColumns.contains(-1))
        return QVariant();
    return keyOfRowUnchecked(row);
}

QString TcxLookupIndex::listTextOfRow(int row) const
{
    ensureBuilt();
    if (!m_valid || row < 0 || row >= m_rowCount || m_listColumn < 0)
        return QString();
    return m_dataSet->FieldAt(m_listColumn)->textOf(m_dataSet->valueAt(row, m_listColumn));
}

int TcxLookupIndex::rowOfListText(const QString &text) const
{
    ensureBuilt();
    if (!m_valid)
        return -1;
    return m_rowByListText.value(text.toLower(), -1);
}
