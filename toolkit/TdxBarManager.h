#pragma once

#include <QAction>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QToolBar>

#include <functional>

class TdxBar;
class TdxBarManager;

// Visibility of a bar item, set by the rights check: never shown, or always.
enum class TdxBarItemVisible { ivNever, ivAlways };

// A command on a tool bar. Its Visible, Enabled, Tag and OnClick are what the
// windows' rights and button states work with; the picture comes from the bar
// manager's large image list by index.
class TdxBarButton : public QObject
{
    Q_OBJECT

public:
    explicit TdxBarButton(TdxBarManager *manager);

    QString Caption() const { return m_action->text(); }
    void SetCaption(const QString &caption);
    QString Hint() const { return m_hint; }
    void SetHint(const QString &hint);
    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }
    TdxBarItemVisible Visible() const { return m_visible; }
    void SetVisible(TdxBarItemVisible visible);
    bool Enabled() const { return m_action->isEnabled(); }
    void SetEnabled(bool enabled) { m_action->setEnabled(enabled); }
    bool BeginGroup() const { return m_beginGroup; }
    void SetBeginGroup(bool beginGroup) { m_beginGroup = beginGroup; }

    // Runs OnClick as a click of the button would.
    void Click();

    QAction *action() const { return m_action; }
    // The separator in front of the item when it starts a group; it shows and
    // hides with the item, so hidden commands leave no empty groups behind.
    void setGroupSeparator(QAction *separator);
    TdxBarManager *manager() const { return m_manager; }

    std::function<void(QObject *sender)> OnClick;

protected:
    virtual void updateIcon() {}

private:
    TdxBarManager *m_manager;
    QAction *m_action;
    QAction *m_separator = nullptr;
    QString m_hint;
    int m_tag = 0;
    bool m_beginGroup = false;
    TdxBarItemVisible m_visible = TdxBarItemVisible::ivAlways;
    friend class TdxBarManager;
};

// A button with a large picture above its caption.
class TdxBarLargeButton : public TdxBarButton
{
    Q_OBJECT

public:
    explicit TdxBarLargeButton(TdxBarManager *manager);

    int LargeImageIndex() const { return m_largeImageIndex; }
    void SetLargeImageIndex(int index);

protected:
    void updateIcon() override;

private:
    int m_largeImageIndex = -1;
};

// One tool bar of the bar manager, docked at the top of the window.
class TdxBar : public QToolBar
{
    Q_OBJECT

public:
    TdxBar(TdxBarManager *manager, QWidget *parent);

    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString &caption) { setWindowTitle(caption); }
    bool Visible() const { return !isHidden(); }
    void SetVisible(bool visible) { setVisible(visible); }

    // Places the item's button on the bar, after a separator when it starts a group.
    void AddItem(TdxBarButton *item);
    QList<TdxBarButton *> Items() const { return m_items; }

private:
    QList<TdxBarButton *> m_items;
};

// Holds the bars of a window and the image list their large buttons draw from.
class TdxBarManager : public QObject
{
    Q_OBJECT

public:
    explicit TdxBarManager(QWidget *owner);

    TdxBar *AddBar(const QString &name, QWidget *parent);
    QList<TdxBar *> Bars() const { return m_bars; }

    QList<QIcon> LargeImages() const { return m_largeImages; }
    void SetLargeImages(const QList<QIcon> &images);

private:
    QList<TdxBar *> m_bars;
    QList<QIcon> m_largeImages;
    QList<QPointer<TdxBarButton>> m_buttons;
    friend class TdxBarButton;
};
