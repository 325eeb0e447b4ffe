#pragma once

#include <QTabWidget>

class TcxTabSheet;

// A page control: one tab per TcxTabSheet.
class TcxPageControl : public QTabWidget
{
    Q_OBJECT

public:
    explicit TcxPageControl(QWidget *parent = nullptr);

    // Adds sheet as the last page (caption from the sheet).
    void AddPage(TcxTabSheet *sheet);
    void RemovePage(TcxTabSheet *sheet);

    int PageCount() const { return count(); }
    TcxTabSheet *Page(int index) const;

    TcxTabSheet *ActivePage() const;
    void SetActivePage(TcxTabSheet *sheet);  // ignores sheets of other controls
    int ActivePageIndex() const { return currentIndex(); }
    // Out-of-range indexes leave the active page unchanged.
    void SetActivePageIndex(int index);
};
