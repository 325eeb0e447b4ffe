#pragma once

#include <QColor>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <functional>

#include "TcxEditStyleController.h"
#include "ToolkitEvents.h"

namespace data {
class Field;
}
class TcxEditStyleController;
class TcxEditDataBinding;

// Base of every editor: a thin frame around one real Qt input widget (the
// inner widget) that takes the focus for it (focus proxy). The frame sees the
// inner widget's focus and key events first and raises the toolkit's events
// from them: OnEnter/OnExit on gaining and losing the focus, OnKeyDown and
// OnKeyPress before the inner widget handles the key.
//
// EditValue is the editor's value: a null QVariant means "no value". A
// data-bound editor (one with a data binding) shows its field and writes the
// edit value back on PostEditValue and when it is left.
class TcxCustomEdit : public QWidget
{
    Q_OBJECT

public:
    explicit TcxCustomEdit(QWidget *parent = nullptr);
    ~TcxCustomEdit() override;

    // The field's display name, used in messages; never shown as a tooltip.
    QString Hint() const { return m_hint; }
    void SetHint(const QString &hint) { m_hint = hint; }

    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }

    // Style.StyleController; nullptr = the editor's own look.
    TcxEditStyleController *StyleController() const { return m_styleController; }
    void SetStyleController(TcxEditStyleController *controller);

    // The editor's own Style.Color / Style.TextColor, used when no controller
    // is set (invalid = default).
    QColor StyleColor() const { return m_ownColor; }
    void SetStyleColor(const QColor &color);
    QColor StyleTextColor() const { return m_ownTextColor; }
    void SetStyleTextColor(const QColor &color);

    virtual QVariant EditValue() const = 0;
    virtual void SetEditValue(const QVariant &value) = 0;

    // Data-bound: writes the edit value to the bound field, putting the dataset
    // into Edit state first when it is browsing. Raises data::LumoError when the
    // field refuses the value. Unbound: does nothing.
    void PostEditValue();

    // True while the user has changed the value since it was last shown or posted.
    bool ModifiedAfterEnter() const { return m_modified; }

    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);

    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool enabled) { setEnabled(enabled); }
    bool Visible() const { return isVisible(); }
    void SetVisible(bool visible) { setVisible(visible); }
    bool Focused() const { return hasFocus(); }
    void SetFocus() { setFocus(Qt::OtherFocusReason); }

    QWidget *innerWidget() const { return m_inner; }
    TcxEditDataBinding *dataBinding() const { return m_binding; }

    // Where the toolkit reports a validation or conversion failure when the
    // user leaves an editor (the module routes it to its own messages).
    // Unset: a warning message box.
    static std::function<void(const QString &)> ErrorReporter;
    static void reportError(const QString &text);
    // A control with this property set to true (a cancel button) takes the
    // focus from an editor without the editor's value being judged.
    static constexpr const char *SkipsValidationProperty = "SkipsValidation";

    // Events (see ToolkitEvents.h).
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnChange;       // Properties.OnChange: every change of the text
    TValidateEvent OnValidate;   // Properties.OnValidate

signals:
    void editValueChanged();

protected:
    // Installs the inner widget (owned, fills the editor, takes the focus).
    void setInnerWidget(QWidget *inner);
    // Extra widgets whose focus and key events count as the editor's own
    // (e.g. the line edit inside a combo box).
    void watchWidget(QWidget *widget);
    void setDataBinding(TcxEditDataBinding *binding) { m_binding = binding; }

    // Called when the value shown changed; fires OnChange and editValueChanged.
    void valueChanged();
    // The user typed or picked: marks the editor modified, then valueChanged().
    void userChangedValue();
    void setModified(bool modified) { m_modified = modified; }

    // Validation on leaving (mask editors); true = the editor may be left.
    virtual bool validateOnExit() { return true; }
    // Read-only handling of the inner widget.
    virtual void applyReadOnly(bool readOnly) = 0;
    // Qt class name used by the style sheet ("QLineEdit", ...).
    virtual QString styleClass() const = 0;
    // Refreshes the look from the controller or the own colours.
    void applyStyle();
    // Takes the focus back after a failed exit without raising OnEnter again.
    void keepFocus();

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void handleEnter();
    void handleExit();
    static bool leavingWithoutValidation();
    bool handleKeyPress(QObject *watched, QEvent *event);

    QWidget *m_inner = nullptr;
    TcxEditDataBinding *m_binding = nullptr;
    QPointer<TcxEditStyleController> m_styleController;
    QMetaObject::Connection m_styleConnection;
    QString m_hint;
    int m_tag = 0;
    QColor m_ownColor;
    QColor m_ownTextColor;
    bool m_readOnly = false;
    bool m_modified = false;
    bool m_entered = false;
    bool m_inExit = false;
    bool m_resending = false;
    bool m_refocusing = false;

    friend class TcxEditDataBinding;
};
