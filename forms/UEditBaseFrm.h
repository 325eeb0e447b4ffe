#pragma once

#include <QChar>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QScrollArea>
#include <QString>

#include <exception>
#include <memory>

#include "UBaseFrm.h"

class QWheelEvent;
class TcxButton;
class TcxCheckBox;
class TcxEditStyleController;
class TcxGroupBox;
class TcxPageControl;
class TcxTabControl;
class TDictDataListBaseClass;
namespace data {
class ClientDataSet;
class DataSource;
} // namespace data

// The scroll box behind a dialog's editors. It leaves the mouse wheel to the
// window (the health-record dialogs scroll exactly one line per wheel step), so
// a wheel over the editor area is not also scrolled by the box's own handling.
class TEditScrollBox : public QScrollArea
{
    Q_OBJECT

public:
    explicit TEditScrollBox(QWidget *parent = nullptr);

    // Scrolls the vertical bar by one line step down (true) or up (false).
    void scrollOneLine(bool down);

protected:
    void wheelEvent(QWheelEvent *event) override;
};

// The base of every add/edit dialog. A dialog edits one master record (and
// optionally the rows of one detail table) in data-bound editors over two client
// datasets. The base loads the record through a SELECT statement carrying the
// key placeholder " %s ", tells adding from editing by the key, checks the
// required editors, stamps unit, user and time into the record, builds the
// UPDATE or INSERT text, gives a new record a new key, runs the save as one
// transaction on the RCMS database and supports continuous adding.
//
// A concrete dialog sets the configuration fields in its FormCreate (after the
// inherited one) and supplies InitControls, which registers its required editors
// and sets FFirstEdit. Callers: SetKeyValue to edit (nothing to add), exec(),
// then read FKeyValue: non-blank is the key saved last.
class TEditBaseForm : public TBaseForm
{
    Q_OBJECT

public:
    // Modal results of the two buttons.
    static constexpr int mrOk = 1;
    static constexpr int mrCancel = 2;

    // Where a key goes into statement text: " %s " in the SELECT statements
    // (blanks included, so the key lands without them), and the new-key
    // placeholder of INSERT statements, which the builders receive in quotes.
    static inline const QString LoadKeyPlaceholder = QStringLiteral(" %s ");
    static inline const QString NewKeyPlaceholder = QStringLiteral("NeedReplacePkeyValue");
    static inline const QString QuotedNewKeyPlaceholder = QStringLiteral("'NeedReplacePkeyValue'");

    explicit TEditBaseForm(QWidget *parent = nullptr);
    ~TEditBaseForm() override;

    // ---- components -------------------------------------------------------
    TEditScrollBox *scrlbxBack = nullptr;
    TcxTabControl *TabCtlClient = nullptr;  // the dialog's editors go here
    TcxGroupBox *cxGroupBox4 = nullptr;     // bottom bar: OK, Cancel, continuous adding
    TcxButton *btnOK = nullptr;
    TcxButton *btnCancel = nullptr;
    TcxCheckBox *ChkBContinue = nullptr;
    data::ClientDataSet *FCDSMaster = nullptr;
    data::ClientDataSet *FCDSDetail = nullptr;
    data::DataSource *dsMaster = nullptr;
    data::DataSource *dsDetail = nullptr;
    TcxEditStyleController *StyCtlNormal = nullptr;
    TcxEditStyleController *StyCtlReadOnly = nullptr;
    TcxEditStyleController *StyCtlError = nullptr;

    // ---- configuration and state (all empty / nil until set) -------------
    QPointer<TcxPageControl> FPageControl;   // pages that Enter steps through
    bool FDetailCurRecOnly = false;          // true from FormCreate on
    QString FLastSavedKey;                   // key saved last in continuous mode
    QString FKeyValue;                       // key being edited; "" when adding
    QString FMasterTable;                    // blanks allowed around it
    QString FMasterSql;                      // SELECT with " %s " for the key
    QString FMasterSkipFields;               // "F1;F2"
    QString FMasterKeyFields;                // "F1;F2"
    QString FPKeyField;                      // field whose new value the key generator makes
    QString FDetailTable;                    // "" = no detail table
    QString FDetailSql;                      // SELECT of the detail rows with " %s "
    QString FDetailSkipFields;
    QString FDetailKeyFields;
    QString FEntityCaption;                  // appended to "新增" / "修改"
    QString FSaveSql;                        // the statement text the save runs
    QList<qsizetype> FNewKeyAt;              // where the builders put the new-key placeholder in FSaveSql
    bool FIsEdit = false;                    // fixed by FormShow
    std::unique_ptr<QList<QObject *>> FRequiredEdits;  // checked in list order
    std::unique_ptr<TDictDataListBaseClass> FDictList;
    QString FErrorText;                      // appended to the next failure message
    QPointer<QWidget> FFirstEdit;            // focused after a continuous-mode save
    // Set by a dialog whose keys come from other systems byte for byte: the
    // record is loaded by the key exactly as given, not trimmed, so that a key
    // with blanks or control characters at its ends neither loads (and saves
    // over) a trimmed twin nor loads nothing at all.
    bool FKeyKeptExactly = false;

    // Value itself when it is non-blank (stored untrimmed), otherwise "0".
    void SetKeyValue(const QString &value);

    // ---- the steps of loading and saving (descendants override) ----------
    virtual void InitControls() = 0;
    virtual bool CheckData();
    virtual bool CheckBeforeSave();
    virtual bool SaveData();
    virtual bool FillStampFields();
    virtual bool BuildSaveSql();
    virtual void LoadData();
    virtual void AssignNewKey();

    // ---- event handlers -------------------------------------------------------
    void btnOKClick(QObject *sender);
    void btnCancelClick(QObject *sender);
    void FormCreate(QObject *sender) override;
    void FormShow(QObject *sender) override;
    void KeyPressNextObject(QObject *sender, QChar &key);
    void NextPage(QObject *sender, QChar &key);
    void PressKeyToSave(QObject *sender, QChar &key);
    void FormDestroy(QObject *sender) override;
    void CombbGetDictData(QObject *sender);
    void OnEdtExit(QObject *sender);
    void KeyPressToNextPage(QObject *sender, QChar &key);

protected:
    // The key as it goes into a quoted literal of a SELECT: single quotes
    // doubled, so that a key taken from data can neither end the literal early
    // nor select another row.
    static QString keyForLiteral(const QString &key);

    // What a successful save does before it reports: in continuous mode the
    // saved key moves to FLastSavedKey, an empty record is loaded and
    // FFirstEdit focused (returns false, the dialog stays open); otherwise
    // "数据保存成功!" and true.
    bool finishSave();
    // The common part of a failed save after the family's rollback: key "0",
    // "数据保存失败!" with FErrorText shown once (or FSaveRefusal instead, when a
    // step set it), both emptied.
    void reportSaveFailure();
    // Runs LoadData; while it has not succeeded OK is disabled and the save
    // refuses (a failure still raises, for the caller's handler to show).
    void loadOrLock();
    // Whether the last load succeeded: only then is there a record to save.
    bool loaded() const { return m_loaded; }
    // Set by a step of the save that refuses for a reason the user can act on:
    // the failure message is this text instead of "数据保存失败!".
    QString FSaveRefusal;
    // A key the generator made; an empty one (its search failed) raises the
    // save's failure, whose message then names the reason.
    QString requireKey(const QString &key);
    // Loading, step by step: replaces " %s " in sql by the key (stored back, so
    // the placeholder is gone after the first load), loads the rows into dataSet
    // from the health-record or the RCMS database and points source at it.
    void openKeyedStatement(QString &sql, data::ClientDataSet *dataSet, data::DataSource *source,
                            bool healthRecord);
    // The end of every load: editing hides and unticks the continuous box,
    // adding appends the new empty master row; then InitControls.
    void finishLoad();
    // Moves to the page after the active one of FPageControl, when it is set.
    void stepToNextPage();
    // Raises the save's internal failure, which the save's handler turns into
    // the fixed failure text.
    [[noreturn]] static void raiseOperateError();
    // sql with key, as the session's ReplacePlaceholder places it, at the
    // new-key placeholders the builders made (offsets from BuildInsertSql);
    // a user's text that reads like the placeholder stays as typed.
    static QString withNewKey(const QString &sql, const QList<qsizetype> &at, const QString &key);
    // The same, with a reason the failure message shows under its fixed text
    // (kept across the steps that turn errors into false).
    [[noreturn]] void raiseSaveFailure(const QString &reason);
    // Puts the cause of a failed save in FErrorText (unless a step has set it
    // already), so the failure message says why without the statement.
    void noteFailureCause(const std::exception &error);

private:
    void buildComponents();

    bool m_loaded = false;
    QString m_failureReason;  // shown under the next failure message, then emptied
};
