#pragma once

#include "UHREditBaseMultilistFrm.h"

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
    // code shown in EdtUserCode. The user code keeps its exact value.
    QString BuildUserUpdateSql(data::ClientDataSet *dataSet, const QString &table, const QString &keyFields,
                               const QString &skipFields, bool currentOnly) const;

    // The area part of a new user code: the area code padded with "0" to 11
    // characters (a longer code is kept whole).
    static QString paddedAreaCode(const QString &staAreaCode);
    // What a key press types, for the unit picker's initial code: the key's
    // character for printable keys (digits of the numeric pad included),
    // nothing for keys that type nothing.
    static QString typedText(int key, Qt::KeyboardModifiers shift);
    // Keys that open the unit picker: those that type a character, and the
    // usual open-a-list keys F4 and Alt+Down.
    static bool opensUnitPicker(int key, Qt::KeyboardModifiers shift);

private:
    void buildEditors();
    void registerRequired(QObject *editor);
    void composeUserCode();
    // Fills the serial editor with the next free serial of the area (after the
    // one just saved in continuous adding) and says how many are left.
    void proposeSerial();
    // The name of a unit, shown beside its code when a user is opened for editing.
    static QString unitName(const QString &orgCode);
};
