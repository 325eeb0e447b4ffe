#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

class QLineEdit;
namespace data {
class ClientDataSet;
}

// The box above the area tree: typing finds the first area whose code begins
// with the text, whose name holds it, or whose name's pinyin initials begin
// with it; F3 goes on to the next, and so does Enter unless the text is an
// area's whole code. The found area is shown through ShowArea
// (which selects it in the tree and opens its parents).
class AreaSearch : public QWidget
{
    Q_OBJECT

public:
    using ShowArea = std::function<void(const QString &staAreaCode)>;

    AreaSearch(data::ClientDataSet *areas, ShowArea showArea, QWidget *parent = nullptr);

    QLineEdit *edit() const { return m_edit; }
    // The next area the text finds after the last one found, round to the
    // first. A handler (F3, Enter): a failure is shown, never raised.
    void findNext();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // findFrom(from) with its failure shown once (guardRepeatedEvent).
    void findGuarded(int from);
    // From row `from` on (going round); true when one was found.
    bool findFrom(int from);
    // Shows the area whose code is the text as typed; true when there is one.
    bool showExactCode();
    bool matches(int row, const QString &folded);
    void readInitials();

    data::ClientDataSet *m_areas;
    ShowArea m_showArea;
    QLineEdit *m_edit;
    int m_found = -1;
    // The pinyin initials of the names, per row, made when first needed for
    // the rows of one content version.
    QStringList m_initials;
    quint64 m_initialsVersion = ~quint64(0);
    bool m_failing = false;  // the last search failed and said so
};
