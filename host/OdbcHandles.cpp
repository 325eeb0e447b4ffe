#include "OdbcHandles.h"

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

void throwOdbcError(const QString &what, SQLSMALLINT handleType, SQLHANDLE handle)
{
    const QString diagnostics = odbcDiagnostics(handleType, handle);
    throw data::LumoError(diagnostics.isEmpty() ? what : what + QStringLiteral(": ") + diagnostics);
}
