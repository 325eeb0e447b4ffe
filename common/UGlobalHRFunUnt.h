#pragma once

// Helpers the health-record windows share: keys on the health-record database,
// the photo-server settings, the date-range check, the progress panel, area-code
// mapping and the organisation picker.

#include <QString>

class QObject;
class QWidget;
class TcxCustomEdit;
class TcxEditStyleController;

// ---- photo-server settings (module-wide, written only by LoadPhotoFtpSettings) --

extern QString PhotoFtpServer;
extern QString PhotoFtpUser;      // decoded
extern QString PhotoFtpPassword;  // decoded
extern QString PhotoFtpPort;      // "21" when absent or blank
extern bool PhotoFtpReady;        // server and user both non-empty

// Reads section "PhotoFTP" of setup.ini beside the host application, decodes the
// user and password through HostDispatch.MimeDecode, and returns PhotoFtpReady.
// A missing file reads as empty keys; a failing MimeDecode reaches the caller.
bool LoadPhotoFtpSettings();

// ---- record keys ----------------------------------------------------------------

// Next free time-stamp key of tableName.keyField on the health-record database,
// among the rows whose orgColumn is the user's unit (byOrg) or of the whole
// table. On any failure keyValue keeps what the caller put in; the returning form
// gives "".
void NewHrKeyValue(const QString &tableName, const QString &keyField, const QString &orgColumn,
                   bool byOrg, QString &keyValue);
QString NewHrKeyValue(const QString &tableName, const QString &keyField,
                      const QString &orgColumn, bool byOrg);

// ---- checks and panels -----------------------------------------------------------

// Checks the date of a date editor (TcxCustomDateEdit) or of a data-aware grid
// column's current record against [minDateText, maxDateText] (an empty maximum is
// today). On a violation shows "<Hint or caption>不能大于<maxName>!请重新输入!" or
// "<Hint or caption><minMessage>!请重新输入!", brings the page forward, marks the
// editor with errorStyle (editors only), focuses, and returns false. A null
// control passes. A bound text that is no date raises LumoError.
bool CheckDateRange(QObject *control, const QString &minDateText,
                    TcxEditStyleController *errorStyle, const QString &minMessage,
                    const QString &maxDateText, const QString &maxName,
                    QWidget *focusControl);

// Centres panel on its parent (halves round to even), raises it, shows or hides
// it and repaints at once.
void ShowProgressPanel(QWidget *panel, bool show);

// ---- area codes and units --------------------------------------------------------

// The health-record area code mapped from an RCMS area code (blank: the user's
// own). A code without mapping gives the session's RcmsAreaCode.
void RcmsToHrAreaCode(const QString &rcmsCode, QString &hrCode);

// Lets the user pick a unit of p_YLFWDW through the host's CodePicker and writes
// the chosen code and name into codeEdit / nameEdit (either may be null), ending
// with the focus on codeEdit. typedText is what the key that started the search
// typed (QKeyEvent::text()); its first character, when printable, is the
// picker's initial code. Keys that type nothing (arrows, Shift, Tab, Enter...)
// start with an empty code. The text rather than a key code is taken so that the
// numeric pad's "3" starts the search with "3", as the user sees it, and not
// with the character that the key's code happens to have.
void SelectOrganisation(TcxCustomEdit *codeEdit, TcxCustomEdit *nameEdit,
                        const QString &typedText, const QString &extraWhere);
// The same picker for a command without editors: the chosen unit's code and
// name, both empty when the user left it without choosing.
struct PickedOrganisation
{
    QString code;
    QString name;
};
PickedOrganisation PickOrganisation(const QString &typedText, const QString &extraWhere);

// The text a key-down handler's Qt key code stands for, for handlers that see
// only the code: printable ASCII keys give their character (letters in upper
// case, as the search codes are; the numeric pad's digits are Qt::Key_0..9, so
// they give digits), every other key gives "".
QString typedTextOfKey(int qtKey);
