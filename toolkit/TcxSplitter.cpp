#include "TcxSplitter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

TcxSplitter::TcxSplitter(QWidget *parent)
    : QWidget(parent)
{
    setOrientation(Qt::Vertical);
}

void TcxSplitter::setOrientation(Qt::Orientation orientation)
{
    m_orientation = orientation;
    if (orientation == Qt::Vertical) {
        setCursor(Qt::SplitHCursor);
        setFixedWidth(8);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    } else {
        setCursor(Qt::SplitVCursor);
        setFixedHeight(8);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
}

void TcxSplitter::SetControl(QWidget *control)
{
    m_control = control;
}

void TcxSplitter::SetControlSize(int size)
{
    if (!m_control)
        return;
    // The pane keeps at least its minimum size and leaves the splitter room
    // inside the parent.
    const bool across = m_orientation == Qt::Vertical;
    const int minimum = qMax(0, across ? m_control->minimumSizeHint().width() : m_control->minimumSizeHint().height());
    int maximum = size;
    if (QWidget *parent = parentWidget())
        maximum = (across ? parent->width() - width() : parent->height() - height());
    const int bounded = qMax(minimum, qMin(size, maximum));
    if (across)
        m_control->setFixedWidth(bounded);
    else
        m_control->setFixedHeight(bounded);
}

void TcxSplitter::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    if (m_orientation == Qt::Vertical)
        option.state |= QStyle::State_Horizontal;
    style()->drawControl(QStyle::CE_Splitter, &option, &painter, this);
}

void TcxSplitter::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_control)
        return;
    m_dragging = true;
    const QPoint global = event->globalPosition().toPoint();
    m_pressPos = m_orientation == Qt::Vertical ? global.x() : global.y();
    m_pressSize = m_orientation == Qt::Vertical ? m_control->width() : m_control->height();
}

void TcxSplitter::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    const QPoint global = event->globalPosition().toPoint();
    const int position = m_orientation == Qt::Vertical ? global.x() : global.y();
    SetControlSize(m_pressSize + position - m_pressPos);
}

void TcxSplitter::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
}
