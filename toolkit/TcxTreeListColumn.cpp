#include "TcxTreeListColumn.h"

#include "TcxDBTreeList.h"

TcxTreeListColumn::TcxTreeListColumn(TcxDBTreeList *treeList)
    : QObject(treeList)
    , m_treeList(treeList)
{
    treeList->addColumn(this);
}

TcxTreeListColumn::~TcxTreeListColumn()
{
    m_treeList->columnDestroyed(this);
}

int TcxTreeListColumn::Index() const
{
    return m_treeList->IndexOfColumn(this);
}

void TcxTreeListColumn::SetCaption(const QString &caption)
{
    m_caption = caption;
    m_treeList->columnChanged(this, false);
}

void TcxTreeListColumn::SetFieldName(const QString &fieldName)
{
    m_fieldName = fieldName;
    m_treeList->columnChanged(this, true);
}

void TcxTreeListColumn::SetWidth(int width)
{
    m_width = qMax(width, m_minWidth);
    m_treeList->columnChanged(this, false);
}

void TcxTreeListColumn::SetMinWidth(int width)
{
    m_minWidth = qMax(0, width);
    if (m_width < m_minWidth)
        m_width = m_minWidth;
    m_treeList->columnChanged(this, false);
}

void TcxTreeListColumn::SetHeaderAlignment(Qt::Alignment alignment)
{
    m_headerAlignment = alignment & Qt::AlignHorizontal_Mask;
    m_treeList->columnChanged(this, false);
}

void TcxTreeListColumn::SetVisible(bool visible)
{
    m_visible = visible;
    m_treeList->columnChanged(this, true);
}
