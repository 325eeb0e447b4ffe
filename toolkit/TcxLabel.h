#pragma once

#include <QColor>
#include <QLabel>

// A caption on a form: Caption, text colour (Style.TextColor), transparent
// background, and the font height in pixels as the forms give it.
class TcxLabel : public QLabel
{
    Q_OBJECT

public:
    explicit TcxLabel(QWidget *parent = nullptr);
    explicit TcxLabel(const QString &caption, QWidget *parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString &caption) { setText(caption); }

    QColor TextColor() const { return m_textColor; }
    void SetTextColor(const QColor &color);

    // Font.Height in pixels (the forms state character heights).
    void SetFontPixelHeight(int pixels);

    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool transparent);

private:
    QColor m_textColor;
    bool m_transparent = true;
};
