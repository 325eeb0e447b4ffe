// Opening the configured session: each database a SQLite file or an ODBC
// connection, in any mix, and connections that cannot be made failing fast
// with the database's name and the driver's own words.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "CompositeSession.h"
#include "ErrorMessages.h"
#include "HostConfig.h"
#include "LumoError.h"
#include "OdbcSession.h"
#include "SessionBackends.h"
#include "SessionFactory.h"
#include "TempDatabases.h"

namespace {

// A TCP socket on the loopback address, closed with the object. listening:
// it takes connections (the kernel completes them) and never says a word.
class LoopbackSocket
{
public:
    explicit LoopbackSocket(bool listening)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        socklen_t length = sizeof address;
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), length) != 0
            || (listening && ::listen(m_fd, 4) != 0)
            || ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            throw data::LumoError(QStringLiteral("loopback socket: %1").arg(QString::fromLocal8Bit(strerror(errno))));
        m_port = ntohs(address.sin_port);
    }
    ~LoopbackSocket() { close(); }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    int port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

QString freeTdsTo(int port)
{
    return QStringLiteral("odbc:Driver=FreeTDS;Server=127.0.0.1;Port=%1;Database=hr;UID=lumo;PWD=s3cret;"
                          "TDS_Version=7.4;ClientCharset=UTF-8")
        .arg(port);
}

class SessionFactoryTest : public ::testing::Test
{
protected:
    HostConfig config(const DatabaseLocation &hr, const DatabaseLocation &rcms, int timeout = 10) const
    {
        HostConfig c;
        c.hr = hr;
        c.rcms = rcms;
        c.userCode = QStringLiteral("admin");
        c.loginTimeoutSeconds = timeout;
        return c;
    }
    DatabaseLocation hrFile() const { return DatabaseLocation::parse(files.hrFile()); }
    DatabaseLocation rcmsFile() const { return DatabaseLocation::parse(files.rcmsFile()); }

    // Each side's slots reach its own file: a marker row in each database.
    void expectEachSideReachesItsFile(HostSession &session)
    {
        session.ExecHrSql(QStringLiteral("Insert Into p_User (UserCode, UserName) Values ('hr1', '健康')"));
        session.BeginRcmsTrans();
        session.ExecRcmsSql(QStringLiteral("Insert Into TSys_Param Values ('rc1', '农合', 'v')"));
        session.CommitRcmsTrans();
        EXPECT_EQ(files.hrValue(QStringLiteral("SELECT UserName FROM p_User WHERE UserCode = 'hr1'")).toString(),
                  QStringLiteral("健康"));
        EXPECT_EQ(files.rcmsValue(QStringLiteral("SELECT ParamDesc FROM TSys_Param")).toString(), QStringLiteral("农合"));
        EXPECT_EQ(session.GetHrValue(QStringLiteral("Select Count(*) From p_User")).toLongLong(), 1);
        EXPECT_EQ(session.OpenRcmsDataSet(QStringLiteral("Select * From TSys_Param"))->RecordCount(), 1);
        // Each table lives on one side only.
        EXPECT_THROW(session.GetRcmsValue(QStringLiteral("Select Count(*) From P_XZQH")), data::LumoError);
        EXPECT_THROW(session.GetHrValue(QStringLiteral("Select Count(*) From TSys_Param")), data::LumoError);
    }

    TempDatabases files;
};

TEST_F(SessionFactoryTest, HealthRecordsOverOdbcAndRcmsInAFile)
{
    auto session = openHostSession(config(sqliteOverOdbc(files.hrFile()), rcmsFile()));
    ASSERT_NE(dynamic_cast<CompositeSession *>(session.get()), nullptr);
    expectEachSideReachesItsFile(*session);
}

TEST_F(SessionFactoryTest, HealthRecordsInAFileAndRcmsOverOdbc)
{
    auto session = openHostSession(config(hrFile(), sqliteOverOdbc(files.rcmsFile())));
    ASSERT_NE(dynamic_cast<CompositeSession *>(session.get()), nullptr);
    expectEachSideReachesItsFile(*session);
}

TEST_F(SessionFactoryTest, BothOverOdbc)
{
    auto session = openHostSession(config(sqliteOverOdbc(files.hrFile()), sqliteOverOdbc(files.rcmsFile())));
    ASSERT_NE(dynamic_cast<OdbcSession *>(session.get()), nullptr);
    expectEachSideReachesItsFile(*session);
}

TEST_F(SessionFactoryTest, AMissingFileBesideAnOdbcSideIsNamedAfterItsDatabase)
{
    const QString missing = files.filePath(QStringLiteral("missing.db"));
    const std::string message =
        messageOf([&] { openHostSession(config(sqliteOverOdbc(files.hrFile()), DatabaseLocation::parse(missing))); });
    EXPECT_EQ(message.rfind("农合数据库文件不存在", 0), 0u) << message;
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(SessionFactoryTest, UnknownDriverNamesTheDatabaseAndTheDriverManagersText)
{
    const DatabaseLocation bad =
        DatabaseLocation::parse(QStringLiteral("odbc:Driver={No Such Driver};Database=x;PWD=s3cret"));
    const std::string message = messageOf([&] { openHostSession(config(bad, rcmsFile())); });
    EXPECT_EQ(message.rfind("健康档案数据库无法连接", 0), 0u) << message;
    EXPECT_NE(message.find("No Such Driver"), std::string::npos) << message;
    EXPECT_NE(message.find("[unixODBC][Driver Manager]"), std::string::npos) << "the driver manager's own words: " << message;
    EXPECT_EQ(message.find("s3cret"), std::string::npos) << "never a password in a message";
}

TEST_F(SessionFactoryTest, ClosedPortIsRefusedAtOnceWithFreeTdsText)
{
    LoopbackSocket socket(false);
    const int port = socket.port();
    socket.close();  // nobody listens there now
    const std::string message =
        messageOf([&] { openHostSession(config(hrFile(), DatabaseLocation::parse(freeTdsTo(port)))); });
    EXPECT_EQ(message.rfind("农合数据库无法连接", 0), 0u) << message;
    EXPECT_NE(message.find("127.0.0.1"), std::string::npos) << message;
    EXPECT_NE(message.find("[08001]"), std::string::npos) << "FreeTDS's own diagnostic: " << message;
    EXPECT_EQ(message.find("s3cret"), std::string::npos);
}

// A server that takes the connection and never answers holds the host no
// longer than the login timeout (here 2 s; the bound leaves room for a slow
// machine, it only has to tell a timeout from a hang).
TEST_F(SessionFactoryTest, SilentServerGivesUpAfterTheLoginTimeout)
{
    LoopbackSocket silent(true);
    QElapsedTimer timer;
    timer.start();
    const std::string message =
        messageOf([&] { openHostSession(config(DatabaseLocation::parse(freeTdsTo(silent.port())), rcmsFile(), 2)); });
    EXPECT_LT(timer.elapsed(), 20000);
    EXPECT_EQ(message.rfind("健康档案数据库无法连接", 0), 0u) << message;
}

TEST_F(SessionFactoryTest, ConnectionStringsComeFromTheIniFileWithTheirDialects)
{
    const QString ini = files.filePath(QStringLiteral("lumohost.ini"));
    {
        QFile file(ini);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        // Quoted, as the README says: a connection string holds ";" and may
        // hold "," (Server=host,1433), which an ini value would otherwise split.
        file.write(QStringLiteral("[Databases]\nHR=\"odbc:Driver={SQLite3};Database=%1;Timeout=2000,\"\nHRDialect=sqlite\n"
                                  "RCMS=%2\nLoginTimeout=7\n[Login]\nUserCode=admin\n")
                       .arg(files.hrFile(), files.rcmsFile())
                       .toUtf8());
    }
    const HostConfig config = HostConfig::fromArguments({QStringLiteral("--config"), ini});
    EXPECT_EQ(config.hr.odbcConnection,
              QStringLiteral("Driver={SQLite3};Database=%1;Timeout=2000,").arg(files.hrFile()));
    EXPECT_EQ(config.hr.dialect, QStringLiteral("sqlite"));
    EXPECT_EQ(config.loginTimeoutSeconds, 7);
    auto session = openHostSession(config);
    expectEachSideReachesItsFile(*session);
}

TEST_F(SessionFactoryTest, HostExitsWithTheMessageWhenADatabaseCannotBeReached)
{
    QProcess host;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    host.setProcessEnvironment(env);
    host.start(QStringLiteral(LUMO_HOST_PATH),
               {QStringLiteral("--hr"), QStringLiteral("odbc:Driver={No Such Driver};PWD=s3cret"),
                QStringLiteral("--rcms"), files.rcmsFile(), QStringLiteral("--user"), QStringLiteral("admin"),
                QStringLiteral("--login-timeout"), QStringLiteral("3")});
    ASSERT_TRUE(host.waitForFinished(60000));
    const QString errors = QString::fromUtf8(host.readAllStandardError());
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(host.exitCode(), 0);
    EXPECT_TRUE(errors.contains(QStringLiteral("健康档案数据库无法连接"))) << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("No Such Driver"))) << errors.toStdString();
    EXPECT_FALSE(errors.contains(QStringLiteral("s3cret")));
}

} // namespace
