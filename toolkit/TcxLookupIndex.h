#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "DataSource.h"

// Finds rows of a list dataset by key (KeyFieldNames, ";"-separated) and gives
// the text of their list field (the first of ListFieldNames). The key -> row
// hash is built once per content of the list dataset (its content version,
// filter and row count), so a grid column shows N lookup cells in about N steps
// instead of scanning the list per cell. The first row wins for duplicate keys.
class TcxLookupIndex
{
public:
    void setDataSet(data::ClientDataSet *dataSet);
    data::ClientDataSet *dataSet() const { return m_dataSet; }
    void setKeyFieldNames(const QString &names);
    void setListFieldNames(const QString &names);
    QString keyFieldNames() const { return m_keyNames; }
    QString listFieldNames() const { return m_listNames; }

    // Visible row (0-based) of the list dataset holding key; -1 when none.
    // A key of several fields is a QVariantList.
    int rowOfKey(const QVariant &key) const;
    // List-field text of the row holding key; empty when none.
    QString listTextOf(const QVariant &key) const;
    // Key value of a visible row (a QVariantList for several key fields).
    QVariant keyOfRow(int row) const;
    // List-field text of a visible row.
    QString listTextOfRow(int row) const;
    // First visible row whose list text equals text, ignoring letter case; -1 when none.
    int rowOfListText(const QString &text) const;

    // Drops the hash; the next lookup rebuilds it.
    void invalidate() { m_valid = false; }

    // Canonical text of a key value used in hashing (exposed for views that
    // build their own indexes).
    static QString keyText(const QVariant &value);

private:
    void ensureBuilt() const;
    QVariant keyOfRowUnchecked(int row) const;
    QVector<int> columnsOf(const QString &names) const;

    QPointer<data::ClientDataSet> m_dataSet;
    QString m_keyNames;
    QString m_listNames;
    mutable bool m_valid = false;
    mutable quint64 m_version = 0;
    mutable int m_rowCount = -1;
    mutable QString m_filter;
    mutable bool m_filtered = false;
    mutable QVector<int> m_keyColumns;
    mutable int m_listColumn = -1;
    mutable QHash<QString, int> m_rowByKey;
    mutable QHash<QString, int> m_rowByListText;
};
