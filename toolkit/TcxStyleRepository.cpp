#include "TcxStyleRepository.h"

#include "TcxStyle.h"

TcxStyleRepository::TcxStyleRepository(QObject *parent)
    : QObject(parent)
{
}

TcxStyle *TcxStyleRepository::CreateStyle(const QString &name)
{
    auto *style = new TcxStyle(this);
    if (!name.isEmpty())
        style->setObjectName(name);
    m_styles << style;
    connect(style, &QObject::destroyed, this, [this, style] { m_styles.removeOne(style); });
    return style;
}
