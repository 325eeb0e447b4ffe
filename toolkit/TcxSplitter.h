#pragma once

#include <QPointer>
#include <QWidget>

// A splitter bar between two side-by-side panes that resizes the pane it
// controls (HotZone.Control / Control) by dragging: the controlled pane is on
// the left (or above, for a horizontal bar) and keeps its fixed size, the other
// pane takes the rest. The pane keeps at least its minimum size and leaves the
// splitter room inside the parent.
class TcxSplitter : public QWidget
{
    Q_OBJECT

public:
    explicit TcxSplitter(QWidget *parent = nullptr);

    QWidget *Control() const { return m_control; }
    void SetControl(QWidget *control);

    // The size the splitter gives the controlled pane; also used by dragging.
    void SetControlSize(int size);

    Qt::Orientation orientation() const { return m_orientation; }
    void setOrientation(Qt::Orientation orientation);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPointer<QWidget> m_control;
    Qt::Orientation m_orientation = Qt::Vertical;  // a vertical bar between left and right
    bool m_dragging = false;
    int m_pressPos = 0;
    int m_pressSize = 0;
};
