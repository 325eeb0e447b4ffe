#include "TableColumnFit.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

TableColumnFit::TableColumnFit(QTableView *table, QVector<int> designedWidths)
    : QObject(table), m_table(table), m_viewport(nullptr), m_designed(std::move(designedWidths))
{
    // Stretching is done here: Qt's own stretch of the last section would
    // narrow it below its text. Switching it off leaves the sections after a
    // hidden one placed as if it had its width; hiding it again mends that.
    QHeaderView *header = m_table->horizontalHeader();
    if (header->stretchLastSection()) {
        header->setStretchLastSection(false);
        for (int section = 0; section < header->count(); ++section) {
            if (header->isSectionHidden(section)) {
                header->showSection(section);
                header->hideSection(section);
            }
        }
    }
    m_viewport = m_table->viewport();
    m_viewport->installEventFilter(this);
    refit();
}

void TableColumnFit::refit()
{
    QHeaderView *header = m_table->horizontalHeader();
    const int count = header->count();
    int last = -1;
    for (int section = 0; section < count; ++section) {
        if (header->isSectionHidden(section))
            continue;
        const int needed = std::max({static_cast<QAbstractItemView *>(m_table)->sizeHintForColumn(section), header->sectionSizeHint(section),
                                     m_designed.value(section)});
        header->resizeSection(section, needed);
        if (last < 0 || header->visualIndex(section) > header->visualIndex(last))
            last = section;
    }
    m_lastNeeded = last >= 0 ? header->sectionSize(last) : 0;
    stretchLast();
}

void TableColumnFit::stretchLast()
{
    QHeaderView *header = m_table->horizontalHeader();
    int last = -1, others = 0;
    for (int section = 0; section < header->count(); ++section) {
        if (header->isSectionHidden(section))
            continue;
        if (last < 0 || header->visualIndex(section) > header->visualIndex(last)) {
            if (last >= 0)
                others += header->sectionSize(last);
            last = section;
        } else {
            others += header->sectionSize(section);
        }
    }
    if (last >= 0)
        header->resizeSection(last, std::max(m_lastNeeded, m_table->viewport()->width() - others));
}

bool TableColumnFit::eventFilter(QObject *watched, QEvent *event)
{
    // The viewport's events also come while the view is being destroyed, when
    // it is no scroll area any more: only a resize reaches the view.
    if (event->type() == QEvent::Resize && watched == m_viewport)
        stretchLast();
    return QObject::eventFilter(watched, event);
}
