#pragma once

#include <QPointer>
#include <QString>

#include "UHREditBaseFrm.h"

// One further detail table of a multi-table dialog. The descendant that uses
// an entry supplies its dataset and data source.
struct TDetailListInfo
{
    QString TableName;   // "" = the entry is not used
    QString SelectSql;   // SELECT of the rows with " %s " for the master key
    QString SkipFields;  // fields left out of the insert, "F1;F2"
    QString KeyFields;   // key fields; an empty key field of a row gets a new key
    QPointer<data::ClientDataSet> DataSet;
    QPointer<data::DataSource> DataSource;
    bool CurRecOnly = false;  // insert the current row only
    QString KeyField;    // the field new keys of this table are made for
};

// The health-record dialog base for a master record with up to five detail
// tables: the inherited first one (FCDSDetail) and FDetail2 ... FDetail5. It
// loads every table through the key placeholder, stamps every row, and saves
// in the one health-record transaction: the master by UPDATE or INSERT, each
// detail table by deleting the master's old rows and inserting every row of
// its dataset again, new rows with new keys.
//
// FPKeyField doubles as the list of link fields (separated by commas or
// blanks): master columns whose values identify a master's detail rows.
class THREditBaseMultilistForm : public THREditBaseForm
{
    Q_OBJECT

public:
    explicit THREditBaseMultilistForm(QWidget *parent = nullptr);
    ~THREditBaseMultilistForm() override;

    QString FDetailKeyField;  // new keys of the first detail table are made for it
    TDetailListInfo FDetail2;
    TDetailListInfo FDetail3;
    TDetailListInfo FDetail4;
    TDetailListInfo FDetail5;

    bool SaveData() override;
    bool FillStampFields() override;
    bool BuildSaveSql() override;
    void LoadData() override;

protected:
    // Saves one detail table: (editing) deletes the master's rows by the link
    // fields, then inserts every row of dataSet. Rows with an empty key field
    // get keys counted up from one generated key (…001, …002). False when a
    // statement fails or raises; the save then rolls back.
    bool SaveDetailList(data::ClientDataSet *dataSet, const QString &tableName,
                        const QString &keyFields, const QString &skipFields,
                        const QString &keyField, bool curRecOnly);

private:
    // FDetail2 ... FDetail5 in order.
    TDetailListInfo *furtherDetails(int index);
};

// The key after lastKey within one save: the 17-character stamp and the
// counter behind it plus one, at least three digits ("…041" -> "…042",
// "…999" -> "…1000"). Raises data::LumoError when the counter is no number.
QString nextDetailKey(const QString &lastKey);

// The link fields of a multi-table dialog: names separated by commas or blanks.
QStringList splitLinkFields(const QString &text);
