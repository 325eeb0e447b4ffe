#include "UGlobalHRFunUnt.h"

#include <QWidget>

#include <cmath>

#include "HostCall.h"
#include "LumoError.h"
#include "RecordKeys.h"
#include "TcxCustomEdit.h"
#include "UGlobalFunUnt.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"

QString PhotoFtpServer;
QString PhotoFtpUser;
QString PhotoFtpPassword;
QString PhotoFtpPort;
bool PhotoFtpReady = false;

namespace {

const QString kSetupIni = QStringLiteral("setup.ini");
const QString kPhotoSection = QStringLiteral("PhotoFTP");

QString decoded(const QString &encoded)
{
    if (trimBlanks(encoded).isEmpty())
        return encoded;
    return hostCall(UGlobalValue::Session().HostDispatch, "MimeDecode", {encoded}).toString();
}

// d / 2 rounded to the nearest integer, halves to the even one (25.5 -> 26,
// 2.5 -> 2), so that the centring matches the layout the windows were drawn for.
int halfRoundedToEven(int d)
{
    const int lower = int(std::floor(d / 2.0));
    if (d % 2 == 0)
        return d / 2;
    return lower % 2 == 0 ? lower : lower + 1;
}

} // namespace

bool LoadPhotoFtpSettings()
{
    // Each key starts from an empty text, so that a file that cannot be read
    // leaves nothing of an earlier load behind.
    QString server, user, password, port;
    ReadIniString(kSetupIni, kPhotoSection, QStringLiteral("FTPServer"), server);
    ReadIniString(kSetupIni, kPhotoSection, QStringLiteral("FTPUser"), user);
    ReadIniString(kSetupIni, kPhotoSection, QStringLiteral("FTPPassWord"), password);
    ReadIniString(kSetupIni, kPhotoSection, QStringLiteral("FTPPort"), port);
    PhotoFtpServer = server;
    PhotoFtpUser = user;
    PhotoFtpPassword = password;
    PhotoFtpPort = port;

    PhotoFtpUser = decoded(PhotoFtpUser);
    PhotoFtpPassword = decoded(PhotoFtpPassword);
    if (trimBlanks(PhotoFtpPort).isEmpty())
        PhotoFtpPort = QStringLiteral("21");
    PhotoFtpReady = !PhotoFtpServer.isEmpty() && !PhotoFtpUser.isEmpty();
    return PhotoFtpReady;
}

void NewHrKeyValue(const QString &tableName, const QString &keyField, const QString &orgColumn,
                   bool byOrg, QString &keyValue)
{
    try {
        HostSession &session = UGlobalValue::Session();
        const QString filter = byOrg ? QStringLiteral(" And  ") + orgColumn + QStringLiteral(" = ")
                                           + QuotedStr(session.OrgCode)
                                     : QString();
        keyValue = nextTimeKey(tableName, keyField, filter, [&session](const QString &sql) {
            return session.OpenHrQuery(sql);
        });
    } catch (...) {
    }
}

QString NewHrKeyValue(const QString &tableName, const QString &keyField,
                      const QString &orgColumn, bool byOrg)
{
    QString keyValue;
    NewHrKeyValue(tableName, keyField, orgColumn, byOrg, keyValue);
    return keyValue;
}

void ShowProgressPanel(QWidget *panel, bool show)
{
    if (!panel)
        throw data::LumoError(QStringLiteral("没有进度面板"));
    QWidget *parent = panel->parentWidget();
    if (!parent)
        throw data::LumoError(QStringLiteral("进度面板没有父控件"));
    panel->move(halfRoundedToEven(parent->width() - panel->width()),
                halfRoundedToEven(parent->height() - panel->height()));
    panel->raise();
    panel->setVisible(show);
    parent->repaint();
    panel->repaint();
}

void RcmsToHrAreaCode(const QString &rcmsCode, QString &hrCode)
{
    HostSession &session = UGlobalValue::Session();
    const QString code = trimBlanks(rcmsCode).isEmpty() ? session.RcmsAreaCode : rcmsCode;
    const QVariant value = session.GetHrValue(
        QStringLiteral("Select AreaCode From P_XZQH Where RCMSAreaCode = ") + QuotedStr(code));
    hrCode = value.isNull() ? QString() : value.toString();
    const QString trimmed = trimBlanks(hrCode);
    if (trimmed.isEmpty() || asciiUpper(trimmed) == QLatin1String("NULL"))
        hrCode = session.RcmsAreaCode;
}

QString typedTextOfKey(int qtKey)
{
    if (qtKey >= 0x20 && qtKey <= 0x7E)
        return QString(QChar(char16_t(qtKey)));
    return QString();
}

namespace {

// Opens the host's picker on the units; returns it for the answers.
QObject *showOrganisationPicker(const QString &typedText, const QString &extraWhere)
{
    HostSession &session = UGlobalValue::Session();
    QObject *picker = session.CodePicker;
    QObject *dispatch = session.HostDispatch;

    hostCall(picker, "Init");
    hostSetProperty(picker, "Table", QStringLiteral("p_YLFWDW"));
    hostSetProperty(picker, "Where", QStringLiteral(" 1=1 ") + extraWhere);
    hostSetProperty(picker, "OrderBy", QStringLiteral("OrgCode Asc"));
    hostSetProperty(picker, "FieldList", QStringLiteral("OrgCode As 单位编码, OrgName As 单位名称"));
    hostSetProperty(picker, "CodeType", hostCall(dispatch, "GetSRM"));
    hostSetProperty(picker, "Spell", QStringLiteral("Spell"));
    hostSetProperty(picker, "Wbx", QStringLiteral("FiveStrokes"));
    hostSetProperty(picker, "SearchTime", GetSearchTime());
    // Only a printable character starts the search; Enter, Tab or an arrow key
    // would hand the picker a control character to search for.
    const QString first = typedText.left(1);
    const bool printable = !first.isEmpty() && first.at(0).isPrint();
    hostSetProperty(picker, "Code", printable ? first : QString());
    hostCall(picker, "SetPosition", {0, -2, 18});
    hostSetProperty(picker, "conType", hostCall(dispatch, "conMain"));
    hostCall(picker, "Show");
    return picker;
}

} // namespace

PickedOrganisation PickOrganisation(const QString &typedText, const QString &extraWhere)
{
    QObject *picker = showOrganisationPicker(typedText, extraWhere);
    return {hostCall(picker, "GetCodeValue", {QStringLiteral("单位编码")}).toString(),
            hostCall(picker, "GetCodeValue", {QStringLiteral("单位名称")}).toString()};
}

void SelectOrganisation(TcxCustomEdit *codeEdit, TcxCustomEdit *nameEdit,
                        const QString &typedText, const QString &extraWhere)
{
    QObject *picker = showOrganisationPicker(typedText, extraWhere);
    // Whatever the picker answers is written, also the empty value of a search
    // that the user left without choosing.
    if (codeEdit) {
        codeEdit->SetEditValue(
            hostCall(picker, "GetCodeValue", {QStringLiteral("单位编码")}).toString());
        codeEdit->PostEditValue();
    }
    if (nameEdit) {
        nameEdit->SetEditValue(
            hostCall(picker, "GetCodeValue", {QStringLiteral("单位名称")}).toString());
        nameEdit->PostEditValue();
        if (nameEdit->isEnabled())
            nameEdit->SetFocus();
    }
    if (codeEdit)
        codeEdit->SetFocus();
}
