#pragma once

#include <QPointer>
#include <QWidget>

class TcxPageControl;

// One page of a page control. The page control keeps its pages inside an
// internal stack, so a sheet's parentWidget() is not the page control: ask
// PageControl(). Controls placed on the sheet have the sheet as their parent.
class TcxTabSheet : public QWidget
{
    Q_OBJECT

public:
    explicit TcxTabSheet(QWidget *parent = nullptr);
    ~TcxTabSheet() override;

    QString Caption() const { return m_caption; }
    void SetCaption(const QString &caption);

    // The page control the sheet belongs to; nullptr when none. Setting it adds
    // the sheet as the control's last page (removing it from the previous one).
    TcxPageControl *PageControl() const;
    void SetPageControl(TcxPageControl *pageControl);

    // Position among its page control's pages; -1 when it belongs to none.
    int PageIndex() const;

private:
    friend class TcxPageControl;
    QPointer<TcxPageControl> m_pageControl;
    QString m_caption;
};

// The sheet that is w's parent; nullptr when w is not directly on a sheet.
TcxTabSheet *tabSheetOf(const QWidget *w);
