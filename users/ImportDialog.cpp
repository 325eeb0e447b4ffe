#include "ImportDialog.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

#include "ImportFileReader.h"
#include "ImportTemplate.h"
#include "LumoError.h"
#include "TableColumnFit.h"
#include "UBaseFrm.h"
#include "UGlobalFunUnt.h"
#include "WaitCursor.h"

namespace {

enum Column { ColLine, ColUserCode, ColName, ColSpell, ColFiveStrokes, ColOrgCode, ColOrgName, ColGrade, ColContact,
              ColProblemColumn, ColReason, ColumnCount };

const QColor kProblemText(176, 0, 0);

} // namespace

// The preview's lines: a row that will be added, or one problem of a row (a
// row with two problems is two lines; the header's problems have no row).
class ImportPreviewModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    struct Line
    {
        int row = -1;      // index in the plan's rows; -1 for the header
        int problem = -1;  // index in the plan's problems; -1 for a row that will be added
    };

    void setPlan(const ImportPlan *plan)
    {
        beginResetModel();
        m_plan = plan;
        m_lines.clear();
        QHash<int, QVector<int>> problemsOf;
        for (int p = 0; p < plan->problems.size(); ++p)
            problemsOf[plan->problems.at(p).line].append(p);
        for (const int p : problemsOf.value(1))
            m_lines.append({-1, p});
        for (int r = 0; r < plan->rows.size(); ++r) {
            const QVector<int> problems = problemsOf.value(plan->rows.at(r).line);
            if (problems.isEmpty())
                m_lines.append({r, -1});
            for (const int p : problems)
                m_lines.append({r, p});
        }
        endResetModel();
    }
    const Line &line(int at) const { return m_lines.at(at); }

    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : int(m_lines.size()); }
    int columnCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : ColumnCount; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char *const captions[] = {"行号",     "用户代码",     "姓名", "拼音码",   "五笔码", "所属单位代码",
                                               "所属单位名称", "级别", "联系方式", "问题列", "问题"};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
            return QString::fromUtf8(captions[section]);
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || !m_plan)
            return QVariant();
        const Line &l = m_lines.at(index.row());
        if (role == Qt::ForegroundRole)
            return l.problem >= 0 ? QVariant(kProblemText) : QVariant();
        if (role != Qt::DisplayRole)
            return QVariant();
        const ImportProblem *p = l.problem >= 0 ? &m_plan->problems.at(l.problem) : nullptr;
        if (index.column() == ColLine)
            return p ? p->line : m_plan->rows.at(l.row).line;
        if (index.column() == ColProblemColumn)
            return p ? p->column : QString();
        if (index.column() == ColReason)
            return p ? p->reason : QString();
        if (l.row < 0)
            return QString();
        const ImportUser &u = m_plan->rows.at(l.row);
        switch (index.column()) {
        case ColUserCode: return u.userCode;
        case ColName: return u.userName;
        case ColSpell: return u.spell;
        case ColFiveStrokes: return u.fiveStrokes;
        case ColOrgCode: return u.orgCode;
        case ColOrgName: return u.orgName;
        case ColGrade: return u.grade;
        case ColContact: return u.contact;
        }
        return QVariant();
    }

private:
    const ImportPlan *m_plan = nullptr;
    QVector<Line> m_lines;
};

// Keeps the lines of one kind.
class ImportPreviewFilter : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setChoice(int choice)
    {
        m_choice = choice;
        invalidateFilter();
    }
protected:
    bool filterAcceptsRow(int row, const QModelIndex &) const override
    {
        const bool problem = static_cast<const ImportPreviewModel *>(sourceModel())->line(row).problem >= 0;
        return m_choice == ImportDialog::All || (m_choice == ImportDialog::WithProblems) == problem;
    }

private:
    int m_choice = ImportDialog::All;
};

ImportDialog::ImportDialog(HostSession &session, ImportArea area, QWidget *parent)
    : QDialog(parent), m_session(session), m_area(std::move(area)), m_folder(QDir::homePath())
{
    setObjectName(QStringLiteral("ImportDialog"));
    setWindowTitle(QStringLiteral("批量导入用户"));
    resize(1040, 600);
    auto *layout = new QVBoxLayout(this);

    auto *target = new QLabel(QStringLiteral("导入到: %1").arg(m_area.name), this);
    target->setObjectName(QStringLiteral("LblImportArea"));
    layout->addWidget(target);

    auto *fileRow = new QHBoxLayout;
    auto *templateButton = new QPushButton(QStringLiteral("导出模板(&T)..."), this);
    templateButton->setObjectName(QStringLiteral("BtnImportTemplate"));
    auto *choose = new QPushButton(QStringLiteral("选择文件(&O)..."), this);
    choose->setObjectName(QStringLiteral("BtnImportChoose"));
    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("EdtImportFile"));
    m_file->setReadOnly(true);
    m_file->setPlaceholderText(QStringLiteral("XLSX 或 CSV 文件"));
    for (QPushButton *button : {templateButton, choose})
        button->setAutoDefault(false);
    fileRow->addWidget(templateButton);
    fileRow->addWidget(choose);
    fileRow->addWidget(m_file, 1);
    layout->addLayout(fileRow);

    m_unknown = new QLabel(this);
    m_unknown->setObjectName(QStringLiteral("LblImportUnknown"));
    m_unknown->setWordWrap(true);
    m_unknown->setStyleSheet(QStringLiteral("color: #b06000;"));
    m_unknown->hide();
    layout->addWidget(m_unknown);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("LblImportSummary"));
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);

    auto *filterRow = new QHBoxLayout;
    auto *filterLabel = new QLabel(QStringLiteral("显示(&F):"), this);
    m_filter = new QComboBox(this);
    m_filter->setObjectName(QStringLiteral("CmbImportFilter"));
    filterLabel->setBuddy(m_filter);
    m_filter->addItems({QStringLiteral("全部"), QStringLiteral("将导入"), QStringLiteral("有问题")});
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(m_filter);
    filterRow->addStretch(1);
    layout->addLayout(filterRow);

    m_model = new ImportPreviewModel(this);
    m_model->setPlan(&m_plan);
    m_filterModel = new ImportPreviewFilter(this);
    m_filterModel->setSourceModel(m_model);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("TblImportPreview"));
    m_table->setModel(m_filterModel);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    // The file's own row numbers are the first column: numbers of the lines shown beside them would read as rows too.
    m_table->verticalHeader()->hide();
    // Codes and names read whole; the reason over the width left.
    m_fit = new TableColumnFit(m_table, {40, 120, 70, 60, 60, 100, 120, 40, 100, 70});
    layout->addWidget(m_table, 1);
    connect(m_filter, &QComboBox::currentIndexChanged, this, [this](int choice) {
        guardEvent([&] {
            m_filterModel->setChoice(choice);
            m_fit->refit();
        });
    });

    auto *buttons = new QDialogButtonBox(this);
    m_start = buttons->addButton(QStringLiteral("开始导入(&S)"), QDialogButtonBox::AcceptRole);
    m_start->setObjectName(QStringLiteral("BtnImportStart"));
    QPushButton *close = buttons->addButton(QStringLiteral("关闭(&C)"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("BtnImportClose"));
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        // Only a file with rows and no problem is imported, however the button was reached.
        if (m_plan.importable())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(templateButton, &QPushButton::clicked, this, [this] { guardEvent([this] { exportTemplate(); }); });
    connect(choose, &QPushButton::clicked, this, [this] { guardEvent([this] { chooseFile(); }); });
    showPlan();
}

ImportDialog::~ImportDialog() = default;

void ImportDialog::exportTemplate()
{
    QVector<ImportTemplateUnit> units;
    {
        WaitCursor wait;
        for (const ImportUnit &unit : ImportCheck::unitsOf(m_session, m_area.areaCode))
            units.append({unit.code, unit.name});
    }
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("导出导入模板"),
                                                QDir(m_folder).filePath(QStringLiteral("用户导入模板.xlsx")),
                                                QStringLiteral("Excel 工作簿 (*.xlsx)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".xlsx");
    m_folder = QFileInfo(path).absolutePath();
    const QString failure = writeImportTemplate(path, units);
    ShowInfo(failure.isEmpty() ? QStringLiteral("模板已保存到 %1").arg(QDir::toNativeSeparators(path))
                               : QStringLiteral("导出模板失败!原因:") + failure);
}

void ImportDialog::chooseFile()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("选择导入文件"), m_folder,
                                                      QStringLiteral("表格文件 (*.xlsx *.csv);;所有文件 (*)"));
    if (!path.isEmpty())
        readFile(path);
}

void ImportDialog::readFile(const QString &path)
{
    m_folder = QFileInfo(path).absolutePath();
    ImportPlan plan;
    try {
        WaitCursor wait;
        plan = ImportCheck::check(m_session, m_area, readImportFile(path));
    } catch (const ImportFileError &e) {
        // Read into nothing: what is shown stays as it was.
        ShowInfo(e.message());
        return;
    } catch (const data::LumoError &e) {
        ShowInfo(QStringLiteral("检查导入文件失败!原因:") + e.cause());
        return;
    }
    m_plan = std::move(plan);
    m_file->setText(QDir::toNativeSeparators(path));
    m_model->setPlan(&m_plan);
    showPlan();
}

void ImportDialog::showPlan()
{
    m_unknown->setVisible(!m_plan.unknownColumns.isEmpty());
    m_unknown->setText(QStringLiteral("以下列无法识别, 已忽略: ") + m_plan.unknownColumns.join(QStringLiteral(", ")));
    QSet<int> bad;
    for (const ImportProblem &p : m_plan.problems)
        if (p.line > 1)
            bad.insert(p.line);
    const int rows = int(m_plan.rows.size());
    const int badRows = int(bad.size());
    const bool headerBad = m_plan.problemRows() > badRows;
    if (m_file->text().isEmpty())
        m_summary->setText(QStringLiteral("请先导出模板填写, 或选择已填好的文件 (XLSX 或 CSV): 第一行为列名 姓名, 所属单位代码 "
                                          "(或所属单位名称), 联系方式, 级别, 序号 (可不填, 不填时自动分配)。"));
    else if (rows == 0 && !headerBad)
        m_summary->setText(QStringLiteral("文件中没有数据行。"));
    else if (m_plan.importable())
        m_summary->setText(QStringLiteral("共 %1 行, 全部可以导入: 将新增 %1 个用户。").arg(rows));
    else
        m_summary->setText(QStringLiteral("共 %1 行: 无问题 %2 行, 有问题 %3 行 (%4 个问题)。文件有问题时不导入任何用户, "
                                          "请修改文件后重新选择文件。")
                               .arg(rows)
                               .arg(rows - badRows)
                               .arg(badRows + (headerBad ? 1 : 0))
                               .arg(m_plan.problems.size()));
    m_filter->setItemText(ToAdd, QStringLiteral("将导入 (%1)").arg(rows - badRows));
    m_filter->setItemText(WithProblems, QStringLiteral("有问题 (%1)").arg(m_plan.problems.size()));
    m_start->setEnabled(m_plan.importable());
    // A file without problems needs no columns for them.
    m_table->setColumnHidden(ColProblemColumn, m_plan.problems.isEmpty());
    m_table->setColumnHidden(ColReason, m_plan.problems.isEmpty());
    m_fit->refit();
}
