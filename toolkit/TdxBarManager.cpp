#include "TdxBarManager.h"

#include <QToolButton>

TdxBarButton::TdxBarButton(TdxBarManager *manager)
    : QObject(manager), m_manager(manager), m_action(new QAction(this))
{
    m_manager->m_buttons.append(this);
    connect(m_action, &QAction::triggered, this, [this] {
        if (OnClick)
            OnClick(this);
    });
}

void TdxBarButton::SetCaption(const QString &caption)
{
    m_action->setText(caption);
    m_action->setIconText(caption);
}

void TdxBarButton::SetHint(const QString &hint)
{
    m_hint = hint;
    m_action->setToolTip(hint);
}

void TdxBarButton::SetVisible(TdxBarItemVisible visible)
{
    m_visible = visible;
    m_action->setVisible(visible == TdxBarItemVisible::ivAlways);
    if (m_separator)
        m_separator->setVisible(visible == TdxBarItemVisible::ivAlways);
}

void TdxBarButton::setGroupSeparator(QAction *separator)
{
    m_separator = separator;
    m_separator->setVisible(m_visible == TdxBarItemVisible::ivAlways);
}

void TdxBarButton::Click()
{
    if (m_action->isEnabled() && OnClick)
        OnClick(this);
}

TdxBarLargeButton::TdxBarLargeButton(TdxBarManager *manager) : TdxBarButton(manager) {}

void TdxBarLargeButton::SetLargeImageIndex(int index)
{
    m_largeImageIndex = index;
    updateIcon();
}

void TdxBarLargeButton::updateIcon()
{
    const QList<QIcon> images = manager()->LargeImages();
    action()->setIcon(m_largeImageIndex >= 0 && m_largeImageIndex < images.size()
                          ? images.at(m_largeImageIndex)
                          : QIcon());
}

TdxBar::TdxBar(TdxBarManager *manager, QWidget *parent) : QToolBar(parent)
{
    Q_UNUSED(manager);
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setIconSize(QSize(32, 32));
    setContextMenuPolicy(Qt::PreventContextMenu);
}

void TdxBar::AddItem(TdxBarButton *item)
{
    if (item->BeginGroup() && !m_items.isEmpty())
        item->setGroupSeparator(addSeparator());
    addAction(item->action());
    if (auto *button = qobject_cast<QToolButton *>(widgetForAction(item->action()))) {
        button->setObjectName(item->objectName());
        button->setMinimumWidth(64);
    }
    m_items.append(item);
}

TdxBarManager::TdxBarManager(QWidget *owner) : QObject(owner) {}

TdxBar *TdxBarManager::AddBar(const QString &name, QWidget *parent)
{
    auto *bar = new TdxBar(this, parent);
    bar->setObjectName(name);
    m_bars.append(bar);
    return bar;
}

void TdxBarManager::SetLargeImages(const QList<QIcon> &images)
{
    m_largeImages = images;
    for (const auto &button : std::as_const(m_buttons))
        if (button)
            button->updateIcon();
}
