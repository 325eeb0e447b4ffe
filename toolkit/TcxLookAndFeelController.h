#pragma once

#include <QObject>

#include "ToolkitEvents.h"

// The form-wide painting family of the toolkit's controls. Only the settings
// are kept; the Qt style paints.
class TcxLookAndFeelController : public QObject
{
    Q_OBJECT

public:
    explicit TcxLookAndFeelController(QObject *parent = nullptr);

    TcxLookAndFeelKind Kind() const { return m_kind; }
    void SetKind(TcxLookAndFeelKind kind) { m_kind = kind; }
    bool NativeStyle() const { return m_nativeStyle; }
    void SetNativeStyle(bool native) { m_nativeStyle = native; }

private:
    TcxLookAndFeelKind m_kind = lfStandard;
    bool m_nativeStyle = false;
};
