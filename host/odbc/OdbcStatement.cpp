#include "OdbcStatement.h"

#include <vector>

#include "DatabaseLog.h"
#include "LumoError.h"
#include "SqlSecrets.h"

OdbcStatement::OdbcStatement(SQLHDBC connection, QString label, QString context, int timeoutSeconds)
    : m_handle(allocateOdbcHandle<SQL_HANDLE_STMT>(SQL_HANDLE_DBC, connection)),
      m_label(std::move(label)),
      m_context(std::move(context)),
      m_timeoutSeconds(timeoutSeconds)
{
    if (m_timeoutSeconds > 0) {
        SQLSetStmtAttrW(handle(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(m_timeoutSeconds)),
                        SQL_IS_UINTEGER);
    }
}

bool OdbcStatement::execute(const QString &sql)
{
    m_sql = sql;
    const SQLRETURN rc = SQLExecDirectW(handle(), toSqlWText(m_sql), SQL_NTS);
    if (rc == SQL_NO_DATA)
        return false;  // an update or delete that met no row
    if (!SQL_SUCCEEDED(rc))
        fail(m_label + QStringLiteral("语句无法执行"));
    return true;
}

bool OdbcStatement::execute(const QString &sql, const std::vector<QByteArray> &texts)
{
    std::vector<SQLLEN> lengths(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        lengths[i] = SQLLEN(texts[i].size());
        const SQLRETURN rc = SQLBindParameter(handle(), SQLUSMALLINT(i + 1), SQL_PARAM_INPUT, SQL_C_CHAR,
                                              SQL_LONGVARCHAR, SQLULEN(qMax<qsizetype>(1, texts[i].size())), 0,
                                              const_cast<char *>(texts[i].constData()), lengths[i], &lengths[i]);
        if (!SQL_SUCCEEDED(rc))
            fail(m_label + QStringLiteral("语句的参数无法绑定"));
    }
    return execute(sql);
}

bool OdbcStatement::executeQuietly(const QString &sql)
{
    m_sql = sql;
    SQLRETURN rc = SQLExecDirectW(handle(), toSqlWText(m_sql), SQL_NTS);
    while (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) {
        rc = SQLMoreResults(handle());
        if (rc == SQL_NO_DATA)
            return true;
    }
    // A driver manager that saw no pending result calls the request out of sequence.
    return sqlState() == QLatin1String("HY010");
}

QString OdbcStatement::sqlState() const
{
    return odbcSqlState(SQL_HANDLE_STMT, handle());
}

bool OdbcStatement::timedOut() const
{
    const QString state = sqlState();
    return m_timeoutSeconds > 0 && (state == QLatin1String("HYT00") || state == QLatin1String("57014"));
}

bool OdbcStatement::nextResult()
{
    const SQLRETURN rc = SQLMoreResults(handle());
    if (rc == SQL_NO_DATA)
        return false;
    if (!SQL_SUCCEEDED(rc)) {
        // A driver manager that saw no pending result calls the request out
        // of sequence: that is the end, not a failure of the statement.
        if (odbcSqlState(SQL_HANDLE_STMT, handle()) == QLatin1String("HY010"))
            return false;
        // SQL Server reports a failing statement of a batch here.
        fail(m_label + QStringLiteral("语句无法执行"));
    }
    return true;
}

int OdbcStatement::columnCount() const
{
    SQLSMALLINT count = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(handle(), &count)))
        fail(m_label + QStringLiteral("结果集无法读取"));
    return count;
}

OdbcColumn OdbcStatement::column(int index) const
{
    OdbcColumn column;
    std::vector<SQLWCHAR> name(256);
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT nullable = 0;
    auto describe = [&] {
        return SQLDescribeColW(handle(), SQLUSMALLINT(index), name.data(), SQLSMALLINT(name.size()), &nameLength,
                               &column.sqlType, &column.size, &column.digits, &nullable);
    };
    SQLRETURN rc = describe();
    if (SQL_SUCCEEDED(rc) && nameLength >= SQLSMALLINT(name.size())) {
        name.resize(size_t(nameLength) + 1);
        rc = describe();
    }
    if (!SQL_SUCCEEDED(rc))
        fail(m_label + QStringLiteral("结果集的列无法读取"));
    column.name = fromSqlWText(name.data(), qMin<qsizetype>(nameLength, qsizetype(name.size()) - 1));

    // The type's name tells what the SQL type alone does not (money from
    // decimal, an identity column). Not every driver gives it: then none.
    SQLWCHAR typeName[128] = {};
    SQLSMALLINT typeNameBytes = 0;
    if (SQL_SUCCEEDED(SQLColAttributeW(handle(), SQLUSMALLINT(index), SQL_DESC_TYPE_NAME, typeName,
                                       SQLSMALLINT(sizeof typeName), &typeNameBytes, nullptr))) {
        const qsizetype units = qMin<qsizetype>(typeNameBytes / qsizetype(sizeof(SQLWCHAR)),
                                                qsizetype(sizeof typeName / sizeof(SQLWCHAR)) - 1);
        column.typeName = fromSqlWText(typeName, units).trimmed();
    }
    return column;
}

bool OdbcStatement::fetch()
{
    const SQLRETURN rc = SQLFetch(handle());
    if (rc == SQL_NO_DATA)
        return false;
    if (!SQL_SUCCEEDED(rc))
        fail(m_label + QStringLiteral("结果行无法读取"));
    return true;
}

void OdbcStatement::fail(const QString &what) const
{
    QString text = what;
    QString cause = odbcErrorCause(SQL_HANDLE_STMT, handle());
    // A statement the timeout cancelled: most often it waited on a record
    // another client holds, which the driver's own text does not say.
    if (timedOut()) {
        text = m_label + QStringLiteral("数据库没有在%1秒内完成语句, 语句已取消 (所需的记录可能正被其他用户修改)")
                             .arg(m_timeoutSeconds);
    }
    const QString diagnostics = odbcDiagnostics(SQL_HANDLE_STMT, handle());
    if (!diagnostics.isEmpty())
        text += QStringLiteral(": ") + diagnostics;
    // The message goes to the log and up to the module's logs: a password's
    // value never goes with it.
    if (!m_sql.isEmpty())
        text += QStringLiteral("\n语句: ") + maskSecrets(m_sql.trimmed());
    if (!m_context.isEmpty())
        text += QLatin1Char('\n') + maskSecrets(m_context);
    qCWarning(lcHostDatabase).noquote() << text;
    throw data::LumoError(text, cause);
}
