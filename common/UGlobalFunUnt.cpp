#include "UGlobalFunUnt.h"

#include <QDir>
#include <QStringList>

#include "ClientDataSet.h"
#include "Field.h"
#include "HostCall.h"
#include "IniFile.h"
#include "LumoError.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"

void ShowInfo(const QString &message)
{
    hostCall(UGlobalValue::Session().HostDispatch, "Prompt", {message});
}

bool ShowConfirm(const QString &question)
{
    const QVariant answer = hostCall(UGlobalValue::Session().HostDispatch, "Confirm", {question});
    bool ok = false;
    const int value = answer.toInt(&ok);
    return ok && value == 1;
}

bool FindItemList(const QStringList &list, const QString &name)
{
    try {
        const QString key = asciiUpper(trimBlanks(name));
        if (key.isEmpty()) {
            ShowInfo(QStringLiteral("传递错误查找参数给\"FindItemList\""));
            return false;
        }
        for (const QString &entry : list) {
            if (asciiUpper(trimBlanks(entry)) == key)
                return true;
        }
    } catch (...) {
    }
    return false;
}

bool SetFieldValue(data::ClientDataSet *dataSet, const QString &fieldName, const QString &value)
{
    const QString key = asciiUpper(trimBlanks(fieldName));
    if (key.isEmpty())
        return false;
    if (!dataSet)
        throw data::LumoError(QStringLiteral("没有数据集, 无法设置字段 %1").arg(fieldName));
    for (const auto &field : dataSet->Fields()) {
        if (asciiUpper(field->FieldName()) != key)
            continue;
        dataSet->Edit();
        field->SetAsString(value);
        dataSet->Post();
        return true;
    }
    return false;
}

void FilterDataSet(data::ClientDataSet *dataSet, const QString &filterText)
{
    if (!dataSet)
        return;
    dataSet->SetFiltered(false);
    if (!trimBlanks(filterText).isEmpty()) {
        dataSet->SetFilter(filterText);
        dataSet->SetFiltered(true);
    } else {
        dataSet->SetFilter(QString());
    }
}

QString NowText(bool withTime)
{
    return moduleNow().toString(withTime ? QStringLiteral("yyyy-MM-dd HH:mm:ss")
                                         : QStringLiteral("yyyy-MM-dd"));
}

int GetParamInt(const QString &paramName)
{
    const QString sql = QStringLiteral("Select ParamValue From TSys_Param Where ParamName=")
                        + QuotedStr(paramName);
    const std::unique_ptr<data::ClientDataSet> rows = UGlobalValue::Session().OpenRcmsQuery(sql);
    if (!rows || rows->IsEmpty())
        throw data::LumoError(QStringLiteral("系统参数 %1 不存在").arg(paramName));
    const data::Field *field = rows->FieldByName(QStringLiteral("ParamValue"));
    if (data::isIntegerType(field->DataType()) && !field->IsNull())
        return int(field->AsInteger());
    bool ok = false;
    const int value = trimBlanks(field->AsString()).toInt(&ok);
    if (!ok) {
        throw data::LumoError(QStringLiteral("系统参数 %1 的值 '%2' 不是有效的整数")
                                  .arg(paramName, field->AsString()));
    }
    return value;
}

void GetAreaCodePrefix(const QString &paramName, QString &prefix)
{
    try {
        const int n = GetParamInt(paramName);
        const QString &areaCode = UGlobalValue::Session().RcmsAreaCode;
        const qint64 length = 2 * qint64(n) + 4;
        prefix = length <= 0 ? QString() : areaCode.left(qsizetype(length));
    } catch (...) {
    }
}

int GetSearchTime()
{
    HostSession &session = UGlobalValue::Session();
    const QVariant value = session.GetRcmsValue(
        QStringLiteral("Select ParamValue From TSys_Param Where ParamName = 'SearchTime'"));
    const QString text = value.isNull() ? QString() : value.toString();
    if (text.isEmpty()) {
        // The parameter row was never created on this database: put the default
        // in place so that administrators find it and later calls read it.
        session.ExecRcmsSql(
            QStringLiteral(" Insert Into TSys_Param Values ('SearchTime', '查询等待时间', 2000) "));
        return 2000;
    }
    bool ok = false;
    const int searchTime = trimBlanks(text).toInt(&ok);
    if (!ok) {
        throw data::LumoError(
            QStringLiteral("系统参数 SearchTime 的值 '%1' 不是有效的整数").arg(text));
    }
    return searchTime;
}

namespace {

QString iniPath(const QString &appPath, const QString &fileName)
{
    // Callers write the name with a Windows-style leading backslash
    // ("\setup.ini") or none; both name the file beside the application.
    QString relative = fileName;
    relative.replace(u'\\', u'/');
    if (!relative.startsWith(u'/'))
        relative.prepend(u'/');
    return appPath + relative;
}

} // namespace

void ReadIniString(const QString &fileName, const QString &section, const QString &key,
                   QString &value)
{
    try {
        const QString path = iniPath(UGlobalValue::Session().AppPath, fileName);
        value = data::IniFile::load(path).value(section, key).value_or(QString());
    } catch (...) {
    }
}

void PressJunjaKey()
{
    // On its original platform this pressed the input method's Junja key so
    // that typing into a dictionary combo started in single-byte mode. Qt has no
    // portable way to steer an input method's mode, and the X11/Wayland input
    // methods switch per widget on their own; the routine stays so that the
    // dialogs keep their order of steps, and does nothing.
}
