// The plain helpers: lists, fields, filters, dates, parameters, ini files,
// messages, photo-server settings and area codes.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include "ClientDataSet.h"
#include "Field.h"
#include "LumoError.h"
#include "TestHostObjects.h"
#include "UGlobalFunUnt.h"
#include "UGlobalHRFunUnt.h"
#include "UGlobalValue.h"

using data::FieldType;
using Reply = RecordingSession::Reply;

namespace {

data::DataPacket paramValue(const QVariant &value, FieldType type = FieldType::String)
{
    return RecordingSession::packet({{QStringLiteral("ParamValue"), type, 20}}, {{value}});
}

class Helpers : public ::testing::Test
{
protected:
    void writeIni(const QString &name, const QByteArray &content)
    {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    TestHost host;
    QTemporaryDir dir;
};

} // namespace

TEST_F(Helpers, FindItemListIgnoresCaseAndBlanks)
{
    const QStringList list{QStringLiteral("OrgCode"), QStringLiteral(" UserCode ")};
    EXPECT_TRUE(FindItemList(list, QStringLiteral("  usercode  ")));
    EXPECT_TRUE(FindItemList(list, QStringLiteral("ORGCODE")));
    EXPECT_FALSE(FindItemList(list, QStringLiteral("User")));
    EXPECT_FALSE(FindItemList({}, QStringLiteral("User")));
    EXPECT_TRUE(host.dispatch.prompts().isEmpty());
}

TEST_F(Helpers, FindItemListReportsAnEmptyName)
{
    EXPECT_FALSE(FindItemList({QString()}, QStringLiteral("  ")));
    EXPECT_EQ(host.dispatch.prompts(), QStringList{QStringLiteral("传递错误查找参数给\"FindItemList\"")});
    // Without a host to report to, still false.
    host.session.HostDispatch = nullptr;
    EXPECT_FALSE(FindItemList({}, QString()));
}

TEST_F(Helpers, ListRulesLeaveUnicodeAlone)
{
    EXPECT_EQ(asciiUpper(QStringLiteral("abzäß张")), QStringLiteral("ABZäß张"));
    EXPECT_EQ(trimBlanks(QStringLiteral("\x01 a b\x1f\u3000")), QStringLiteral("a b\x1f\u3000"));
    EXPECT_EQ(trimBlanks(QStringLiteral("\x01 a\x1f ")), QStringLiteral("a"));
    EXPECT_EQ(splitFieldList(QStringLiteral(" F1;; f2 ;F3\tF4; ")),
              QStringList({"F1", "f2", "F3", "F4"}));
    EXPECT_TRUE(splitFieldList(QStringLiteral("  ")).isEmpty());
    EXPECT_EQ(QuotedStr(QStringLiteral("a'b''")), "'a''b'''''");
    EXPECT_EQ(QuotedStr(QString()), "''");
    EXPECT_EQ(QuotedStr(QStringLiteral("'张三")), QStringLiteral("'''张三'"));
}

TEST_F(Helpers, SetFieldValueFindsTheFieldByName)
{
    data::ClientDataSet dataSet;
    dataSet.SetData(RecordingSession::packet({{QStringLiteral("OrgCode"), FieldType::String, 20},
                                              {QStringLiteral("InpDate"), FieldType::DateTime, 0}},
                                             {{QStringLiteral("old"), QVariant()}}));
    EXPECT_TRUE(SetFieldValue(&dataSet, QStringLiteral(" orgcode "), QStringLiteral("A01")));
    EXPECT_EQ(dataSet.State(), data::DataSetState::Browse);
    EXPECT_EQ(dataSet.FieldByName(QStringLiteral("OrgCode"))->AsString(), "A01");
    EXPECT_TRUE(SetFieldValue(&dataSet, QStringLiteral("InpDate"), QStringLiteral("2024-01-05 09:30:15")));
    EXPECT_EQ(dataSet.FieldByName(QStringLiteral("InpDate"))->AsString(), "2024-01-05 09:30:15");

    EXPECT_FALSE(SetFieldValue(&dataSet, QStringLiteral("Missing"), QStringLiteral("x")));
    EXPECT_FALSE(SetFieldValue(&dataSet, QStringLiteral("  "), QStringLiteral("x")));
    EXPECT_EQ(dataSet.State(), data::DataSetState::Browse);
    // A value the field refuses reaches the caller.
    EXPECT_THROW(SetFieldValue(&dataSet, QStringLiteral("InpDate"), QStringLiteral("not a date")),
                 data::LumoError);
}

TEST_F(Helpers, FilterDataSetSwitchesTheFilter)
{
    data::ClientDataSet dataSet;
    dataSet.SetData(RecordingSession::packet({{QStringLiteral("ModFunTyp"), FieldType::Integer, 0}},
                                             {{qint64(3)}, {qint64(1)}, {qint64(3)}}));
    FilterDataSet(&dataSet, QStringLiteral("ModFunTyp = 3 "));
    EXPECT_TRUE(dataSet.Filtered());
    EXPECT_EQ(dataSet.Filter(), "ModFunTyp = 3 ");
    EXPECT_EQ(dataSet.RecordCount(), 2);

    FilterDataSet(&dataSet, QStringLiteral("   "));
    EXPECT_FALSE(dataSet.Filtered());
    EXPECT_EQ(dataSet.Filter(), "");
    EXPECT_EQ(dataSet.RecordCount(), 3);

    FilterDataSet(nullptr, QStringLiteral("ModFunTyp = 3"));
    EXPECT_THROW(FilterDataSet(&dataSet, QStringLiteral("ModFunTyp = = 3")), data::LumoError);
}

TEST_F(Helpers, NowTextWithAndWithoutTime)
{
    ScopedModuleClock clock([] { return QDateTime(QDate(2024, 1, 5), QTime(21, 7, 3, 999)); });
    EXPECT_EQ(NowText(true), "2024-01-05 21:07:03");
    EXPECT_EQ(NowText(false), "2024-01-05");
}

TEST_F(Helpers, GetParamIntReadsTheRow)
{
    host.session.queuePacket(paramValue(QStringLiteral(" 2 ")));
    EXPECT_EQ(GetParamInt(QStringLiteral("yptyml")), 2);
    EXPECT_EQ(host.session.statements(),
              QStringList{"Select ParamValue From TSys_Param Where ParamName='yptyml'"});
    host.session.queuePacket(paramValue(qint64(7), FieldType::Integer));
    EXPECT_EQ(GetParamInt(QStringLiteral("it's")), 7);
    EXPECT_EQ(host.session.statements().last(),
              "Select ParamValue From TSys_Param Where ParamName='it''s'");
}

TEST_F(Helpers, GetParamIntRaisesForMissingOrNonNumericValues)
{
    EXPECT_THROW(GetParamInt(QStringLiteral("yptyml")), data::LumoError);  // no row
    host.session.queuePacket(paramValue(QStringLiteral("abc")));
    EXPECT_THROW(GetParamInt(QStringLiteral("yptyml")), data::LumoError);
    host.session.queuePacket(paramValue(QVariant()));
    EXPECT_THROW(GetParamInt(QStringLiteral("yptyml")), data::LumoError);
    host.session.failOnStatement(4);
    EXPECT_THROW(GetParamInt(QStringLiteral("yptyml")), data::LumoError);
}

TEST_F(Helpers, GetAreaCodePrefixCutsTheAreaCode)
{
    host.session.RcmsAreaCode = QStringLiteral("123456789");
    QString prefix;
    host.session.queuePacket(paramValue(QStringLiteral("1")));
    GetAreaCodePrefix(QStringLiteral("yptyml"), prefix);
    EXPECT_EQ(prefix, "123456");
    host.session.queuePacket(paramValue(QStringLiteral("3")));
    GetAreaCodePrefix(QStringLiteral("yptyml"), prefix);
    EXPECT_EQ(prefix, "123456789");
    host.session.queuePacket(paramValue(QStringLiteral("-2")));
    GetAreaCodePrefix(QStringLiteral("yptyml"), prefix);
    EXPECT_EQ(prefix, "");

    prefix = QStringLiteral("kept");
    host.session.queuePacket(paramValue(QStringLiteral("x")));
    GetAreaCodePrefix(QStringLiteral("yptyml"), prefix);
    EXPECT_EQ(prefix, "kept");
    GetAreaCodePrefix(QStringLiteral("yptyml"), prefix);  // no row
    EXPECT_EQ(prefix, "kept");
}

TEST_F(Helpers, GetSearchTimeRepairsAMissingRowOnce)
{
    EXPECT_EQ(GetSearchTime(), 2000);
    EXPECT_EQ(host.session.statements(),
              QStringList({"Select ParamValue From TSys_Param Where ParamName = 'SearchTime'",
                           " Insert Into TSys_Param Values ('SearchTime', '查询等待时间', 2000) "}));
    EXPECT_EQ(host.session.count(QStringLiteral("ExecRcmsSql")), 1);

    host.session.clearCalls();
    host.session.queueValue(qint64(2000));
    EXPECT_EQ(GetSearchTime(), 2000);
    host.session.queueValue(QStringLiteral("350"));
    EXPECT_EQ(GetSearchTime(), 350);
    EXPECT_EQ(host.session.count(QStringLiteral("ExecRcmsSql")), 0);

    // A null value is missing too; a failed repair is not checked.
    host.session.queueValue(QVariant());
    host.session.queueResult(false);
    EXPECT_EQ(GetSearchTime(), 2000);

    host.session.queueValue(QStringLiteral("soon"));
    EXPECT_THROW(GetSearchTime(), data::LumoError);
}

TEST_F(Helpers, ReadIniStringWithAndWithoutLeadingBackslash)
{
    host.session.AppPath = dir.path();
    writeIni(QStringLiteral("setup.ini"),
             "[PhotoFTP]\r\nFTPServer=10.0.0.5\r\nftpuser=dXNlcg==\r\nList=a,b\r\n[general]\r\nX=1\r\n");
    QString value;
    ReadIniString(QStringLiteral("setup.ini"), QStringLiteral("PhotoFTP"), QStringLiteral("FTPServer"), value);
    EXPECT_EQ(value, "10.0.0.5");
    value.clear();
    ReadIniString(QStringLiteral("\\setup.ini"), QStringLiteral("PhotoFTP"), QStringLiteral("FTPServer"), value);
    EXPECT_EQ(value, "10.0.0.5");
    // Section and key names match in any letter case, as Windows' profile functions do.
    ReadIniString(QStringLiteral("setup.ini"), QStringLiteral("photoftp"), QStringLiteral("FTPUser"), value);
    EXPECT_EQ(value, "dXNlcg==");
    ReadIniString(QStringLiteral("setup.ini"), QStringLiteral("PhotoFTP"), QStringLiteral("List"), value);
    EXPECT_EQ(value, "a,b");
    ReadIniString(QStringLiteral("setup.ini"), QStringLiteral("General"), QStringLiteral("x"), value);
    EXPECT_EQ(value, "1");
    // Missing key, section or file: empty.
    value = QStringLiteral("old");
    ReadIniString(QStringLiteral("setup.ini"), QStringLiteral("PhotoFTP"), QStringLiteral("FTPPort"), value);
    EXPECT_EQ(value, "");
    value = QStringLiteral("old");
    ReadIniString(QStringLiteral("absent.ini"), QStringLiteral("PhotoFTP"), QStringLiteral("FTPServer"), value);
    EXPECT_EQ(value, "");
    // No session: the output keeps its value.
    value = QStringLiteral("old");
    UGlobalValue::HostSessionRef = nullptr;
    ReadIniString(QStringLiteral("setup.ini"), QStringLiteral("PhotoFTP"), QStringLiteral("FTPServer"), value);
    EXPECT_EQ(value, "old");
}

TEST_F(Helpers, MessagesGoThroughTheHost)
{
    ShowInfo(QStringLiteral("用户姓名不能为空!"));
    host.dispatch.queueConfirm(1);
    host.dispatch.queueConfirm(2);
    EXPECT_TRUE(ShowConfirm(QStringLiteral("确定删除吗?")));
    EXPECT_FALSE(ShowConfirm(QStringLiteral("确定删除吗?")));
    EXPECT_EQ(host.dispatch.log(), QStringList({"Prompt(用户姓名不能为空!)", "Confirm(确定删除吗?)",
                                                "Confirm(确定删除吗?)"}));
    host.session.HostDispatch = nullptr;
    EXPECT_THROW(ShowInfo(QStringLiteral("x")), data::LumoError);
}

TEST_F(Helpers, PhotoFtpSettingsAreReadAndDecoded)
{
    host.session.AppPath = dir.path();
    writeIni(QStringLiteral("setup.ini"),
             "[PhotoFTP]\nFTPServer=ftp.example\nFTPUser=dXNlcg==\nFTPPassWord=cGFzcw==\nFTPPort=  \n");
    EXPECT_TRUE(LoadPhotoFtpSettings());
    EXPECT_EQ(PhotoFtpServer, "ftp.example");
    EXPECT_EQ(PhotoFtpUser, "user");
    EXPECT_EQ(PhotoFtpPassword, "pass");
    EXPECT_EQ(PhotoFtpPort, "21");
    EXPECT_TRUE(PhotoFtpReady);
}

TEST_F(Helpers, PhotoFtpNotReadyWithoutUserOrFile)
{
    host.session.AppPath = dir.path();
    writeIni(QStringLiteral("setup.ini"), "[PhotoFTP]\nFTPServer=ftp.example\nFTPUser=\nFTPPort=2121\n");
    EXPECT_FALSE(LoadPhotoFtpSettings());
    EXPECT_EQ(PhotoFtpPort, "2121");
    EXPECT_FALSE(host.dispatch.log().join(u' ').contains("MimeDecode"));

    host.session.AppPath = dir.filePath(QStringLiteral("elsewhere"));
    EXPECT_FALSE(LoadPhotoFtpSettings());
    EXPECT_EQ(PhotoFtpServer, "");
    EXPECT_EQ(PhotoFtpUser, "");
    EXPECT_EQ(PhotoFtpPort, "21");
}

TEST_F(Helpers, RcmsToHrAreaCodeMapsOrFallsBack)
{
    host.session.RcmsAreaCode = QStringLiteral("3201");
    host.session.queueValue(QStringLiteral("320100"));
    QString hrCode;
    RcmsToHrAreaCode(QString(), hrCode);
    EXPECT_EQ(hrCode, "320100");
    EXPECT_EQ(host.session.statements(QStringLiteral("GetHrValue")),
              QStringList{"Select AreaCode From P_XZQH Where RCMSAreaCode = '3201'"});

    host.session.queueValue(QVariant());
    RcmsToHrAreaCode(QStringLiteral("99'9 "), hrCode);
    EXPECT_EQ(hrCode, "3201");
    EXPECT_EQ(host.session.statements().last(),
              "Select AreaCode From P_XZQH Where RCMSAreaCode = '99''9 '");
    host.session.queueValue(QStringLiteral(" null "));
    RcmsToHrAreaCode(QStringLiteral("5"), hrCode);
    EXPECT_EQ(hrCode, "3201");
    RcmsToHrAreaCode(QStringLiteral("5"), hrCode);  // no row: empty text
    EXPECT_EQ(hrCode, "3201");
}

TEST(HostDoubles, RecordingSessionAnswersInItsOrder)
{
    RecordingSession session;
    session.when(QStringLiteral("A"), Reply::ofValue(1));
    session.whenMatch(QStringLiteral("^A"), Reply::ofValue(2));
    session.queueValue(3);
    EXPECT_EQ(session.GetHrValue(QStringLiteral("A")).toInt(), 1);
    EXPECT_EQ(session.GetHrValue(QStringLiteral("AB")).toInt(), 2);
    EXPECT_EQ(session.GetHrValue(QStringLiteral("B")).toInt(), 3);
    EXPECT_EQ(session.GetHrValue(QStringLiteral("B")).toString(), "");

    session.execFalseOnCall(2);
    session.failWhen(QStringLiteral("Delete"));
    EXPECT_TRUE(session.ExecHrSql(QStringLiteral("x")));
    EXPECT_FALSE(session.ExecHrSql(QStringLiteral("y")));
    EXPECT_THROW(session.ExecRcmsSql(QStringLiteral("Delete p_User")), data::LumoError);
    session.BeginHrTrans();
    session.failOnCall(int(session.calls().size()) + 1);
    EXPECT_THROW(session.CommitHrTrans(), data::LumoError);
    EXPECT_EQ(session.hrBegins(), 1);
    EXPECT_EQ(session.hrCommits(), 1);
    EXPECT_EQ(session.ReplacePlaceholder(QStringLiteral("a XX b XX"), QStringLiteral("1"),
                                         QStringLiteral("XX")),
              "a 1 b 1");
}
