#include "TcxTabSheet.h"

#include "TcxPageControl.h"

TcxTabSheet::TcxTabSheet(QWidget *parent)
    : QWidget(parent)
{
    if (auto *pageControl = qobject_cast<TcxPageControl *>(parent))
        pageControl->AddPage(this);
}

TcxTabSheet::~TcxTabSheet() = default;

TcxPageControl *TcxTabSheet::PageControl() const
{
    return m_pageControl;
}

void TcxTabSheet::SetCaption(const QString &caption)
{
    m_caption = caption;
    if (m_pageControl) {
        const int index = m_pageControl->indexOf(this);
        if (index >= 0)
            m_pageControl->setTabText(index, caption);
    }
}

void TcxTabSheet::SetPageControl(TcxPageControl *pageControl)
{
    if (m_pageControl == pageControl)
        return;
    if (m_pageControl)
        m_pageControl->RemovePage(this);
    if (pageControl)
        pageControl->AddPage(this);
}

int TcxTabSheet::PageIndex() const
{
    return m_pageControl ? m_pageControl->indexOf(const_cast<TcxTabSheet *>(this)) : -1;
}

TcxTabSheet *tabSheetOf(const QWidget *w)
{
    return w ? qobject_cast<TcxTabSheet *>(w->parentWidget()) : nullptr;
}
