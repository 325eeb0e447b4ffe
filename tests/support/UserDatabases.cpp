#include "UserDatabases.h"

#include "CompositeSession.h"
#include "DatabaseSchema.h"
#include "LumoError.h"
#include "OdbcSession.h"
#include "SessionBackends.h"
#include "SqliteSession.h"
#include "UGlobalValue.h"

QString UserDatabases::hrBackend()
{
    const QString backend = qEnvironmentVariable("LUMO_TEST_HR_BACKEND").trimmed().toLower();
    if (backend.isEmpty() || backend == QLatin1String("sqlite"))
        return QStringLiteral("sqlite");
    if (backend == QLatin1String("odbc") || backend == QLatin1String("postgresql"))
        return backend;
    throw data::LumoError(
        QStringLiteral("LUMO_TEST_HR_BACKEND: unknown backend \"%1\" (sqlite, odbc, postgresql)").arg(backend));
}

QString UserDatabases::unavailableReason()
{
    if (hrBackend() == QLatin1String("postgresql") && !PostgresDatabases::available())
        return QStringLiteral("no PostgreSQL test server (scripts/test.sh starts one)");
    return QString();
}

UserDatabases::UserDatabases()
{
    SqliteSession::createDatabases(hrFile(), rcmsFile());
    m_hrFile.emplace(SqliteDatabase::openExisting(hrFile(), databaseLabel(SchemaDatabase::HealthRecord)));
    m_rcmsFile.emplace(SqliteDatabase::openExisting(rcmsFile(), databaseLabel(SchemaDatabase::Rcms)));
    std::unique_ptr<HostSession> &inner = m_inner;
    if (hrBackend() == QLatin1String("postgresql")) {
        m_server = std::make_unique<PostgresDatabases>();
        inner = std::make_unique<OdbcSession>(m_server->hr(), m_server->rcms(), 10);
    } else if (hrBackend() == QLatin1String("odbc")) {
        inner = std::make_unique<CompositeSession>(
            OdbcSession::forOneDatabase(sqliteOverOdbc(hrFile()), databaseLabel(SchemaDatabase::HealthRecord), 10),
            std::make_unique<SqliteSession>(rcmsFile(), rcmsFile()));
    } else {
        inner = std::make_unique<SqliteSession>(hrFile(), rcmsFile());
    }
    m_session = std::make_unique<HookedSession>(*inner);
    hr(QStringLiteral(
        "Insert Into P_XZQH (AreaCode, AreaName, ParentAreaCode, RCMSAreaCode) Values "
        "('510101', '示范县', '5101', '5101'), ('510101001', '一乡', '510101', '51010101'), "
        "('510101002', '二乡', '510101', '51010102'), ('51010100101', '一村', '510101001', Null), "
        "('510102', '邻县', '5101', '5102')"));
    hr(QStringLiteral(
        "Insert Into P_YLFWDW (OrgCode, OrgName, AreaCode, StaAreaCode, Spell, FiveStrokes) Values "
        "('C0', '示范县卫生局', '5101', '510101', 'SFXWSJ', 'FFEB'), "
        "('A1', '一乡卫生院', '51010101', '510101001', 'YXWSY', 'GXBB'), "
        "('A2', '一乡防保所', '51010101', '510101001', 'YXFBS', 'GXBW'), "
        "('B1', '二乡卫生院', '51010102', '510101002', 'EXWSY', 'FXBB'), "
        "('Z1', '邻县卫生局', '5102', '510102', 'LXWSJ', 'WEBN')"));
    hr(QStringLiteral(
        "Insert Into p_User (UserCode, UserName, Spell, FiveStrokes, OrgCode, Grade, ContactType, PassWord) Values "
        "('admin', '管理员', 'GLY', 'TGK', 'C0', '1', '', 'x'), "
        "('51010100100001', '张三', 'ZS', 'XD', 'A1', '3', '13800000001', 'p1'), "
        "('51010100100002', '李四', 'LS', 'SL', 'A2', '3', '13800000002', 'p2'), "
        "('51010100100003', '王五', 'WW', 'GG', 'A1', '3', '', 'p3'), "
        "('51010200000001', '赵六', 'ZL', 'FU', 'Z1', '3', '', 'p4')"));
    m_session->UserCode = QStringLiteral("admin");
    m_session->OrgCode = QStringLiteral("C0");
    m_session->RcmsAreaCode = QStringLiteral("5101");
    m_session->AppPath = m_dir.path();
    m_session->HostDispatch = &dispatch;
    m_session->CodePicker = &picker;
    m_session->RightsData = &rights;
    grant({254, 255, 256, 257});
    UGlobalValue::HostSessionRef = m_session.get();
}

UserDatabases::~UserDatabases()
{
    if (UGlobalValue::HostSessionRef == m_session.get())
        UGlobalValue::HostSessionRef = nullptr;
}

void UserDatabases::onSessionCall(std::function<void(const char *, const QString &)> hook)
{
    m_session->beforeCall = std::move(hook);
}

void UserDatabases::grant(std::initializer_list<int> functions)
{
    data::DataPacket packet;
    packet.fields = {{QStringLiteral("ModFunTyp"), data::FieldType::Integer, 0},
                     {QStringLiteral("ModFunID"), data::FieldType::String, 20}};
    for (int f : functions)
        packet.rows.append({3, QString::number(f)});
    rights.SetFiltered(false);
    rights.SetFilter(QString());
    rights.SetData(packet);
}

void UserDatabases::hr(const QString &sql)
{
    if (m_server)
        m_server->exec(SchemaDatabase::HealthRecord, sql);
    else
        m_hrFile->execute(sql);
}

void UserDatabases::rcms(const QString &sql)
{
    if (m_server)
        m_server->exec(SchemaDatabase::Rcms, sql);
    else
        m_rcmsFile->execute(sql);
}

QVariant UserDatabases::hrValue(const QString &sql)
{
    return m_session->GetHrValue(sql);
}

QString UserDatabases::hrUsers()
{
    const data::DataPacket packet = m_session->OpenHrData(
        QStringLiteral("Select UserCode, UserName, Spell, FiveStrokes, OrgCode, Grade, ContactType, PassWord "
                       "From p_User Order By UserCode"));
    QStringList rows;
    for (const auto &row : packet.rows) {
        QStringList cells;
        for (const QVariant &v : row)
            cells << (v.isNull() ? QStringLiteral("<null>") : v.toString());
        rows << cells.join(QLatin1Char('|'));
    }
    return rows.join(QLatin1Char('\n'));
}

QStringList UserDatabases::syncLogRuns()
{
    QStringList rows;
    for (const auto &r : m_session->OpenHrData(QStringLiteral("Select Result, AddedCount, UpdatedCount, SameCount, "
                                                              "Cause From TSys_UserSyncLog Order By LogID")).rows)
        rows << QStringLiteral("%1 %2/%3/%4 %5").arg(r.at(0).toString()).arg(r.at(1).toInt()).arg(r.at(2).toInt())
                    .arg(r.at(3).toInt()).arg(r.at(4).toString());
    return rows;
}
