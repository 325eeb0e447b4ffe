#include "OdbcConnection.h"

#include <QRegularExpression>
#include <QtGlobal>

#include <clocale>
#include <cstring>
#include <langinfo.h>
#include <system_error>

#include "DatabaseLocation.h"
#include "LumoError.h"
#include "OdbcResultReader.h"
#include "OdbcStatement.h"
#include "PostgresLikePrefix.h"
#include "PostgresRowLock.h"
#include "PostgresWriteMerge.h"
#include "SqlQuoted.h"

namespace {

// For a driver without Unicode entry points (Debian's SQLite driver is one)
// unixODBC turns the W calls' text into the C library's character set at
// connect time. In the "C" locale that set is ASCII and every Chinese
// character is cut to its low byte; such drivers expect UTF-8 anyway. Qt
// keeps its own text in UTF-16 and takes local 8-bit text as UTF-8, so only
// the character classification of the C library changes.
void useUtf8CharacterSet()
{
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0)
        return;
    for (const char *name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
        if (std::setlocale(LC_CTYPE, name))
            return;
    }
    qWarning("No UTF-8 locale is installed: Chinese text to drivers without Unicode entry points will be mangled.");
}

// psqlODBC takes in a whole result before it hands over the first row, and
// keeps it: a province's user table (a million rows) read for the
// synchronisation held most of a gigabyte in the driver beside the dataset
// made of it. Through a cursor, 10,000 rows a fetch, it holds one block;
// a connection string that says how to fetch is kept as it is.
QString connectionStringFor(const DatabaseLocation &location, OdbcDialect dialect)
{
    QString text = location.odbcConnection;
    static const QRegularExpression declareFetch(QStringLiteral("(^|;)\\s*UseDeclareFetch\\s*="),
                                                 QRegularExpression::CaseInsensitiveOption);
    if (dialect != OdbcDialect::PostgreSql || text.contains(declareFetch))
        return text;
    if (!text.isEmpty() && !text.endsWith(QLatin1Char(';')))
        text += QLatin1Char(';');
    return text + QStringLiteral("UseDeclareFetch=1;Fetch=10000;");
}

} // namespace

OdbcConnection::OdbcConnection(const DatabaseLocation &location, QString label, int loginTimeoutSeconds)
    : m_environment(allocateOdbcHandle<SQL_HANDLE_ENV>(SQL_HANDLE_ENV, SQL_NULL_HANDLE)),
      m_label(std::move(label)),
      m_dialect(odbcDialectFromName(location.dialect)),
      m_connectionString(connectionStringFor(location, m_dialect)),
      m_described(location.describe()),
      m_timeoutSeconds(qMax(1, loginTimeoutSeconds))
{
    if (!location.isOdbc())
        throw data::LumoError(m_label + QStringLiteral("没有给出ODBC连接字符串"));
    if (!SQL_SUCCEEDED(SQLSetEnvAttr(m_environment.get(), SQL_ATTR_ODBC_VERSION,
                                     reinterpret_cast<SQLPOINTER>(SQLULEN(SQL_OV_ODBC3)), 0)))
        throwOdbcError(QStringLiteral("ODBC环境无法设置为ODBC 3"), SQL_HANDLE_ENV, m_environment.get());
    useUtf8CharacterSet();
    connect();
}

void OdbcConnection::connect()
{
    m_connection = allocateOdbcHandle<SQL_HANDLE_DBC>(SQL_HANDLE_ENV, m_environment.get());

    // A server that does not answer must not hold the host for longer than
    // the configured time. Not every driver knows the connection timeout; a
    // driver that refuses it still has its login timeout.
    const auto seconds = reinterpret_cast<SQLPOINTER>(SQLULEN(m_timeoutSeconds));
    SQLSetConnectAttrW(m_connection.get(), SQL_ATTR_LOGIN_TIMEOUT, seconds, SQL_IS_UINTEGER);
    SQLSetConnectAttrW(m_connection.get(), SQL_ATTR_CONNECTION_TIMEOUT, seconds, SQL_IS_UINTEGER);

    SQLWCHAR completed[1024];
    SQLSMALLINT completedLength = 0;
    const SQLRETURN rc = SQLDriverConnectW(m_connection.get(), nullptr, toSqlWText(m_connectionString), SQL_NTS,
                                           completed, SQLSMALLINT(sizeof completed / sizeof(SQLWCHAR)),
                                           &completedLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        QString diagnostics = odbcDiagnostics(SQL_HANDLE_DBC, m_connection.get());
        if (diagnostics.isEmpty())
            diagnostics = QStringLiteral("驱动程序没有给出原因");
        m_connection.reset();
        throw data::LumoError(QStringLiteral("%1无法连接: %2\n%3").arg(m_label, m_described, diagnostics));
    }
    m_connected = true;
    m_autocommit = true;
}

void OdbcConnection::disconnect()
{
    if (m_connected)
        SQLDisconnect(m_connection.get());
    m_connected = false;
    m_connection.reset();
}

OdbcConnection::~OdbcConnection()
{
    try {
        finishSending();
    } catch (...) {
        // Whatever the request met, the transaction is abandoned below.
    }
    if (!m_connected)
        return;
    // An open transaction of a connection being closed is abandoned, never
    // half-written.
    if (!m_lost)
        rollback();
    disconnect();
}

QString OdbcConnection::lostConnectionText()
{
    return QStringLiteral("与数据库的连接已断开");
}

bool OdbcConnection::connectionDead() const
{
    if (!m_connected)
        return true;
    SQLUINTEGER dead = SQL_CD_FALSE;
    return SQL_SUCCEEDED(SQLGetConnectAttrW(m_connection.get(), SQL_ATTR_CONNECTION_DEAD, &dead, SQL_IS_UINTEGER, nullptr))
        && dead == SQL_CD_TRUE;
}

void OdbcConnection::failLost(const QString &details)
{
    m_lost = true;
    QString text = m_label + lostConnectionText();
    if (m_depth > 0)
        text += QStringLiteral(", 未完成的事务已被数据库撤销");
    if (!details.isEmpty())
        text += QLatin1Char('\n') + details;
    throw data::LumoError(text, QStringLiteral("与数据库的连接已断开"));
}

void OdbcConnection::reconnectIfLost()
{
    if (!m_lost)
        return;
    if (m_depth > 0)
        failLost(QString());
    disconnect();
    try {
        connect();
    } catch (const data::LumoError &e) {
        failLost(e.message());
    }
    m_lost = false;
}

int OdbcConnection::statementTimeout() const
{
    // PostgreSQL's driver cancels a statement at the timeout; others keep
    // their own waiting rules (the SQLite driver its busy timeout).
    return m_dialect == OdbcDialect::PostgreSql ? m_timeoutSeconds : 0;
}

void OdbcConnection::runStatement(const QString &text, const QString &context,
                                  const std::function<void(OdbcStatement &)> &visit,
                                  const std::vector<QByteArray> &texts)
{
    try {
        OdbcStatement statement(m_connection.get(), m_label, context, statementTimeout());
        bool haveResult = texts.empty() ? statement.execute(text) : statement.execute(text, texts);
        if (!haveResult)
            haveResult = statement.nextResult();
        while (haveResult) {
            if (statement.columnCount() > 0)
                visit(statement);
            haveResult = statement.nextResult();
        }
    } catch (const data::LumoError &e) {
        if (connectionDead())
            failLost(e.message());
        throw;
    }
}

namespace {

// When the text run is not what the module sent, both go in messages.
QString contextOf(const QString &text, const QString &tsql)
{
    return text.trimmed() == tsql.trimmed() ? QString() : QStringLiteral("原语句: ") + tsql.trimmed();
}

} // namespace

void OdbcConnection::run(const QString &tsql, const std::function<void(OdbcStatement &)> &visit)
{
    finishSending();
    reconnectIfLost();
    // A read sees what the transaction wrote before it. A write failing there
    // is told by the commit: raised here, it would be taken for the read's.
    sendBatch(true);
    const bool lockRowsRead = m_dialect == OdbcDialect::PostgreSql && m_depth > 0;
    for (const QString &text : odbcStatements(m_dialect, tsql)) {
        try {
            runStatement(lockRowsRead ? withRowLockOfOneRowRead(text) : text, contextOf(text, tsql), visit);
        } catch (const data::LumoError &) {
            // The earlier failure first: it may be why the read failed.
            if (!m_lost)
                raiseKeptFailure();
            throw;
        }
    }
}

void OdbcConnection::execute(const QString &tsql)
{
    if (m_dialect != OdbcDialect::PostgreSql || m_depth == 0) {
        run(tsql, [](OdbcStatement &) {});
        return;
    }
    // While a request is on its way, its thread owns the states read here:
    // they are looked at when it is back, before the next one goes.
    if (!m_sending.valid()) {
        reconnectIfLost();
        // The transaction failed already: nothing more of it goes to the server.
        if (m_batchFailure)
            return;
    }
    for (const QString &text : odbcStatements(m_dialect, tsql))
        m_batch.add(text, contextOf(text, tsql));
    if (m_batch.isFull())
        sendBatchAside();
}

void OdbcConnection::executeAsWritten(const QString &statement)
{
    if (m_dialect != OdbcDialect::PostgreSql || m_depth == 0) {
        finishSending();
        reconnectIfLost();
        sendBatch(true);
        runStatement(statement, QString(), [](OdbcStatement &) {});
        return;
    }
    if (!m_sending.valid()) {
        reconnectIfLost();
        if (m_batchFailure)
            return;
    }
    m_batch.add(statement, QString());
    if (m_batch.isFull())
        sendBatchAside();
}

void OdbcConnection::executeAsWritten(const QString &statement, std::vector<QByteArray> texts)
{
    finishSending();
    reconnectIfLost();
    const bool held = m_dialect == OdbcDialect::PostgreSql && m_depth > 0;
    if (!held) {
        sendBatch(true);
        runStatement(statement, QString(), [](OdbcStatement &) {}, texts);
        return;
    }
    if (m_batchFailure)
        return;
    sendBatch(true);
    if (m_batchFailure)
        return;
    auto send = [this, statement, texts = std::move(texts)] {
        try {
            runStatement(statement, QString(), [](OdbcStatement &) {}, texts);
        } catch (const data::LumoError &e) {
            if (m_lost)
                throw;
            m_batchFailure = e;
        }
    };
    try {
        m_sending = std::async(std::launch::async, send);
    } catch (const std::system_error &) {
        send();
    }
}

void OdbcConnection::raiseKeptFailure() const
{
    if (m_batchFailure)
        throw *m_batchFailure;
}

QString OdbcConnection::requestText(const std::vector<QString> &statements)
{
    return OdbcBatch::text(PostgresWriteMerge::merged(
        statements, [this](const QString &table, const QString &column) { return columnType(table, column); }));
}

void OdbcConnection::sendBatch(bool keep)
{
    if (m_batch.isEmpty())
        return;
    const std::vector<OdbcBatch::Entry> entries = m_batch.entries();
    const QString text = requestText(m_batch.statements());
    m_batch.clear();
    sendEntries(entries, text, keep);
}

void OdbcConnection::sendBatchAside()
{
    // Made while the request before is still on its way (a column type not
    // known yet waits for it: asking needs the connection).
    const QString text = requestText(m_batch.statements());
    finishSending();
    if (m_batchFailure) {
        m_batch.clear();
        return;
    }
    const std::vector<OdbcBatch::Entry> entries = m_batch.entries();
    m_batch.clear();
    try {
        m_sending = std::async(std::launch::async, [this, entries, text] { sendEntries(entries, text, true); });
    } catch (const std::system_error &) {
        // No thread to be had: the request goes now, on this one.
        sendEntries(entries, text, true);
    }
}

void OdbcConnection::finishSending()
{
    if (!m_sending.valid())
        return;
    std::future<void> sending = std::move(m_sending);
    sending.get();
}

void OdbcConnection::sendEntries(const std::vector<OdbcBatch::Entry> &entries, const QString &text, bool keep)
{
    try {
        OdbcStatement statement(m_connection.get(), m_label, QString(), statementTimeout());
        if (statement.executeQuietly(text))
            return;
        if (connectionDead())
            failLost(odbcDiagnostics(SQL_HANDLE_STMT, statement.handle()));
        // Which statement waited cannot be told without waiting once more.
        if (statement.timedOut())
            statement.fail(m_label + QStringLiteral("语句无法执行"));
    } catch (const data::LumoError &e) {
        if (!keep || m_lost)
            throw;
        m_batchFailure = e;
        return;
    }
    // Back to where the request began (the driver may have gone back
    // already, then this fails harmlessly), and again one by one: the first
    // statement that fails is the one to name. When none does, the failure
    // passed and the statements are written as they should be.
    try {
        runStatement(OdbcBatch::backToSavepoint(), QString(), [](OdbcStatement &) {});
    } catch (const data::LumoError &) {
        if (m_lost)
            throw;
    }
    for (const OdbcBatch::Entry &entry : entries) {
        try {
            runStatement(entry.statement, entry.context, [](OdbcStatement &) {});
        } catch (const data::LumoError &e) {
            if (!keep || m_lost)
                throw;
            m_batchFailure = e;
            return;
        }
    }
}

QString OdbcConnection::columnType(const QString &table, const QString &column)
{
    const QString key = table.toLower();
    auto types = m_columnTypes.find(key);
    if (types == m_columnTypes.end()) {
        finishSending();
        QHash<QString, QString> read;
        // Without the length: a cast to varchar(20) would cut a longer value
        // that the column's own check must refuse.
        runStatement(QStringLiteral("SELECT attname, format_type(atttypid, NULL) FROM pg_attribute "
                                    "WHERE attrelid = to_regclass(%1) AND attnum > 0 AND NOT attisdropped")
                         .arg(sqlQuoted(table)),
                     QString(), [&read](OdbcStatement &statement) {
                         for (const auto &row : readOdbcDataPacket(statement).rows)
                             read.insert(row.at(0).toString().toLower(), row.at(1).toString());
                     });
        types = m_columnTypes.insert(key, read);
    }
    return types->value(column.toLower());
}

void OdbcConnection::setAutocommit(bool on)
{
    const auto value = reinterpret_cast<SQLPOINTER>(SQLULEN(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF));
    if (!SQL_SUCCEEDED(SQLSetConnectAttrW(m_connection.get(), SQL_ATTR_AUTOCOMMIT, value, SQL_IS_UINTEGER))) {
        throwOdbcError(m_label + (on ? QStringLiteral("无法恢复自动提交") : QStringLiteral("无法开始事务")),
                       SQL_HANDLE_DBC, m_connection.get());
    }
    m_autocommit = on;
}

void OdbcConnection::begin()
{
    finishSending();
    if (m_depth > 0) {
        ++m_depth;
        return;
    }
    reconnectIfLost();
    setAutocommit(false);
    m_depth = 1;
}

void OdbcConnection::commit()
{
    finishSending();
    if (m_depth == 0)
        throw data::LumoError(m_label + QStringLiteral("没有打开的事务, 无法提交"));
    if (m_depth > 1) {
        --m_depth;
        return;
    }
    // A failing commit leaves the transaction open: the caller rolls it back.
    if (m_lost)
        failLost(QString());
    sendBatch(false);
    raiseKeptFailure();
    if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, m_connection.get(), SQL_COMMIT))) {
        const QString details = odbcDiagnostics(SQL_HANDLE_DBC, m_connection.get());
        if (connectionDead())
            failLost(details);
        throwOdbcError(m_label + QStringLiteral("事务无法提交"), SQL_HANDLE_DBC, m_connection.get());
    }
    m_depth = 0;
    try {
        setAutocommit(true);
    } catch (const data::LumoError &e) {
        // The data is written; saying otherwise would make the caller report
        // a failed save. The next begin switches autocommit off again anyway.
        qWarning("%s", qUtf8Printable(e.message()));
    }
}

void OdbcConnection::rollback()
{
    try {
        finishSending();
    } catch (...) {
        // A cut is known now (nothing is left to roll back then); anything
        // else the request met is undone by the rollback below.
    }
    m_depth = 0;
    m_batch.clear();
    m_batchFailure.reset();
    // A cut connection has nothing left to roll back: the server did it.
    if (m_autocommit || m_lost)
        return;
    if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, m_connection.get(), SQL_ROLLBACK))) {
        // Switching autocommit back on would commit what failed to roll
        // back: stay in manual mode, so nothing of it is ever written.
        qWarning("%s: rollback failed: %s", qUtf8Printable(m_label),
                 qUtf8Printable(odbcDiagnostics(SQL_HANDLE_DBC, m_connection.get())));
        return;
    }
    try {
        setAutocommit(true);
    } catch (const data::LumoError &e) {
        qWarning("%s", qUtf8Printable(e.message()));
    }
}
