#include "UserSearch.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

#include <vector>

#include "ClientDataSet.h"
#include "SearchBoxKeys.h"
#include "WaitCursor.h"
#include "TcxGridDBTableView.h"
#include "UserDirectory.h"
#include "UserMatch.h"
#include "UserSearchResults.h"
#include "UBaseFrm.h"

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
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    auto *row = new QHBoxLayout;
    auto *label = new QLabel(QStringLiteral("查找(&F):"), this);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("EdtUserSearch"));
    m_edit->setPlaceholderText(QStringLiteral("用户代码、姓名、拼音码、五笔码、单位代码或名称 (Ctrl+F)"));
    m_edit->setClearButtonEnabled(true);
    label->setBuddy(m_edit);
    m_scope = new QComboBox(this);
    m_scope->setObjectName(QStringLiteral("CbbSearchScope"));
    m_scope->addItems({QStringLiteral("当前区划"), QStringLiteral("全部下级区划")});
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lblSearchCount"));
    row->addWidget(label);
    row->addWidget(m_edit, 1);
    row->addWidget(m_scope);
    row->addWidget(m_count);
    layout->addLayout(row);

    m_model = new UserSearchResults(*m_directory, this);
    m_results = new QTableView(this);
    m_results->setObjectName(QStringLiteral("GrdSearchResults"));
    m_results->setModel(m_model);
    m_results->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_results->setSelectionMode(QAbstractItemView::SingleSelection);
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_results->setWordWrap(false);
    m_results->verticalHeader()->hide();
    m_results->horizontalHeader()->setStretchLastSection(true);
    m_results->setFixedHeight(170);
    m_results->hide();
    layout->addWidget(m_results);

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

void UserSearch::usersChanged()
{
    m_directory->clear();
    if (scope() == EveryArea && !m_edit->text().trimmed().isEmpty())
        search();
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
    if (!m_directory->loaded()) {
        const WaitCursor waiting;
        m_directory->load(m_startArea());
    }
    m_directory->search(typed);
    m_model->reload();
    m_results->show();
    m_count->setText(countText(qint64(m_directory->matches().size()), m_directory->userCount()));
}

void UserSearch::resultChosen(int row)
{
    const int index = m_model->userAt(row);
    if (index < 0)
        return;
    const UserDirectory::User &user = m_directory->user(index);
    m_showUser(m_directory->unit(user.unit).areaCode, user.code);
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
