#pragma once

// Add/edit dialogs for the tests of the dialog framework: one of each family,
// over a master table TMaster and the detail tables TDetailA and TDetailB.
//
// Header only, and without Q_OBJECT: the support library is shared by every
// test group and does not link the forms library; only the forms tests include
// this file.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <ostream>
#include <type_traits>

#include "ClientDataSet.h"
#include "DataPacket.h"
#include "DataSource.h"
#include "RecordingSession.h"
#include "TcxDBMaskEdit.h"
#include "TcxTabControl.h"
#include "TcxDateEdit.h"
#include "UEditBaseFrm.h"
#include "UHREditBaseMultilistFrm.h"

// Readable texts in GoogleTest's failure messages.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace testdialogs {

using data::FieldType;

// The moment the tests pin the module clock to, and the key stamp it gives.
inline QDateTime testNow()
{
    return QDateTime(QDate(2024, 1, 5), QTime(9, 30, 15, 123));
}
inline const QString Stamp = QStringLiteral("20240105093015123");
inline const QString StampText = QStringLiteral("2024-01-05 09:30:15");

// The members called on the session from call number `from` on (0-based).
inline QStringList slotsFrom(const RecordingSession &session, int from)
{
    QStringList result;
    for (int i = from; i < int(session.calls().size()); ++i)
        result.append(session.calls()[i].slot);
    return result;
}

// The statements run with one Exec member from call number `from` on.
inline QStringList execsFrom(const RecordingSession &session, int from, const QString &slot)
{
    QStringList result;
    for (int i = from; i < int(session.calls().size()); ++i) {
        if (session.calls()[i].slot == slot)
            result.append(session.calls()[i].sql);
    }
    return result;
}

// TMaster(MKey, Name, Memo, OrgCode, InpPerCode, InpDate)
inline QVector<data::FieldDef> masterFields()
{
    return {{QStringLiteral("MKey"), FieldType::String, 20},
            {QStringLiteral("Name"), FieldType::String, 50},
            {QStringLiteral("Memo"), FieldType::String, 50},
            {QStringLiteral("OrgCode"), FieldType::String, 20},
            {QStringLiteral("InpPerCode"), FieldType::String, 20},
            {QStringLiteral("InpDate"), FieldType::DateTime, 0}};
}

// TDetailA(DKey, MKey, Item, OrgCode)
inline QVector<data::FieldDef> detailAFields()
{
    return {{QStringLiteral("DKey"), FieldType::String, 21},
            {QStringLiteral("MKey"), FieldType::String, 20},
            {QStringLiteral("Item"), FieldType::String, 50},
            {QStringLiteral("OrgCode"), FieldType::String, 20}};
}

// TDetailB(BKey, MKey, Note, OrgCode, InpPerCode, InpDate)
inline QVector<data::FieldDef> detailBFields()
{
    return {{QStringLiteral("BKey"), FieldType::String, 21},
            {QStringLiteral("MKey"), FieldType::String, 20},
            {QStringLiteral("Note"), FieldType::String, 50},
            {QStringLiteral("OrgCode"), FieldType::String, 20},
            {QStringLiteral("InpPerCode"), FieldType::String, 20},
            {QStringLiteral("InpDate"), FieldType::DateTime, 0}};
}

// The same tables on SQLite (both databases of the host's session).
inline QStringList createTablesSql()
{
    return {QStringLiteral("Create Table TMaster (MKey varchar(20) Primary Key, Name varchar(50), "
                           "Memo varchar(50) Check (Memo Is Null Or Memo <> 'refused'), "
                           "OrgCode varchar(20), InpPerCode varchar(20), InpDate datetime)"),
            QStringLiteral("Create Table TDetailA (DKey varchar(21) Primary Key, MKey varchar(20), "
                           "Item varchar(50), OrgCode varchar(20))"),
            QStringLiteral("Create Table TDetailB (BKey varchar(21) Primary Key, MKey varchar(20), "
                           "Note varchar(50) Not Null, OrgCode varchar(20), InpPerCode varchar(20), "
                           "InpDate datetime)")};
}

// Two required editors over the master row (Name, then Memo), the configuration
// of the tables, and switches that make single steps of the save fail.
template <class Base>
class TestEditDialog : public Base
{
public:
    static constexpr bool MultiTable = std::is_base_of_v<THREditBaseMultilistForm, Base>;

    TcxDBMaskEdit *EdtName = nullptr;
    TcxDBMaskEdit *EdtMemo = nullptr;
    TcxDateEdit *EdtVisitDate = nullptr;  // for the birthday check
    data::ClientDataSet *CDSDetailB = nullptr;
    data::DataSource *dsDetailB = nullptr;

    bool StampOk = true;
    bool BeforeSaveOk = true;
    bool BuildOk = true;
    int InitControlsRuns = 0;

    TestEditDialog()
    {
        EdtName = makeEditor(QStringLiteral("EdtName"), QStringLiteral("Name"), QStringLiteral("名称"), 60);
        EdtMemo = makeEditor(QStringLiteral("EdtMemo"), QStringLiteral("Memo"), QStringLiteral("备注"), 100);
        EdtVisitDate = new TcxDateEdit(this->TabCtlClient);
        EdtVisitDate->setObjectName(QStringLiteral("EdtVisitDate"));
        EdtVisitDate->SetHint(QStringLiteral("随访日期"));
        EdtVisitDate->setGeometry(80, 140, 200, 24);
        CDSDetailB = new data::ClientDataSet(this);
        dsDetailB = new data::DataSource(this);
    }

    void FormCreate(QObject *sender) override
    {
        Base::FormCreate(sender);
        this->FEntityCaption = QStringLiteral("测试记录");
        this->FMasterTable = QStringLiteral(" TMaster ");
        this->FMasterSql = QStringLiteral(" Select *  From TMaster Where MKey = ' %s ' ");
        this->FMasterKeyFields = QStringLiteral("MKey");
        this->FPKeyField = QStringLiteral("MKey");
        this->FDetailTable = QStringLiteral("TDetailA");
        this->FDetailSql = QStringLiteral(" Select * From TDetailA Where MKey = ' %s ' Order By DKey");
        if constexpr (MultiTable) {
            // Rows without a key get keys of their own table.
            this->FDetailKeyFields = QStringLiteral("DKey");
            this->FDetailKeyField = QStringLiteral("DKey");
            this->FDetail2.TableName = QStringLiteral("TDetailB");
            this->FDetail2.SelectSql = QStringLiteral(" Select * From TDetailB Where MKey = ' %s ' Order By BKey");
            this->FDetail2.KeyFields = QStringLiteral("BKey");
            this->FDetail2.KeyField = QStringLiteral("BKey");
            this->FDetail2.CurRecOnly = true;
            this->FDetail2.DataSet = CDSDetailB;
            this->FDetail2.DataSource = dsDetailB;
        } else {
            // One statement per detail row, in the master's batch; the link
            // field receives the new master key with the master's own.
            this->FDetailKeyFields = QStringLiteral("MKey");
            this->FDetailCurRecOnly = false;
        }
    }

    void InitControls() override
    {
        ++InitControlsRuns;
        for (QObject *edit : {static_cast<QObject *>(EdtName), static_cast<QObject *>(EdtMemo)}) {
            if (!this->FRequiredEdits->contains(edit))
                this->FRequiredEdits->append(edit);
        }
        this->FFirstEdit = EdtName;
    }

    bool FillStampFields() override { return StampOk && Base::FillStampFields(); }
    bool CheckBeforeSave() override { return BeforeSaveOk && Base::CheckBeforeSave(); }
    bool BuildSaveSql() override { return BuildOk && Base::BuildSaveSql(); }

    // Types into an editor as the user does and posts it to the field.
    static void type(TcxDBMaskEdit *edit, const QString &text)
    {
        edit->SetEditValue(text);
        edit->PostEditValue();
    }

private:
    TcxDBMaskEdit *makeEditor(const QString &name, const QString &field, const QString &hint, int top)
    {
        auto *edit = new TcxDBMaskEdit(this->TabCtlClient);
        edit->setObjectName(name);
        edit->SetHint(hint);
        edit->SetDataSource(this->dsMaster);
        edit->SetDataField(field);
        edit->setGeometry(80, top, 200, 24);
        edit->OnExit = [this](QObject *sender) { this->OnEdtExit(sender); };
        edit->OnKeyPress = [this](QObject *sender, QChar &key) { this->KeyPressNextObject(sender, key); };
        return edit;
    }
};

using TestRcmsDialog = TestEditDialog<TEditBaseForm>;
using TestMultiDialog = TestEditDialog<THREditBaseMultilistForm>;

} // namespace testdialogs
