#pragma once

#include <QPushButton>

#include "ToolkitEvents.h"

// A push button whose caption carries an "&" accelerator ("确定(&S)").
//
// Before the button's click is handled, an editor that still holds the focus
// with an unposted change writes it to its field: a click by accelerator key
// leaves the focus where it is, and a save started by it must not miss the
// text the user typed last.
class TcxButton : public QPushButton
{
    Q_OBJECT

public:
    explicit TcxButton(QWidget *parent = nullptr);
    explicit TcxButton(const QString &caption, QWidget *parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString &caption) { setText(caption); }
    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }
    QString Hint() const { return m_hint; }
    void SetHint(const QString &hint) { m_hint = hint; }

    // Runs the click as the user's click does.
    void Click() { click(); }

    TNotifyEvent OnClick;

private:
    void flushFocusedEditor();

    int m_tag = 0;
    QString m_hint;
};
