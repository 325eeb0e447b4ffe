#include "OdbcHandles.h"

#include <QRegularExpression>
#include <QStringList>

#include <vector>

#include "LumoError.h"

namespace {

// One diagnostic record; false when there is no record of that number.
bool diagnosticRecord(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT number, QString *state, QString *message)
{
    SQLWCHAR sqlState[6] = {};
    SQLINTEGER nativeError = 0;
    std::vector<SQLWCHAR> text(SQL_MAX_MESSAGE_LENGTH + 1);
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRecW(handleType, handle, number, sqlState, &nativeError, text.data(),
                                  SQLSMALLINT(text.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(text.size())) {
        // Longer than the usual limit: ask again with room for all of it.
        text.resize(size_t(length) + 1);
        rc = SQLGetDiagRecW(handleType, handle, number, sqlState, &nativeError, text.data(),
                            SQLSMALLINT(text.size()), &length);
    }
    if (!SQL_SUCCEEDED(rc))
        return false;
    *state = fromSqlWText(sqlState, 5);
    *message = fromSqlWText(text.data(), qMin<qsizetype>(length, qsizetype(text.size()) - 1)).trimmed();
    return true;
}

} // namespace

QString odbcDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle)
{
    if (handle == SQL_NULL_HANDLE)
        return QString();
    QStringList lines;
    QString state, message;
    // A driver may pile up records; the first few say all there is to say.
    for (SQLSMALLINT number = 1; number <= 10 && diagnosticRecord(handleType, handle, number, &state, &message);
         ++number)
        lines << QStringLiteral("[%1] %2").arg(state, message);
    return lines.join(QLatin1Char('\n'));
}

QString odbcSqlState(SQLSMALLINT handleType, SQLHANDLE handle)
{
    QString state, message;
    if (handle != SQL_NULL_HANDLE && diagnosticRecord(handleType, handle, 1, &state, &message))
        return state;
    return QString();
}

QString odbcErrorCause(SQLSMALLINT handleType, SQLHANDLE handle)
{
    QString state, message;
    if (handle == SQL_NULL_HANDLE || !diagnosticRecord(handleType, handle, 1, &state, &message))
        return QString();
    if (state.startsWith(QLatin1String("08")))
        return QStringLiteral("与数据库的连接已断开");
    static const QStringList busyStates = {QStringLiteral("HYT00"), QStringLiteral("HYT01"), QStringLiteral("57014"),
                                           QStringLiteral("40001"), QStringLiteral("40P01"), QStringLiteral("55P03")};
    if (busyStates.contains(state))
        return QStringLiteral("数据库正忙, 请稍后再试");
    // "[unixODBC][FreeTDS][SQL Server]Violation of ..." → "Violation of ...";
    // the driver's first line says what went wrong, the rest is detail.
    static const QRegularExpression driverNames(QStringLiteral("^(\\[[^\\]]*\\])+"));
    // PostgreSQL's driver adds "ERROR:" before and ";" after the server's words.
    QString words = message.section(QLatin1Char('\n'), 0, 0).remove(driverNames).trimmed();
    if (words.startsWith(QLatin1String("ERROR:")))
        words = words.mid(6).trimmed();
    if (words.endsWith(QLatin1Char(';')))
        words.chop(1);
    if (!state.startsWith(QLatin1String("23")))
        return words;
    if (state == QLatin1String("23505"))
        return QStringLiteral("值已存在, 不能重复: ") + words;
    if (state == QLatin1String("23502"))
        return QStringLiteral("必填的值为空: ") + words;
    if (state == QLatin1String("23503"))
        return QStringLiteral("有其他数据引用此记录 (外键约束): ") + words;
    return QStringLiteral("违反数据约束: ") + words;
}

void throwOdbcError(const QString &what, SQLSMALLINT handleType, SQLHANDLE handle)
{
    const QString diagnostics = odbcDiagnostics(handleType, handle);
    throw data::LumoError(diagnostics.isEmpty() ? what : what + QStringLiteral(": ") + diagnostics,
                          odbcErrorCause(handleType, handle));
}
