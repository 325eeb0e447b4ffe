#include "TcxGridDBBandedColumn.h"

TcxGridDBBandedColumn::TcxGridDBBandedColumn(TcxGridDBTableView *view)
    : TcxGridDBColumn(view)
{
}
