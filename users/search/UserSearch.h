#pragma once

#include <QString>
#include <QWidget>

#include <QPointer>

#include <exception>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;
class QTimer;
class TBaseForm;
class TcxGridDBTableView;
class TcxGridDBColumn;
class UserDirectory;
class UserSearchResults;
struct AreaFilterState;
namespace data {
class ClientDataSet;
}

// The search row above the user grid. In the selected area it narrows the
// grid's own rows as one types; in every area under the login's area it lists
// the users found in results() (placed by the window), and choosing one shows
// it in its area. The users of every area are read in slices between events
// from startReading() on, so that no keystroke waits for them: until they are
// all read, a search finds among those read so far and its list grows.
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
    // Starts reading the users of every area in the background.
    void startReading();
    // The users in the database changed: they are read again from the start.
    void usersChanged();
    // Whether the users of every area are all read.
    bool everyAreaRead() const;

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
    // One slice of the users of every area; the search in every area takes in
    // the users it read.
    void readSlice();
    bool searchingEveryArea() const;
    void tellReadFailure(const std::exception_ptr &failure);
    void showCount();
    // The result columns as wide as the texts listed (all but the last, which
    // fills the rest), looking at the rows from fromRow on.
    void fitColumns(int fromRow = 0);

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
    struct ColumnFit
    {
        qsizetype longest;  // characters
        int measured;       // texts of that length measured
        int width;
    };
    static constexpr int kFitted = 4;
    ColumnFit m_fit[kFitted] = {};
    QTimer *m_readTimer = nullptr;
    QPointer<TBaseForm> m_form;  // no slice is read while it is busy
    bool m_reading = false;  // slices are due
    std::exception_ptr m_readFailure;  // the slice that failed, until the next search
    bool m_readFailureTold = false;    // to a person searching in every area
    bool m_readFailing = false;        // a failure to read was told, none read since
    bool m_failing = false;  // the last search failed and said so
};
