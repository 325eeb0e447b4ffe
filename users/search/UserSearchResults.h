#pragma once

#include <QAbstractTableModel>

class UserDirectory;

// The users a search in every area found, as a read-only table: code, name,
// unit, and the area's code and name. Cells are read on demand, so 100,000
// matches cost nothing until they are shown.
class UserSearchResults : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Code, Name, UnitName, AreaCode, AreaName, ColumnCount };

    UserSearchResults(const UserDirectory &directory, QObject *parent = nullptr);

    // The directory's matches changed.
    void reload();
    // The directory's matches grew at their end (users read since).
    void grown();
    // The directory index of a result row (-1 when out of range).
    int userAt(int row) const;
    // The text of a cell, without a copy of the directory's.
    QStringView text(int row, int column) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const UserDirectory &m_directory;
    int m_rows = 0;
};
