#include "PostgresDatabases.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>
#include <QThread>

#include <atomic>

#include "LumoError.h"
#include "OdbcConnection.h"
#include "OdbcResultReader.h"

namespace {

constexpr int kLoginTimeoutSeconds = 10;

QString adminConnection()
{
    return qEnvironmentVariable("LUMO_TEST_PG_HR");
}

// "…;Database=x;…" with x replaced.
QString withDatabase(const QString &connection, const QString &database)
{
    static const QRegularExpression key(QStringLiteral("(^|;)\\s*Database\\s*=[^;]*"),
                                        QRegularExpression::CaseInsensitiveOption);
    QString result = connection;
    result.replace(key, QStringLiteral("\\1Database=") + database);
    return result;
}

// The database a connection string names.
QString databaseOf(const QString &connection)
{
    static const QRegularExpression key(QStringLiteral("(?:^|;)\\s*Database\\s*=([^;]*)"),
                                        QRegularExpression::CaseInsensitiveOption);
    return key.match(connection).captured(1).trimmed();
}

} // namespace

DatabaseLocation PostgresDatabases::untranslated(const QString &database)
{
    return DatabaseLocation::parse(QStringLiteral("odbc:") + connectionTo(database), QStringLiteral("mssql"));
}

bool PostgresDatabases::available()
{
    return !adminConnection().isEmpty();
}

QString PostgresDatabases::connectionTo(const QString &database)
{
    return withDatabase(adminConnection(), database);
}

PostgresDatabases::PostgresDatabases(Schema schema)
{
    if (!available())
        throw data::LumoError(QStringLiteral("no PostgreSQL test server (run the tests through scripts/postgres.sh)"));
    static std::atomic<int> serial{0};
    m_prefix = QStringLiteral("lumo_t%1_%2").arg(QCoreApplication::applicationPid()).arg(++serial);
    // Not connected to the templates: a template in use cannot be copied.
    m_admin = std::make_unique<OdbcConnection>(untranslated(QStringLiteral("postgres")), QStringLiteral("test server"),
                                               kLoginTimeoutSeconds);
    for (const SchemaDatabase database : {SchemaDatabase::HealthRecord, SchemaDatabase::Rcms}) {
        const QString templateName = schema == Schema::None ? QStringLiteral("template0")
            : databaseOf(qEnvironmentVariable(database == SchemaDatabase::HealthRecord ? "LUMO_TEST_PG_HR"
                                                                                         : "LUMO_TEST_PG_RCMS"));
        m_admin->execute(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name(database)));
        m_admin->execute(QStringLiteral("CREATE DATABASE %1 TEMPLATE %2 ENCODING 'UTF8'").arg(name(database), templateName));
    }
}

PostgresDatabases::~PostgresDatabases()
{
    m_hr.reset();
    m_rcms.reset();
    for (const SchemaDatabase database : {SchemaDatabase::HealthRecord, SchemaDatabase::Rcms}) {
        try {
            m_admin->execute(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name(database)));
        } catch (const data::LumoError &e) {
            qWarning("%s", qUtf8Printable(e.message()));
        }
    }
}

QString PostgresDatabases::name(SchemaDatabase database) const
{
    return m_prefix + (database == SchemaDatabase::HealthRecord ? QStringLiteral("_hr") : QStringLiteral("_rcms"));
}

DatabaseLocation PostgresDatabases::location(SchemaDatabase database) const
{
    return DatabaseLocation::parse(QStringLiteral("odbc:") + connectionTo(name(database)),
                                   QStringLiteral("postgresql"));
}

DatabaseLocation PostgresDatabases::hr() const
{
    return location(SchemaDatabase::HealthRecord);
}

DatabaseLocation PostgresDatabases::rcms() const
{
    return location(SchemaDatabase::Rcms);
}

OdbcConnection &PostgresDatabases::direct(SchemaDatabase database)
{
    std::unique_ptr<OdbcConnection> &connection = database == SchemaDatabase::HealthRecord ? m_hr : m_rcms;
    if (!connection) {
        connection = std::make_unique<OdbcConnection>(untranslated(name(database)), databaseLabel(database),
                                                      kLoginTimeoutSeconds);
    }
    return *connection;
}

void PostgresDatabases::exec(SchemaDatabase database, const QString &sql)
{
    direct(database).execute(sql);
}

QVariant PostgresDatabases::value(SchemaDatabase database, const QString &sql)
{
    QVariant result;
    bool first = true;
    direct(database).run(sql, [&](OdbcStatement &statement) {
        if (first)
            result = readOdbcFirstValue(statement);
        first = false;
    });
    return result;
}

void PostgresDatabases::cutConnections()
{
    m_hr.reset();
    m_rcms.reset();
    const QString ours = QStringLiteral("datname IN ('%1', '%2') AND pid <> pg_backend_pid()")
                             .arg(name(SchemaDatabase::HealthRecord), name(SchemaDatabase::Rcms));
    m_admin->execute(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE ") + ours);
    for (int i = 0; i < 200; ++i) {
        QVariant left;
        m_admin->run(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE ") + ours,
                     [&](OdbcStatement &statement) { left = readOdbcFirstValue(statement); });
        if (left.toLongLong() == 0)
            return;
        QThread::msleep(25);
    }
    throw data::LumoError(QStringLiteral("the server did not end the test's connections"));
}

QString PostgresDatabases::dump(SchemaDatabase database)
{
    QStringList tables;
    direct(database).run(QStringLiteral("SELECT table_name FROM information_schema.tables "
                                        "WHERE table_schema = current_schema() ORDER BY table_name"),
                         [&](OdbcStatement &statement) {
                             const data::DataPacket packet = readOdbcDataPacket(statement);
                             for (const auto &row : packet.rows)
                                 tables << row.at(0).toString();
                         });
    QString text;
    for (const QString &table : tables) {
        text += QStringLiteral("== ") + table + QLatin1Char('\n');
        text += value(database, QStringLiteral("SELECT coalesce(string_agg(r::text, E'\\n' ORDER BY r::text), '') "
                                               "FROM %1 r").arg(table))
                    .toString();
        text += QLatin1Char('\n');
    }
    return text;
}
