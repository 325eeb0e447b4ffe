#include "TcxCustomEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QWheelEvent>

#include "LumoError.h"
#include "TcxEditDataBinding.h"
#include "WheelToWindow.h"

std::function<void(const QString &)> TcxCustomEdit::ErrorReporter;

namespace {

// The character a key event types, as the editors' OnKeyPress handlers expect it:
// Enter is '\r', Ctrl+letter the control character (Ctrl+D = 4); a null
// character when the key types nothing.
QChar typedCharacter(const QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return QChar('\r');
    if (key == Qt::Key_Escape)
        return QChar(27);
    if (key == Qt::Key_Backspace)
        return QChar(8);
    if ((event->modifiers() & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
        return QChar(key - Qt::Key_A + 1);
    const QString text = event->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return QChar();
    return text.at(0);
}

// Keys that change a combo box's selection without typing.
bool isComboNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_F4:
    case Qt::Key_Space:
        return true;
    default:
        return false;
    }
}

} // namespace

TcxCustomEdit::TcxCustomEdit(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

TcxCustomEdit::~TcxCustomEdit()
{
    disconnect(m_styleConnection);
}

void TcxCustomEdit::setInnerWidget(QWidget *inner)
{
    m_inner = inner;
    layout()->addWidget(inner);
    setFocusProxy(inner);
    setFocusPolicy(inner->focusPolicy());
    setSizePolicy(inner->sizePolicy());
    watchWidget(inner);
    // The wheel over an editor that is not being edited scrolls the window
    // around it. Installed last, so it sees the wheel first.
    (new WheelToWindow(this))->watch(inner);
    applyStyle();
}

void TcxCustomEdit::watchWidget(QWidget *widget)
{
    widget->installEventFilter(this);
}

void TcxCustomEdit::SetStyleController(TcxEditStyleController *controller)
{
    if (m_styleController == controller)
        return;
    disconnect(m_styleConnection);
    m_styleController = controller;
    if (controller)
        m_styleConnection = connect(controller, &TcxEditStyleController::changed, this, &TcxCustomEdit::applyStyle);
    applyStyle();
}

void TcxCustomEdit::SetStyleColor(const QColor &color)
{
    m_ownColor = color;
    applyStyle();
}

void TcxCustomEdit::SetStyleTextColor(const QColor &color)
{
    m_ownTextColor = color;
    applyStyle();
}

void TcxCustomEdit::applyStyle()
{
    if (!m_inner)
        return;
    const QString cls = styleClass();
    QString sheet;
    if (m_styleController)
        sheet += m_styleController->styleSheetFor(cls);
    // Colours set on the editor itself win over the controller's plain look;
    // the controller's focused look still applies while focused.
    QString own;
    if (m_ownColor.isValid())
        own += QStringLiteral("background-color: %1;").arg(m_ownColor.name());
    if (m_ownTextColor.isValid())
        own += QStringLiteral("color: %1;").arg(m_ownTextColor.name());
    if (!own.isEmpty())
        sheet += QStringLiteral("%1 { %2 }\n").arg(cls, own);
    m_inner->setStyleSheet(sheet);
}

void TcxCustomEdit::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    applyReadOnly(readOnly);
}

void TcxCustomEdit::PostEditValue()
{
    if (!m_binding)
        return;
    m_binding->post(EditValue());
    m_modified = false;
}

void TcxCustomEdit::reportError(const QString &text)
{
    if (ErrorReporter) {
        ErrorReporter(text);
        return;
    }
    QMessageBox::warning(QApplication::activeWindow(), QStringLiteral("提示"), text);
}

void TcxCustomEdit::valueChanged()
{
    if (OnChange)
        OnChange(this);
    emit editValueChanged();
}

void TcxCustomEdit::userChangedValue()
{
    m_modified = true;
    valueChanged();
}

void TcxCustomEdit::keepFocus()
{
    m_refocusing = true;
    m_entered = true;
    setFocus(Qt::OtherFocusReason);
    m_refocusing = false;
}

void TcxCustomEdit::handleEnter()
{
    if (m_entered)
        return;
    m_entered = true;
    if (OnEnter)
        OnEnter(this);
}

void TcxCustomEdit::handleExit()
{
    if (!m_entered || m_inExit)
        return;
    m_entered = false;
    m_inExit = true;
    struct Reset {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_inExit};

    // A control that only leaves (取消) is no reason to judge the value: the
    // check would keep the focus here and the click from ever arriving.
    if (!leavingWithoutValidation() && !validateOnExit()) {
        keepFocus();
        return;
    }
    if (m_binding && m_modified) {
        try {
            PostEditValue();
        } catch (const data::LumoError &error) {
            reportError(error.message());
            keepFocus();
            return;
        }
    }
    m_modified = false;
    if (OnExit)
        OnExit(this);
}

bool TcxCustomEdit::leavingWithoutValidation()
{
    QWidget *next = QApplication::focusWidget();
    return next && next->property(SkipsValidationProperty).toBool();
}

bool TcxCustomEdit::handleKeyPress(QObject *watched, QEvent *event)
{
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    if (m_resending)
        return false;

    if (OnKeyDown) {
        int key = keyEvent->key();
        const int original = key;
        OnKeyDown(this, key, keyEvent->modifiers());
        if (key == 0)
            return true;
        if (key != original) {
            QKeyEvent replaced(QEvent::KeyPress, key, keyEvent->modifiers());
            m_resending = true;
            QCoreApplication::sendEvent(watched, &replaced);
            m_resending = false;
            return true;
        }
    }

    if (m_readOnly && qobject_cast<QComboBox *>(watched) && isComboNavigationKey(keyEvent->key()))
        return true;

    QChar ch = typedCharacter(keyEvent);
    if (OnKeyPress && !ch.isNull()) {
        const QChar original = ch;
        OnKeyPress(this, ch);
        if (ch.isNull())
            return true;
        if (ch != original) {
            const int key = ch == QChar('\r') ? int(Qt::Key_Return) : int(Qt::Key_unknown);
            QKeyEvent replaced(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
            m_resending = true;
            QCoreApplication::sendEvent(watched, &replaced);
            m_resending = false;
            return true;
        }
    }
    return false;
}

bool TcxCustomEdit::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::FocusIn: {
        if (m_refocusing) {
            m_entered = true;
            break;
        }
        handleEnter();
        break;
    }
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        // A drop-down, a menu or another window taking over is not leaving
        // the editor: the form's active control stays this editor.
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
            break;
        QWidget *now = QApplication::focusWidget();
        if (now && (now == this || isAncestorOf(now)))
            break;
        handleExit();
        break;
    }
    case QEvent::KeyPress:
        if (handleKeyPress(watched, event))
            return true;
        break;
    case QEvent::Wheel:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (m_readOnly && qobject_cast<QComboBox *>(watched))
            return true;
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
