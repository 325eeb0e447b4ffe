#include "OdbcSession.h"

#include "DatabaseSchema.h"
#include "DatabaseLocation.h"
#include "LumoError.h"
#include "SqlSecrets.h"
#include "OdbcConnection.h"
#include "OdbcResultReader.h"
#include "OdbcStatement.h"
#include "PostgresPackets.h"
#include "SessionPackets.h"

OdbcSession::OdbcSession(const DatabaseLocation &hr, const DatabaseLocation &rcms, int loginTimeoutSeconds)
    : OdbcSession(
          std::make_shared<OdbcConnection>(hr, databaseLabel(SchemaDatabase::HealthRecord), loginTimeoutSeconds),
          std::make_shared<OdbcConnection>(rcms, databaseLabel(SchemaDatabase::Rcms), loginTimeoutSeconds))
{
}

OdbcSession::OdbcSession(std::shared_ptr<OdbcConnection> hr, std::shared_ptr<OdbcConnection> rcms)
    : m_hr(std::move(hr)), m_rcms(std::move(rcms))
{
}

std::unique_ptr<OdbcSession> OdbcSession::forOneDatabase(const DatabaseLocation &location, const QString &label,
                                                         int loginTimeoutSeconds)
{
    auto connection = std::make_shared<OdbcConnection>(location, label, loginTimeoutSeconds);
    return std::unique_ptr<OdbcSession>(new OdbcSession(connection, connection));
}

OdbcSession::~OdbcSession() = default;

data::ColumnPacket OdbcSession::firstResult(OdbcConnection &connection, const QString &sql, OdbcFetch fetch)
{
    data::ColumnPacket packet;
    bool haveResult = false;
    // The packet is the first result set; statements around it still run.
    connection.run(sql, [&](OdbcStatement &statement) {
        if (!haveResult) {
            packet = readOdbcColumnPacket(statement, fetch);
            haveResult = true;
        }
    });
    if (!haveResult)
        throw data::LumoError(connection.label() + QStringLiteral("的语句没有返回数据集\n语句: ") + maskSecrets(sql.trimmed()));
    if (connection.dialect() == OdbcDialect::PostgreSql)
        adaptPostgresPacket(packet, sql);
    return packet;
}

data::DataPacket OdbcSession::openData(OdbcConnection &connection, const QString &sql)
{
    // A packet is read a cell at a time, as it always was.
    return data::dataPacketOf(firstResult(connection, sql, OdbcFetch::RowByRow));
}

std::unique_ptr<data::ClientDataSet> OdbcSession::openDataSet(OdbcConnection &connection, const QString &sql)
{
    auto dataSet = std::make_unique<data::ClientDataSet>();
    const OdbcFetch fetch = connection.dialect() == OdbcDialect::PostgreSql ? OdbcFetch::InBlocks : OdbcFetch::RowByRow;
    dataSet->SetData(firstResult(connection, sql, fetch));
    return dataSet;
}

QVariant OdbcSession::value(OdbcConnection &connection, const QString &sql)
{
    QVariant result = QVariant(QString());
    bool haveResult = false;
    connection.run(sql, [&](OdbcStatement &statement) {
        if (!haveResult) {
            result = readOdbcFirstValue(statement);
            haveResult = true;
        }
    });
    return result;
}

data::DataPacket OdbcSession::OpenRcmsData(const QString &sql)
{
    return openData(*m_rcms, sql);
}

std::unique_ptr<data::ClientDataSet> OdbcSession::OpenRcmsQuery(const QString &sql)
{
    return openDataSet(*m_rcms, sql);
}

QVariant OdbcSession::GetRcmsValue(const QString &sql)
{
    return value(*m_rcms, sql);
}

bool OdbcSession::ExecRcmsSql(const QString &sql)
{
    m_rcms->execute(sql);
    return true;
}

void OdbcSession::BeginRcmsTrans()
{
    m_rcms->begin();
}

void OdbcSession::CommitRcmsTrans()
{
    m_rcms->commit();
}

void OdbcSession::RollbackRcmsTrans()
{
    m_rcms->rollback();
}

std::unique_ptr<data::ClientDataSet> OdbcSession::OpenRcmsDataSet(const QString &sql)
{
    return openDataSet(*m_rcms, sql);
}

data::DataPacket OdbcSession::OpenHrData(const QString &sql)
{
    return openData(*m_hr, sql);
}

std::unique_ptr<data::ClientDataSet> OdbcSession::OpenHrQuery(const QString &sql)
{
    return openDataSet(*m_hr, sql);
}

QVariant OdbcSession::GetHrValue(const QString &sql)
{
    return value(*m_hr, sql);
}

bool OdbcSession::ExecHrSql(const QString &sql)
{
    m_hr->execute(sql);
    return true;
}

void OdbcSession::BeginHrTrans()
{
    m_hr->begin();
}

void OdbcSession::CommitHrTrans()
{
    m_hr->commit();
}

void OdbcSession::RollbackHrTrans()
{
    m_hr->rollback();
}

QString OdbcSession::ReplacePlaceholder(const QString &source, const QString &value, const QString &placeholder)
{
    return replacePlaceholderText(source, value, placeholder);
}
