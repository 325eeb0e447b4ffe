#pragma once

#include "DataPacket.h"
#include "Field.h"
#include "UHREditBaseMultilistFrm.h"
#include "UserAudit.h"

#include <memory>

class TcxComboBox;
class TcxDBMaskEdit;
class TcxLabel;
class TcxMaskEdit;

// The dialog in which one row of the health-record user table is added or
// edited. A new user's code is the selected area's code padded with "0" to 11
// characters followed by a two-digit serial; an existing user's code is never
// changed.
class TUserInfoAddEditForm : public THREditBaseMultilistForm
{
    Q_OBJECT

public:
    // The password every new user starts with.
    static inline const QString InitialPassword = QStringLiteral("5f1d7a3c9e2b48d06a7c3e91b4f8d2a6");

    explicit TUserInfoAddEditForm(QWidget *parent = nullptr);
    ~TUserInfoAddEditForm() override;

    // Set by the opening window before the dialog is shown.
    QString FAreaCode;     // the area's RCMS code (or its own): restricts the unit picker
    QString FStaAreaCode;  // the area's health-record code: the prefix of a new user code
    // The window's trail of changes, lent; a dialog opened without one keeps its own.
    UserAudit *FAudit = nullptr;

    // ---- components -------------------------------------------------------
    TcxLabel *lblUserCode = nullptr;
    TcxDBMaskEdit *EdtUserCode = nullptr;
    TcxMaskEdit *EdtAreaCode = nullptr;
    TcxMaskEdit *EdtSN = nullptr;
    TcxLabel *lblSNStar = nullptr;
    TcxLabel *lblFreeSerials = nullptr;  // how many serials the area has left
    TcxLabel *lblUserName = nullptr;
    TcxDBMaskEdit *EdtUserName = nullptr;
    TcxLabel *lblUserNameStar = nullptr;
    TcxLabel *lblPYCode = nullptr;
    TcxDBMaskEdit *EdtPYCode = nullptr;
    TcxLabel *lblWBCode = nullptr;
    TcxDBMaskEdit *EdtWBCode = nullptr;
    TcxLabel *lblOrgCode = nullptr;
    TcxDBMaskEdit *EdtOrgCode = nullptr;
    TcxMaskEdit *EdtOrgName = nullptr;
    TcxLabel *lblOrgStar = nullptr;
    TcxLabel *lblGrade = nullptr;
    TcxComboBox *cbbGrade = nullptr;
    TcxLabel *lblContactType = nullptr;
    TcxDBMaskEdit *EdtContactType = nullptr;
    TcxDBMaskEdit *Edt1 = nullptr;
    TcxLabel *lblNote = nullptr;

    // ---- overrides --------------------------------------------------------
    void InitControls() override;
    bool CheckData() override;
    bool FillStampFields() override;
    bool CheckBeforeSave() override;
    bool BuildSaveSql() override;
    void AssignNewKey() override;

    // ---- event handlers ---------------------------------------------------
    void FormCreate(QObject *sender) override;
    void EdtSNPropertiesChange(QObject *sender);
    void EdtAreaCodeVPropertiesValidate(QObject *sender, QVariant &displayValue, QString &errorText,
                                        bool &error);
    void EdtAreaNamePropertiesChange(QObject *sender);
    void EdtOrgCodeKeyDown(QObject *sender, int &key, Qt::KeyboardModifiers shift);

    // The update of the edited user: every column assigned, the condition on the
    // user's code exactly as it was loaded. The user code, and every value
    // nobody changed, go back exactly as stored; only changed values are
    // cleaned as typed text is.
    QString BuildUserUpdateSql(data::ClientDataSet *dataSet, const QString &table, const QString &keyFields,
                               const QString &skipFields, bool currentOnly) const;

    // The area part of a new user code: the area code padded with "0" to 11
    // characters (a longer code is kept whole).
    // What a key press types, for the unit picker's initial code: the key's
    // character for printable keys (digits of the numeric pad included),
    // nothing for keys that type nothing.
    static QString typedText(int key, Qt::KeyboardModifiers shift);
    // Keys that open the unit picker: those that type a character, and the
    // usual open-a-list keys F4 and Alt+Down.
    static bool opensUnitPicker(int key, Qt::KeyboardModifiers shift);

    // Shown when the edited user's row changed in the database after the
    // dialog loaded it; nothing is saved then.
    static inline const QString ChangedByOthers =
        QStringLiteral("该用户信息已被他人修改, 请关闭后重新打开再修改!");

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildEditors();
    // The unit's code editor wide enough for every digit of a unit code; its
    // name editor and the contact details over the width up to the dialog's
    // right edge, the code in the corner at that edge.
    void layoutUnitRow();
    // Widens the dialog, as far as the screen allows, until the unit's name
    // shows whole.
    void showWholeUnitName();
    // Whether the edited user's row in the database is still the row the dialog
    // loaded. Runs inside the save's transaction, before the update.
    bool rowUnchangedSinceLoad();
    // The literal of a field for the update: as stored when the value is the
    // one loaded, cleaned when the user changed it.
    QString updateValue(const data::Field &field) const;
    // Required name and unit hold more than blanks and control characters, and
    // the unit is a known one; reports the first that fails.
    bool checkNameAndUnit();
    UserAudit &audit();
    // Writes the save's row of the trail, inside the save's transaction, from
    // the user's row as loaded and as the database now holds it.
    void recordChange();
    std::unique_ptr<UserAudit> m_ownAudit;

    // The edited user's row as loaded (fields and the one row), and the user's
    // code exactly as stored.
    data::DataPacket m_loaded;
    QString m_loadedCode;
    void registerRequired(QObject *editor);
    void composeUserCode();
    // Fills the serial editor with the next free serial of the area (after the
    // one just saved in continuous adding) and says how many are left.
    void proposeSerial();
    // The name of a unit, shown beside its code when a user is opened for editing.
    static QString unitName(const QString &orgCode);
};
