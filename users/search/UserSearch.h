#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;
class TcxGridDBTableView;
class TcxGridDBColumn;
class UserDirectory;
class UserSearchResults;
struct AreaFilterState;
namespace data {
class ClientDataSet;
}

// The search box above the user grid. In the selected area it narrows the
// grid's own rows as one types; in every area under the login's area it lists
// the users found below the box, and choosing one shows it in its area.
class UserSearch : public QWidget
{
    Q_OBJECT

public:
    enum Scope { SelectedArea = 0, EveryArea = 1 };
    // Shows a found user: selects the area (its health-record code) and the user.
    using ShowUser = std::function<void(const QString &areaCode, const QString &userCode)>;
    // The starting area of the wider scope (the login's own area).
    using StartArea = std::function<QString()>;

    UserSearch(data::ClientDataSet *users, TcxGridDBTableView *grid, TcxGridDBColumn *countColumn, ShowUser showUser,
               StartArea startArea, QWidget *parent = nullptr);
    ~UserSearch() override;

    QLineEdit *edit() const { return m_edit; }
    QComboBox *scopeBox() const { return m_scope; }
    QTableView *results() const { return m_results; }
    QLabel *countLabel() const { return m_count; }
    Scope scope() const;
    // Gives the box the focus with its text selected.
    void focusSearch();
    // The users in the database changed: the wider scope reads them again when next searched.
    void usersChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The handlers of the box, the scope and the results: a failure is shown
    // once, the box stays usable.
    void searchGuarded();
    void search();
    void searchArea(const QString &typed);
    void searchEveryArea(const QString &typed);
    void resultChosen(int row);
    QString footerText(const QString &summary) const;

    data::ClientDataSet *m_users;
    TcxGridDBTableView *m_grid;
    TcxGridDBColumn *m_countColumn;
    ShowUser m_showUser;
    StartArea m_startArea;
    std::unique_ptr<UserDirectory> m_directory;
    std::shared_ptr<AreaFilterState> m_areaFilter;
    UserSearchResults *m_model = nullptr;
    QLineEdit *m_edit = nullptr;
    QComboBox *m_scope = nullptr;
    QLabel *m_count = nullptr;
    QTableView *m_results = nullptr;
    bool m_failing = false;  // the last search failed and said so
};
