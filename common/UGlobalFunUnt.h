#pragma once

// The plain helper routines every window of the module uses: SQL literals and
// statements, record keys on the RCMS database, messages through the host,
// required-editor checks, dataset helpers, system parameters and the ini file.
// None keeps state; the ones that reach a database or the host go through the
// module-wide session (UGlobalValue::Session()).
//
// Objects are released by RAII throughout the module (std::unique_ptr for the
// datasets the session hands out, Qt parents for widgets), so there is no
// FreeObject helper: a unique_ptr going out of scope is the release.

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "ModuleClock.h"
#include "TextRules.h"

class QObject;
class QWidget;
class TcxEditStyleController;

namespace data {
class ClientDataSet;
class Field;
} // namespace data

// ---- SQL literals and statements -------------------------------------------

// Dialect byte of FieldToSqlValue: 1 selects the Oracle forms of dates and line
// breaks, anything else the SQL Server forms. The builders always pass 0.
constexpr quint8 SqlDialectSqlServer = 0;
constexpr quint8 SqlDialectOracle = 1;

// One field's current value as an SQL literal: "Null" for an empty or all-blank
// value, " 5" for numbers (decimals and money with every digit), " '1'" for
// booleans, dates quoted, bytes as " 0x..." (Oracle: hextoraw), text cleaned
// and quoted with each CR LF turned into a '+char(13)+char(10)+' join. The
// builders leave row-version columns out: the database sets them.
QString FieldToSqlValue(const data::Field &field, quint8 dialect);

// Trims blanks, turns ' into U+2018, a tab into two blanks and " into U+201D, so
// that no text value can close its literal.
QString CleanSqlText(const QString &text);

// UPDATE (resp. INSERT) text of the current record, or of every record with
// currentRecordOnly false (each statement preceded by one blank; the cursor ends
// past the last record). keyFields and excludedFields are field lists
// ("F1;F2"). Any failure inside is swallowed: the result then holds what was
// built before it (empty in current-record mode). The out-argument forms clear
// the result on entry.
void BuildUpdateSql(data::ClientDataSet *dataSet, const QString &tableName,
                    const QString &keyFields, const QString &excludedFields,
                    bool currentRecordOnly, QString &sql);
QString BuildUpdateSql(data::ClientDataSet *dataSet, const QString &tableName,
                       const QString &keyFields, const QString &excludedFields,
                       bool currentRecordOnly);
// keyDefault is written verbatim in place of an empty key field's value (the
// edit dialogs pass "'NeedReplacePkeyValue'").
void BuildInsertSql(data::ClientDataSet *dataSet, const QString &tableName,
                    const QString &keyFields, const QString &excludedFields,
                    bool currentRecordOnly, const QString &keyDefault, QString &sql);
QString BuildInsertSql(data::ClientDataSet *dataSet, const QString &tableName,
                       const QString &keyFields, const QString &excludedFields,
                       bool currentRecordOnly, const QString &keyDefault);
// The same, and where keyDefault stands in the text (one offset per empty key
// field written), so that a key made later replaces the default there and
// nowhere else: a user's text may read the same as the default.
QString BuildInsertSql(data::ClientDataSet *dataSet, const QString &tableName,
                       const QString &keyFields, const QString &excludedFields,
                       bool currentRecordOnly, const QString &keyDefault, QList<qsizetype> &keyDefaultAt);

// ---- record keys -------------------------------------------------------------

// Next free key "YYYYMMDDHHMMSSZZZ" + 3-digit sequence of table.keyField on the
// RCMS database, counted among the rows of the user's unit (byOrg) or of the
// user's area (AreaCode prefix from parameter "yptyml"). On any failure the
// out-argument keeps what the caller put in; the returning form gives "".
void NewKeyValue(const QString &tableName, const QString &keyField, bool byOrg, QString &keyValue);
QString NewKeyValue(const QString &tableName, const QString &keyField, bool byOrg);

// ---- messages through the host ------------------------------------------------

// HostDispatch.Prompt(text). Host failures reach the caller.
void ShowInfo(const QString &message);
// HostDispatch.Confirm(text) == 1. Host failures reach the caller.
bool ShowConfirm(const QString &question);

// ---- editors and datasets ------------------------------------------------------

// Reports a required item that is empty: an editor (TcxCustomMaskEdit,
// TcxCustomTextEdit, TcxCustomEdit) or a data-aware grid column, whose field is
// read from dataSet. Returns true when the item was empty and has been reported
// (page brought forward, editor given errorStyle, message "<Hint>不能为空!",
// focus); false when it is filled. A grid column needs gridControl.
bool CheckRequired(data::ClientDataSet *dataSet, QObject *item,
                   TcxEditStyleController *errorStyle, TcxEditStyleController *normalStyle,
                   QWidget *gridControl);

// True when name (trimmed, ASCII upper-case) equals an entry of list compared the
// same way. An empty name is reported through ShowInfo and gives false.
bool FindItemList(const QStringList &list, const QString &name);

// Sets the field named fieldName (letter case ignored) from text and posts the
// record; false, and the dataset untouched, when there is no such field.
bool SetFieldValue(data::ClientDataSet *dataSet, const QString &fieldName, const QString &value);

// Switches the dataset's filter off, then on with filterText unless it is blank.
// A null dataset is ignored; dataset errors reach the caller.
void FilterDataSet(data::ClientDataSet *dataSet, const QString &filterText);

// "YYYY-MM-DD HH:MM:SS" (24-hour) or "YYYY-MM-DD", from the module clock.
QString NowText(bool withTime);

// ---- system parameters and settings ------------------------------------------

// ParamValue of TSys_Param row paramName on the RCMS database, as an integer.
// A missing row raises LumoError, as does a value that is not an integer: a
// parameter that is not there has no value, and 0 would silently pass for one.
int GetParamInt(const QString &paramName);

// The first 2n+4 characters of the session's RcmsAreaCode, n = GetParamInt(name);
// on any failure prefix keeps what the caller put in.
void GetAreaCodePrefix(const QString &paramName, QString &prefix);

// The picker's search wait time, parameter "SearchTime"; a missing row is
// repaired with its default 2000, which is returned.
int GetSearchTime();

// Value of key in section of the ini file fileName beside the host application
// (AppPath), read as the Windows profile functions read it (data::IniFile).
// "setup.ini" and "\setup.ini" name the same file. On any failure
// value keeps what the caller put in; a missing key gives "".
void ReadIniString(const QString &fileName, const QString &section, const QString &key,
                   QString &value);

// Asked the input method to switch to its single-byte mode before a drop-down
// list is filled. See the definition for why it does nothing here.
void PressJunjaKey();
