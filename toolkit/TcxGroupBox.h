#pragma once

#include <QGroupBox>

// A group box, or, as a frameless panel (PanelStyle.Active with no border), a
// plain container that only groups its children.
class TcxGroupBox : public QGroupBox
{
    Q_OBJECT

public:
    explicit TcxGroupBox(QWidget *parent = nullptr);

    QString Caption() const { return title(); }
    void SetCaption(const QString &caption) { setTitle(caption); }

    bool Frameless() const { return m_frameless; }
    void SetFrameless(bool frameless);

    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool transparent);

private:
    void applyLook();

    bool m_frameless = false;
    bool m_transparent = false;
};
