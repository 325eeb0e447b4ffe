#pragma once

#include <QColor>
#include <QObject>
#include <QString>

#include "ToolkitEvents.h"

// The look shared by the editors that point at it: background (Style.Color),
// text colour, and the focused look (StyleFocused: border colour, thick border,
// background). Editors restyle themselves whenever a controller they use
// changes, and when they are switched to another controller.
class TcxEditStyleController : public QObject
{
    Q_OBJECT

public:
    explicit TcxEditStyleController(QObject *parent = nullptr);

    // Style.Color: background of an unfocused editor; invalid = window colour.
    QColor Color() const { return m_color; }
    void SetColor(const QColor &color);

    // Style.TextColor; invalid = window text colour.
    QColor TextColor() const { return m_textColor; }
    void SetTextColor(const QColor &color);

    // StyleFocused.BorderColor; invalid = the platform's focus frame.
    QColor BorderColor() const { return m_borderColor; }
    void SetBorderColor(const QColor &color);

    // StyleFocused.BorderStyle = ebsThick.
    bool ThickBorder() const { return m_thickBorder; }
    void SetThickBorder(bool thick);

    // StyleFocused.Color: background while focused; invalid = Color().
    QColor FocusedColor() const { return m_focusedColor; }
    void SetFocusedColor(const QColor &color);

    // Style.LookAndFeel.Kind of the focused border (lfOffice11 for the
    // read-only look); only recorded, the border colour decides the painting.
    TcxLookAndFeelKind LookAndFeelKind() const { return m_kind; }
    void SetLookAndFeelKind(TcxLookAndFeelKind kind);

    // Style sheet for an inner widget of the given Qt class name
    // ("QLineEdit", "QDateEdit", "QComboBox").
    QString styleSheetFor(const QString &qtClass) const;

signals:
    void changed();

private:
    QColor m_color;
    QColor m_textColor;
    QColor m_borderColor;
    QColor m_focusedColor;
    bool m_thickBorder = false;
    TcxLookAndFeelKind m_kind = lfStandard;
};
