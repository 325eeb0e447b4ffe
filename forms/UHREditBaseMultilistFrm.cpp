#include "UHREditBaseMultilistFrm.h"

#include <QRegularExpression>

#include "ClientDataSet.h"
#include "DataSource.h"
#include "Field.h"
#include "LumoError.h"
#include "TextRules.h"
#include "UGlobalFunUnt.h"
#include "UGlobalHRFunUnt.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"

namespace {

// A time-stamp key: 17 characters of stamp, then the counter.
constexpr int kStampLength = 17;

void stampEveryRow(data::ClientDataSet *dataSet, const HostSession &session)
{
    dataSet->First();
    while (!dataSet->Eof()) {
        SetFieldValue(dataSet, QStringLiteral("OrgCode"), session.OrgCode);
        SetFieldValue(dataSet, QStringLiteral("InpPerCode"), session.UserCode);
        SetFieldValue(dataSet, QStringLiteral("InpDate"), NowText(true));
        dataSet->Next();
    }
}

} // namespace

QString nextDetailKey(const QString &lastKey)
{
    // The whole counter is read, not only its first three characters: after
    // …999 comes …1000, and the key after that must be …1001, not …101 again.
    const QString counter = lastKey.mid(kStampLength);
    bool ok = false;
    const qlonglong n = counter.toLongLong(&ok);
    if (!ok || counter.isEmpty() || !counter.at(0).isDigit())
        throw data::LumoError(QStringLiteral("记录主键 %1 的序号不是数字").arg(lastKey));
    return lastKey.left(kStampLength) + QString::number(n + 1).rightJustified(3, QLatin1Char('0'));
}

QStringList splitLinkFields(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    return text.split(separators, Qt::SkipEmptyParts);
}

THREditBaseMultilistForm::THREditBaseMultilistForm(QWidget *parent) : THREditBaseForm(parent)
{
    setObjectName(QStringLiteral("HREditBaseMultilistForm"));
    setWindowTitle(QStringLiteral("健康档案多表数据操作基类"));
}

THREditBaseMultilistForm::~THREditBaseMultilistForm() = default;

TDetailListInfo *THREditBaseMultilistForm::furtherDetails(int index)
{
    TDetailListInfo *details[] = {&FDetail2, &FDetail3, &FDetail4, &FDetail5};
    return details[index];
}

void THREditBaseMultilistForm::LoadData()
{
    openKeyedStatement(FMasterSql, FCDSMaster, dsMaster, true);
    if (!trimBlanks(FDetailSql).isEmpty())
        openKeyedStatement(FDetailSql, FCDSDetail, dsDetail, true);
    for (int i = 0; i < 4; ++i) {
        TDetailListInfo &detail = *furtherDetails(i);
        if (!trimBlanks(detail.SelectSql).isEmpty())
            openKeyedStatement(detail.SelectSql, detail.DataSet, detail.DataSource, true);
    }
    finishLoad();
}

bool THREditBaseMultilistForm::FillStampFields()
{
    if (THREditBaseForm::FillStampFields()) {
        // Errors here reach the save's handler.
        const HostSession &session = UGlobalValue::Session();
        for (int i = 0; i < 4; ++i) {
            const TDetailListInfo &detail = *furtherDetails(i);
            if (!detail.TableName.isEmpty() && detail.DataSet && detail.DataSet->Active())
                stampEveryRow(detail.DataSet, session);
        }
    }
    // The master is stamped once more; its outcome is the result.
    return THREditBaseForm::FillStampFields();
}

bool THREditBaseMultilistForm::BuildSaveSql()
{
    try {
        HostSession &session = UGlobalValue::Session();
        if (!trimBlanks(FMasterTable).isEmpty()) {
            if (FIsEdit) {
                FSaveSql = BuildUpdateSql(FCDSMaster, FMasterTable, FMasterKeyFields,
                                          FMasterSkipFields, true);
            } else {
                FSaveSql = BuildInsertSql(FCDSMaster, FMasterTable, FMasterKeyFields,
                                          FMasterSkipFields, true, QuotedNewKeyPlaceholder, FNewKeyAt);
                // The key the save made before is replaced by a second one,
                // which is the one written and left in FKeyValue.
                AssignNewKey();
            }
            if (!session.ExecHrSql(FSaveSql))
                return false;
        } else {
            // No master statement: a text left from an earlier save must not
            // be run again.
            FSaveSql.clear();
            FNewKeyAt.clear();
        }
        if (!trimBlanks(FDetailTable).isEmpty()
            && !SaveDetailList(FCDSDetail, FDetailTable, FDetailKeyFields, FDetailSkipFields,
                               FDetailKeyField, FDetailCurRecOnly)) {
            return false;
        }
        for (int i = 0; i < 4; ++i) {
            const TDetailListInfo &detail = *furtherDetails(i);
            if (trimBlanks(detail.TableName).isEmpty())
                continue;
            if (!SaveDetailList(detail.DataSet, detail.TableName, detail.KeyFields,
                                detail.SkipFields, detail.KeyField, detail.CurRecOnly)) {
                return false;
            }
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool THREditBaseMultilistForm::SaveDetailList(data::ClientDataSet *dataSet,
                                              const QString &tableName, const QString &keyFields,
                                              const QString &skipFields, const QString &keyField,
                                              bool curRecOnly)
{
    QString lastKey;
    try {
        // A table named without its dataset would be skipped silently while the
        // rest of the save commits; a dataset that is merely closed has nothing
        // to write.
        if (!dataSet)
            raiseSaveFailure(QStringLiteral("明细表 %1 没有数据集").arg(trimBlanks(tableName)));
        if (!dataSet->Active())
            return true;
        const QStringList linkFields = splitLinkFields(FPKeyField);
        if (tableName.isEmpty())
            return true;
        HostSession &session = UGlobalValue::Session();

        QString deleteSql;
        if (FIsEdit) {
            deleteSql = QStringLiteral(" Delete From ") + tableName + QStringLiteral(" Where 1= 1 ");
            for (const QString &link : linkFields) {
                deleteSql += QStringLiteral(" And ") + link + QStringLiteral("  = ")
                             + QuotedStr(FCDSMaster->FieldByName(link)->AsString());
            }
        }
        // While adding there is nothing to delete and the empty text goes
        // through unchanged; a delete that fails must not be followed by
        // inserts that would double the master's rows.
        if (!session.ExecHrSql(deleteSql) && FIsEdit)
            return false;

        // Every row is built on its own, so that each new row gets a key of its
        // own; without CurRecOnly the rows still go to the database as one
        // batch, each statement preceded by a blank, as the builder writes a
        // whole dataset.
        QString batch;
        dataSet->First();
        while (!dataSet->Eof()) {
            QList<qsizetype> keyAt;
            QString sql = BuildInsertSql(dataSet, tableName, keyFields, skipFields, true,
                                         QuotedNewKeyPlaceholder, keyAt);
            if (!keyAt.isEmpty()) {
                lastKey = trimBlanks(lastKey).isEmpty()
                              ? requireKey(NewHrKeyValue(tableName, keyField,
                                                         QStringLiteral("OrgCode"), true))
                              : nextDetailKey(lastKey);
                sql = withNewKey(sql, keyAt, lastKey);
            }
            if (curRecOnly) {
                // A row the database refused fails the whole save.
                if (!session.ExecHrSql(sql))
                    return false;
            } else {
                batch += QStringLiteral(" ") + sql;
            }
            dataSet->Next();
        }
        if (!batch.isEmpty() && !session.ExecHrSql(batch))
            return false;
        return true;
    } catch (...) {
        return false;
    }
}

// The health-record save as it is; the continuous-adding path focuses
// FFirstEdit only when a dialog has set it.
bool THREditBaseMultilistForm::SaveData()
{
    return THREditBaseForm::SaveData();
}
