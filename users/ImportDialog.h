#pragma once

#include <QDialog>

#include "ImportCheck.h"

class HostSession;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class TableColumnFit;
class ImportPreviewModel;
class ImportPreviewFilter;

// 批量导入: writes the template of the selected area, reads a file the person
// chooses and shows what it would add and what is wrong with it, row by row,
// filterable. Accepted by 开始导入, which is enabled only while the file read
// last has rows and no problem; the window then runs the import (plan()).
// A file that cannot be read says why and changes nothing shown.
class ImportDialog : public QDialog
{
    Q_OBJECT

public:
    ImportDialog(HostSession &session, ImportArea area, QWidget *parent = nullptr);
    ~ImportDialog() override;

    // Filter choices, in the combo's order.
    enum Filter { All, ToAdd, WithProblems };

    // The plan of the file read last (empty before one is read).
    const ImportPlan &plan() const { return m_plan; }
    // Reads and checks a file as 选择文件… does once one is chosen.
    void readFile(const QString &path);

private:
    void exportTemplate();
    void chooseFile();
    void showPlan();

    HostSession &m_session;
    const ImportArea m_area;
    ImportPlan m_plan;
    QString m_folder;  // where the last file was read or written
    QLineEdit *m_file = nullptr;
    QLabel *m_unknown = nullptr;
    QLabel *m_summary = nullptr;
    QComboBox *m_filter = nullptr;
    QTableView *m_table = nullptr;
    ImportPreviewModel *m_model = nullptr;
    ImportPreviewFilter *m_filterModel = nullptr;
    TableColumnFit *m_fit = nullptr;
    QPushButton *m_start = nullptr;
};
