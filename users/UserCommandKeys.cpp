#include "UserCommandKeys.h"

#include <QShortcut>
#include <QWidget>

#include "TdxBarManager.h"

UserCommandKeys::UserCommandKeys(QWidget *window, Commands commands) : QObject(window), m_commands(std::move(commands))
{
    bind(window, QKeySequence(Qt::Key_Insert), m_commands.add, true);
    bind(window, QKeySequence(Qt::Key_F2), m_commands.edit, true);
    bind(m_commands.grid, QKeySequence(Qt::Key_Return), m_commands.edit, false);
    bind(m_commands.grid, QKeySequence(Qt::Key_Enter), m_commands.edit, false);
    bind(m_commands.grid, QKeySequence(QKeySequence::Delete), m_commands.del, false);
    bind(window, QKeySequence(QKeySequence::Refresh), nullptr, true);

    m_commands.add->SetHint(m_commands.add->Caption() + QStringLiteral(" (Insert)"));
    m_commands.edit->SetHint(m_commands.edit->Caption() + QStringLiteral(" (Enter, F2)"));
    m_commands.del->SetHint(m_commands.del->Caption() + QStringLiteral(" (Delete)"));
}

void UserCommandKeys::bind(QWidget *on, const QKeySequence &keys, TdxBarLargeButton *button, bool wholeWindow)
{
    auto *shortcut = new QShortcut(keys, on);
    shortcut->setContext(wholeWindow ? Qt::WidgetWithChildrenShortcut : Qt::WidgetShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, button] {
        if (m_commands.busy())
            return;
        if (!button) {
            m_commands.reload();
            return;
        }
        // As a click would: only a button this login sees and may press now.
        if (button->Visible() == TdxBarItemVisible::ivAlways && button->Enabled())
            button->Click();
    });
}
