#pragma once

#include <QDialog>
#include <QList>
#include <QObject>
#include <QString>

#include <exception>
#include <memory>

class BusyInputFilter;
class QCloseEvent;
class QShowEvent;
class TcxLookAndFeelController;
class TcxStyleRepository;
class TcxStyle;

// The root of every window of the module: one look and feel, the two colours of
// alternating grid rows, and the rights-controlled controls that are shown or
// hidden from the logged-in user's rights each time the window is shown.
//
// Windows are made by CreateForm (FormFactory.h), which runs FormCreate once the
// whole object exists, and ended by DestroyForm, which runs FormDestroy while the
// object is still whole; a C++ constructor or destructor could not reach a
// descendant's handler.
class TBaseForm : public QDialog
{
    Q_OBJECT
    // Read by the host, late-bound: while true it must neither free the window
    // nor quit.
    Q_PROPERTY(bool Busy READ Busy NOTIFY BusyChanged)

public:
    explicit TBaseForm(QWidget *parent = nullptr);
    ~TBaseForm() override;

    TcxLookAndFeelController *cxLookAndFeelController1 = nullptr;
    TcxStyleRepository *cxStyleRepository1 = nullptr;
    TcxStyle *cxStyle1 = nullptr;  // even rows: pale blue 0x00FBEED4 (BGR)
    TcxStyle *cxStyle2 = nullptr;  // odd rows: near-white blue 0x00FFFBF0 (BGR)

    // Shows each rights-controlled control exactly when the user holds its
    // function number (its Tag) with function type 3.
    virtual void ApplyRights();

    // Event handlers; descendants call the inherited one first.
    virtual void FormCreate(QObject *sender);
    virtual void FormDestroy(QObject *sender);
    virtual void FormShow(QObject *sender);
    // For controls that are not to be edited: the focus moves on at once to the
    // next control in tab order.
    void NextObject(QObject *sender);

    // The rights-controlled controls: TdxBarButton items and plain widgets.
    QList<QObject *> *RightControls() const { return FRightControls.get(); }

    bool formCreated() const { return m_created; }
    // Runs FormDestroy once; DestroyForm calls it before deleting the window.
    void runFormDestroy();

    // True while a BusyScope on this window lives (BusyScope.h).
    bool Busy() const { return m_busyDepth > 0; }
    // A widget of this window that keeps its input while the window is busy
    // (say, the cancel button of a progress panel).
    void AllowWhileBusy(QWidget *widget);

signals:
    void BusyChanged(bool busy);

protected:
    void showEvent(QShowEvent *event) override;
    // A busy window refuses to close: the command running in it needs it.
    void closeEvent(QCloseEvent *event) override;

    std::unique_ptr<QList<QObject *>> FRightControls;

private:
    friend class BusyScope;
    void enterBusy();
    void leaveBusy();

    bool m_created = false;
    bool m_destroyed = false;
    int m_busyDepth = 0;
    BusyInputFilter *m_busyFilter = nullptr;  // a child of the window
    friend void runFormCreate(TBaseForm *form);
};

// Shows a failure to the person through the host: a data::LumoError by its
// cause (never the statement its message carries), anything else by its text.
void HandleFormException(std::exception_ptr error);
// The same as what + "原因:" + the cause.
void ShowFailure(const QString &what, std::exception_ptr error);

// Runs a handler of a window and hands any failure to HandleFormException, the
// counterpart of the toolkit's default handler: events must not unwind through Qt.
template <typename Body>
void guardEvent(Body body)
{
    try {
        body();
    } catch (...) {
        HandleFormException(std::current_exception());
    }
}

// For a handler that runs again with the next keystroke (a search box): a
// failure is shown (ShowFailure) only when it starts a row of failures;
// failing stays true until the handler next succeeds, so a database that is
// down asks for one click, not one per key typed.
template <typename Body>
void guardRepeatedEvent(const QString &what, bool &failing, Body body)
{
    try {
        body();
        failing = false;
    } catch (...) {
        if (failing)
            return;
        failing = true;
        ShowFailure(what, std::current_exception());
    }
}
