#pragma once

#include <QColor>
#include <QObject>

// A named style of a style repository: background colour (and text colour)
// that views use for rows, e.g. the even and odd content rows of a grid.
class TcxStyle : public QObject
{
    Q_OBJECT

public:
    explicit TcxStyle(QObject *parent = nullptr);

    QColor Color() const { return m_color; }  // invalid = not assigned
    void SetColor(const QColor &color);
    QColor TextColor() const { return m_textColor; }
    void SetTextColor(const QColor &color);

signals:
    void changed();

private:
    QColor m_color;
    QColor m_textColor;
};
