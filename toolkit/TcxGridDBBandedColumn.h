#pragma once

#include "TcxGridDBColumn.h"

// A column of a banded view; here a plain column (bands are not drawn), kept as
// its own class so that code telling items apart by class sees it.
class TcxGridDBBandedColumn : public TcxGridDBColumn
{
    Q_OBJECT

public:
    explicit TcxGridDBBandedColumn(TcxGridDBTableView *view);

    int BandIndex() const { return m_bandIndex; }
    void SetBandIndex(int index) { m_bandIndex = index; }

private:
    int m_bandIndex = 0;
};
