#pragma once

#include <QDialog>

#include "SyncPreview.h"

class QComboBox;
class QSortFilterProxyModel;
class QTableView;

// Shows a SyncPreview: the counts, and the list of changes filtered by kind
// (new users, changed users, or the users changed in one column). Accepted
// when the person chooses to synchronise now.
class SyncPreviewDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SyncPreviewDialog(SyncPreview preview, QWidget *parent = nullptr);

    // Filter choices, in the combo's order: all, new, changed, then one per column.
    enum Filter { All, Added, Changed, FirstColumn };

private:
    SyncPreview m_preview;
    QComboBox *m_filter = nullptr;
    QTableView *m_table = nullptr;
};
