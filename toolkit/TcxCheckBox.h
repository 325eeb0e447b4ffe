#pragma once

#include <QCheckBox>
#include <QVariant>

#include "ToolkitEvents.h"

// A check box editor. Its edit value is true/false, or null (shown unticked)
// until it is set or clicked. Raises the editors' key and focus events.
class TcxCheckBox : public QCheckBox
{
    Q_OBJECT

public:
    explicit TcxCheckBox(QWidget *parent = nullptr);
    explicit TcxCheckBox(const QString &caption, QWidget *parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString &caption) { setText(caption); }

    bool Checked() const { return isChecked(); }
    void SetChecked(bool checked);

    QVariant EditValue() const;
    void SetEditValue(const QVariant &value);  // null shows unticked

    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }
    QString Hint() const { return m_hint; }
    void SetHint(const QString &hint) { m_hint = hint; }

    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool transparent) { m_transparent = transparent; }

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnChange;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool m_null = true;
    bool m_transparent = false;
    int m_tag = 0;
    QString m_hint;
};
