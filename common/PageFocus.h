#pragma once

class QWidget;
class TcxGridDBColumn;

// Makes the tab sheet that holds control the active page of its page control,
// so that a control about to be reported is on screen: the control's parent
// sheet, or the sheet under the group box that is its parent. Any other
// placement (or a sheet outside a page control) leaves the pages alone.
void bringPageForward(const QWidget *control);

// Focuses a grid column: its view first, then the column.
void focusGridColumn(TcxGridDBColumn *column);
