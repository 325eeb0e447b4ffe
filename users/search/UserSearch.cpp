#include "UserSearch.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTableView>
#include <QTimer>

#include <vector>

#include "ClientDataSet.h"
#include "SearchBoxKeys.h"
#include "TcxGridDBTableView.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"
#include "UserDirectory.h"
#include "UserMatch.h"
#include "UserSearchResults.h"
#include "UBaseFrm.h"
#include "WheelToWindow.h"

// The grid's narrowing: the typed text against the columns of each stored
// row, the column numbers found again whenever the rows were reloaded. Text
// that extends the previous search over the same rows looks only at the rows
// the previous search kept.
struct AreaFilterState
{
    quint64 version = ~quint64(0);
    int columns[6] = {-1, -1, -1, -1, -1, -1};
    QString typed;
    std::vector<char> kept;  // per stored row, for `typed`
};

namespace {

class AreaFilter
{
public:
    AreaFilter(data::ClientDataSet *users, std::shared_ptr<AreaFilterState> state, const QString &typed)
        : m_users(users), m_state(std::move(state)), m_typed(typed.toCaseFolded())
    {
        AreaFilterState &s = *m_state;
        m_narrowing = s.version == users->contentVersion() && !s.typed.isEmpty() && m_typed.startsWith(s.typed);
        if (s.version != users->contentVersion()) {
            s.version = users->contentVersion();
            const char *names[] = {"UserCode", "UserName", "Spell", "FiveStrokes", "OrgCode", "OrgName"};
            for (int i = 0; i < 6; ++i) {
                data::Field *field = users->FindField(QLatin1String(names[i]));
                s.columns[i] = field ? field->Index() : -1;
            }
        }
        if (!m_narrowing)
            s.kept.assign(users->StoredRowCount() + 1, 1);
        s.typed = m_typed;
    }

    bool operator()(int row)
    {
        AreaFilterState &s = *m_state;
        if (row >= int(s.kept.size()))
            return false;
        if (m_narrowing && !s.kept[row])
            return false;
        QStringView text[6];
        for (int i = 0; i < 6; ++i) {
            if (s.columns[i] < 0)
                continue;
            // Text is read in place: no copy per row and keystroke.
            text[i] = m_users->storedText(row, s.columns[i]);
        }
        const bool found = userMatches(m_typed, text[0], text[1], text[2], text[3]) || unitMatches(m_typed, text[4], text[5]);
        s.kept[row] = found;
        return found;
    }

private:
    data::ClientDataSet *m_users;
    std::shared_ptr<AreaFilterState> m_state;
    QString m_typed;
    bool m_narrowing = false;
};

QString countText(qint64 shown, qint64 total)
{
    return QStringLiteral("记录数: %1 / %2").arg(shown).arg(total);
}

} // namespace

UserSearch::UserSearch(data::ClientDataSet *users, TcxGridDBTableView *grid, TcxGridDBColumn *countColumn,
                       ShowUser showUser, StartArea startArea, QWidget *parent)
    : QWidget(parent)
    , m_users(users)
    , m_grid(grid)
    , m_countColumn(countColumn)
    , m_showUser(std::move(showUser))
    , m_startArea(std::move(startArea))
    , m_directory(std::make_unique<UserDirectory>())
    , m_areaFilter(std::make_shared<AreaFilterState>())
{
    setObjectName(QStringLiteral("UserSearch"));
    // The row keeps its height in both scopes: the results have a place of
    // their own below it.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    auto *label = new QLabel(QStringLiteral("查找(&F):"), this);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("EdtUserSearch"));
    m_edit->setPlaceholderText(QStringLiteral("用户代码、姓名、拼音码、五笔码、单位代码或名称 (Ctrl+F)"));
    m_edit->setClearButtonEnabled(true);
    label->setBuddy(m_edit);
    m_scope = new QComboBox(this);
    m_scope->setObjectName(QStringLiteral("CbbSearchScope"));
    m_scope->addItems({QStringLiteral("当前区划"), QStringLiteral("全部下级区划")});
    // A wheel passing over the scope must not change what is searched.
    (new WheelToWindow(m_scope))->watch(m_scope);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lblSearchCount"));
    row->addWidget(label);
    row->addWidget(m_edit, 1);
    row->addWidget(m_scope);
    row->addWidget(m_count);

    m_model = new UserSearchResults(*m_directory, this);
    m_results = new QTableView(this);
    m_results->setObjectName(QStringLiteral("GrdSearchResults"));
    m_results->setModel(m_model);
    m_results->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_results->setSelectionMode(QAbstractItemView::SingleSelection);
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_results->setWordWrap(false);
    m_results->verticalHeader()->hide();
    // Rows as high as the grid's, and all alike: nothing is measured per row.
    m_results->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_results->verticalHeader()->setDefaultSectionSize(m_results->fontMetrics().height() + 6);
    m_results->horizontalHeader()->setStretchLastSection(true);
    m_results->hide();

    m_readTimer = new QTimer(this);
    m_readTimer->setSingleShot(true);
    m_readTimer->setInterval(0);
    connect(m_readTimer, &QTimer::timeout, this, &UserSearch::readSlice);
    for (QWidget *w = parentWidget(); w && !m_form; w = w->parentWidget())
        m_form = qobject_cast<TBaseForm *>(w);
    if (m_form) {
        connect(m_form, &TBaseForm::BusyChanged, this, [this](bool busy) {
            if (!busy && m_reading)
                m_readTimer->start();
        });
    }

    connect(m_edit, &QLineEdit::textChanged, this, &UserSearch::searchGuarded);
    connect(m_scope, &QComboBox::currentIndexChanged, this, &UserSearch::searchGuarded);
    connect(m_results->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { guardEvent([&] { resultChosen(current.row()); }); });
    m_edit->installEventFilter(this);
    m_grid->OnGetFooterText = [this](const TcxGridDBColumn *column, const QString &text) {
        return column == m_countColumn ? footerText(text) : text;
    };
}

UserSearch::~UserSearch()
{
    m_grid->OnGetFooterText = nullptr;
}

UserSearch::Scope UserSearch::scope() const
{
    return m_scope->currentIndex() == EveryArea ? EveryArea : SelectedArea;
}

void UserSearch::focusSearch()
{
    m_edit->setFocus(Qt::ShortcutFocusReason);
    m_edit->selectAll();
}

void UserSearch::startReading()
{
    m_directory->clear();
    m_model->reload();
    m_readFailure = nullptr;
    m_reading = true;
    m_readTimer->start();
}

void UserSearch::usersChanged()
{
    const bool reading = m_reading || m_directory->started();
    m_reading = false;
    m_readTimer->stop();
    m_directory->clear();
    m_model->reload();
    if (reading)
        startReading();
    if (searchingEveryArea())
        searchGuarded();
}

bool UserSearch::everyAreaRead() const
{
    return m_directory->loaded();
}

void UserSearch::tellReadFailure(const std::exception_ptr &failure)
{
    if (m_readFailing)
        return;
    m_readFailing = true;
    ShowFailure(QStringLiteral("查找用户失败!"), failure);
}

bool UserSearch::searchingEveryArea() const
{
    return scope() == EveryArea && !m_edit->text().trimmed().isEmpty();
}

void UserSearch::readSlice()
{
    // The session is the window's: nothing is read while a command of the
    // window runs (a synchronisation's event passes included).
    if (!m_reading || (m_form && m_form->Busy()))
        return;
    try {
        HostSession &session = UGlobalValue::Session();
        if (!m_directory->started())
            m_directory->start(m_startArea(), session.HrCodesIgnoreCase, session.HrCodesIgnoreTrailingBlanks);
        if (m_directory->readSlice(session))
            m_reading = false;
        else
            m_readTimer->start();
    } catch (...) {
        // Reading stops until the next search in every area starts it again.
        // A person searching there is told now, anyone else then; once for a
        // row of failures, until a slice is read again.
        m_reading = false;
        m_readFailure = std::current_exception();
        m_readFailureTold = searchingEveryArea();
        if (m_readFailureTold)
            tellReadFailure(m_readFailure);
        return;
    }
    m_readFailing = false;
    if (searchingEveryArea()) {
        guardEvent([this] {
            const int before = m_model->rowCount();
            m_directory->searchNewUsers();
            m_model->grown();
            fitColumns(before);
            showCount();
        });
    }
}

void UserSearch::searchGuarded()
{
    guardRepeatedEvent(QStringLiteral("查找用户失败!"), m_failing, [this] { search(); });
}

void UserSearch::search()
{
    const QString typed = m_edit->text().trimmed();
    if (scope() == SelectedArea) {
        m_results->hide();
        m_count->clear();
        searchArea(typed);
    } else {
        searchArea(QString());
        searchEveryArea(typed);
    }
}

void UserSearch::searchArea(const QString &typed)
{
    if (typed.isEmpty()) {
        if (m_users->HasRowFilter())
            m_users->SetRowFilter(nullptr);
    } else {
        m_users->SetRowFilter(AreaFilter(m_users, m_areaFilter, typed));
    }
    m_grid->UpdateFooter();
}

void UserSearch::searchEveryArea(const QString &typed)
{
    if (typed.isEmpty()) {
        m_directory->search(QString());
        m_model->reload();
        m_results->hide();
        m_count->clear();
        return;
    }
    if (m_readFailure) {
        // The reading goes on where it stopped.
        const std::exception_ptr failure = m_readFailure;
        m_readFailure = nullptr;
        m_reading = true;
        m_readTimer->start();
        if (!m_readFailureTold)
            tellReadFailure(failure);
    }
    if (!m_reading && !m_directory->started())
        startReading();
    m_directory->search(typed);
    m_model->reload();
    m_results->show();
    fitColumns();
    showCount();
}

void UserSearch::showCount()
{
    const qint64 found = qint64(m_directory->matches().size());
    if (m_directory->loaded())
        m_count->setText(countText(found, m_directory->userCount()));
    else
        m_count->setText(QStringLiteral("记录数: %1 / %2 (正在读取…)").arg(found).arg(m_directory->userCount()));
}

void UserSearch::fitColumns(int fromRow)
{
    // A column is as wide as its longest text: among the texts of the most
    // characters, a few are measured (codes are digits, names Chinese, so
    // their widths go with their lengths). Rows added at the end are looked
    // at alone.
    QHeaderView *header = m_results->horizontalHeader();
    if (fromRow == 0) {
        for (int column = 0; column < kFitted; ++column)
            m_fit[column] = {0, 0, header->sectionSizeHint(column)};
    }
    const QFontMetrics metrics(m_results->font());
    const int margin = 2 * (m_results->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_results) + 1) + 8;
    const int rows = m_model->rowCount();
    for (int column = 0; column < kFitted; ++column) {
        ColumnFit &fit = m_fit[column];
        for (int row = fromRow; row < rows; ++row) {
            const QStringView text = m_model->text(row, column);
            if (text.size() < fit.longest || (text.size() == fit.longest && fit.measured >= 64))
                continue;
            if (text.size() > fit.longest) {
                fit.longest = text.size();
                fit.measured = 0;
            }
            fit.width = qMax(fit.width, metrics.horizontalAdvance(text.toString()) + margin);
            ++fit.measured;
        }
        if (header->sectionSize(column) != fit.width)
            header->resizeSection(column, fit.width);
    }
}

void UserSearch::resultChosen(int row)
{
    const int index = m_model->userAt(row);
    if (index < 0)
        return;
    m_showUser(m_directory->area(m_directory->unitOf(index).area).code, m_directory->code(index).toString());
}

QString UserSearch::footerText(const QString &summary) const
{
    if (!m_users->HasRowFilter() || !m_users->Active())
        return summary;
    return countText(m_users->RecordCount(), m_users->StoredRowCount());
}

bool UserSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && emptiesOnEscape(m_edit, event, false))
        return true;
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) && m_results->isVisible()
            && m_model->rowCount() > 0) {
            const int current = m_results->currentIndex().row();
            const int next = qBound(0, current + (key->key() == Qt::Key_Down ? 1 : -1), m_model->rowCount() - 1);
            m_results->selectRow(current < 0 ? 0 : next);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
