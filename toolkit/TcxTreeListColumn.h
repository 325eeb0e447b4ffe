#pragma once

#include <QObject>
#include <QString>

class TcxDBTreeList;

// A column of a DB tree list bound to a field. Owned by its tree list, named by
// objectName.
class TcxTreeListColumn : public QObject
{
    Q_OBJECT

public:
    // Use TcxDBTreeList::CreateColumn.
    explicit TcxTreeListColumn(TcxDBTreeList *treeList);
    ~TcxTreeListColumn() override;

    TcxDBTreeList *TreeList() const { return m_treeList; }
    int Index() const;

    QString Caption() const { return m_caption; }  // Caption.Text
    void SetCaption(const QString &caption);
    QString FieldName() const { return m_fieldName; }  // DataBinding.FieldName
    void SetFieldName(const QString &fieldName);
    int Width() const { return m_width; }
    void SetWidth(int width);
    int MinWidth() const { return m_minWidth; }
    void SetMinWidth(int width);
    Qt::Alignment HeaderAlignment() const { return m_headerAlignment; }  // Caption.AlignHorz
    void SetHeaderAlignment(Qt::Alignment alignment);
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);

private:
    friend class TcxDBTreeList;

    TcxDBTreeList *m_treeList;
    QString m_caption;
    QString m_fieldName;
    int m_width = 100;
    int m_minWidth = 20;
    Qt::Alignment m_headerAlignment = Qt::AlignLeft;
    bool m_visible = true;
};
