#include "AreaSearch.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>

#include <exception>

#include "ClientDataSet.h"
#include "HostCall.h"
#include "SearchBoxKeys.h"
#include "UBaseFrm.h"
#include "WaitCursor.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"

namespace {

// The display text of an area is "[code] name".
QString nameOf(const QString &display)
{
    const int end = display.indexOf(QStringLiteral("] "));
    return end >= 0 && display.startsWith(QLatin1Char('[')) ? display.mid(end + 2) : display;
}

bool hasLatinLetter(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80 && c.isLetter())
            return true;
    }
    return false;
}

} // namespace

AreaSearch::AreaSearch(data::ClientDataSet *areas, ShowArea showArea, QWidget *parent)
    : QWidget(parent), m_areas(areas), m_showArea(std::move(showArea))
{
    setObjectName(QStringLiteral("AreaSearch"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 2);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("EdtAreaSearch"));
    m_edit->setPlaceholderText(QStringLiteral("查找区划: 代码、名称或拼音首字母 (F3 下一个)"));
    m_edit->setClearButtonEnabled(true);
    layout->addWidget(m_edit);
    connect(m_edit, &QLineEdit::textEdited, this, [this] {
        m_found = -1;
        findGuarded(0);
    });
    m_edit->installEventFilter(this);
}

void AreaSearch::findNext()
{
    findGuarded(m_found + 1);
}

void AreaSearch::findGuarded(int from)
{
    guardRepeatedEvent(QStringLiteral("查找区划失败!"), m_failing, [this, from] { findFrom(from); });
}

bool AreaSearch::findFrom(int from)
{
    const QString folded = m_edit->text().trimmed().toCaseFolded();
    if (folded.isEmpty() || !m_areas->Active())
        return false;
    // Without the initials the codes and names are still searched; the
    // failure is told once the search is done.
    std::exception_ptr initialsFailure;
    if (hasLatinLetter(folded)) {
        try {
            readInitials();
        } catch (...) {
            initialsFailure = std::current_exception();
        }
    }
    bool found = false;
    const int rows = m_areas->RecordCount();
    for (int step = 0; step < rows && !found; ++step) {
        const int row = (from + step) % rows;
        if (matches(row, folded)) {
            m_found = row;
            found = true;
            m_showArea(m_areas->valueAt(row, m_areas->FieldByName(QStringLiteral("StaAreaCode"))->Index()).toString());
        }
    }
    if (initialsFailure)
        std::rethrow_exception(initialsFailure);
    return found;
}

bool AreaSearch::showExactCode()
{
    const QString typed = m_edit->text().trimmed();
    if (typed.isEmpty() || !m_areas->Active())
        return false;
    const int column = m_areas->FieldByName(QStringLiteral("StaAreaCode"))->Index();
    for (int row = 0; row < m_areas->RecordCount(); ++row) {
        const QString code = m_areas->valueAt(row, column).toString();
        if (code.compare(typed, Qt::CaseInsensitive) == 0) {
            m_found = row;
            m_showArea(code);
            return true;
        }
    }
    return false;
}

bool AreaSearch::matches(int row, const QString &folded)
{
    const QString code = m_areas->valueAt(row, m_areas->FieldByName(QStringLiteral("StaAreaCode"))->Index()).toString();
    if (code.startsWith(folded, Qt::CaseInsensitive))
        return true;
    const QString name = nameOf(m_areas->valueAt(row, m_areas->FieldByName(QStringLiteral("AreaName"))->Index()).toString());
    if (name.contains(folded, Qt::CaseInsensitive))
        return true;
    return m_initialsVersion == m_areas->contentVersion() && row < m_initials.size()
        && m_initials.at(row).startsWith(folded, Qt::CaseInsensitive);
}

void AreaSearch::readInitials()
{
    if (m_initialsVersion == m_areas->contentVersion())
        return;
    // The host's pinyin codes, asked once per area list.
    const WaitCursor waiting;
    m_initials.clear();
    const int rows = m_areas->RecordCount();
    const int nameColumn = m_areas->FieldByName(QStringLiteral("AreaName"))->Index();
    QObject *dispatch = UGlobalValue::Session().HostDispatch;
    // Asked once per list even when the host cannot answer: a host without
    // the codes is not asked again at every keystroke, and the names and
    // codes are still found.
    m_initialsVersion = m_areas->contentVersion();
    for (int row = 0; row < rows; ++row)
        m_initials << hostCall(dispatch, "GetPYM", {nameOf(m_areas->valueAt(row, nameColumn).toString())}).toString();
}

bool AreaSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && emptiesOnEscape(m_edit, event, true))
        return true;
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // On an area's whole code Enter keeps that area; else it goes on.
            guardRepeatedEvent(QStringLiteral("查找区划失败!"), m_failing, [this] {
                if (!showExactCode())
                    findFrom(m_found + 1);
            });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
