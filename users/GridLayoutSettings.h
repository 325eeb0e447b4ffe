#pragma once

#include <QString>

class TcxGridDBTableView;

// Keeps a grid's column widths, column order and sort in the host's settings
// (the host keeps them per login) and restores them. A host without settings
// keeps nothing: the grid then starts as designed.
class GridLayoutSettings
{
public:
    GridLayoutSettings(TcxGridDBTableView *view, QString key);

    // True when a kept layout was found and applied.
    bool restore();
    void save() const;

private:
    TcxGridDBTableView *m_view;
    QString m_key;
};
