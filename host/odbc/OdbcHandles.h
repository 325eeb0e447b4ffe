#pragma once

#include <QString>

#include <sql.h>
#include <sqlext.h>

#include <utility>

// Text crosses the ODBC boundary as UTF-16 (the W functions and SQL_C_WCHAR),
// so that names reach the module intact whatever code page the server uses.
// unixODBC's SQLWCHAR is a 16-bit unit, the same as QChar.
static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "SQLWCHAR must be a UTF-16 code unit");

// Owns one ODBC handle and frees it with SQLFreeHandle. A connection handle
// must be disconnected before it is freed; OdbcConnection does that.
template <SQLSMALLINT HandleType>
class OdbcHandle
{
public:
    OdbcHandle() = default;
    explicit OdbcHandle(SQLHANDLE handle) : m_handle(handle) {}
    OdbcHandle(const OdbcHandle &) = delete;
    OdbcHandle &operator=(const OdbcHandle &) = delete;
    OdbcHandle(OdbcHandle &&other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    OdbcHandle &operator=(OdbcHandle &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    ~OdbcHandle() { reset(); }

    static constexpr SQLSMALLINT type = HandleType;
    SQLHANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != SQL_NULL_HANDLE; }

    void reset()
    {
        if (m_handle != SQL_NULL_HANDLE)
            SQLFreeHandle(HandleType, std::exchange(m_handle, nullptr));
    }

private:
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

using OdbcEnvironmentHandle = OdbcHandle<SQL_HANDLE_ENV>;
using OdbcConnectionHandle = OdbcHandle<SQL_HANDLE_DBC>;
using OdbcStatementHandle = OdbcHandle<SQL_HANDLE_STMT>;

// Every diagnostic record the driver left on a handle, one per line, as
// "[SQLSTATE] message"; empty when there is none.
QString odbcDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

// The SQLSTATE of the first diagnostic record, or an empty text.
QString odbcSqlState(SQLSMALLINT handleType, SQLHANDLE handle);

// What a person is told of the handle's first diagnostic record: a lost
// connection (SQLSTATE class 08), a busy database (a timeout, a lock or a
// deadlock), the rule a constraint (class 23) enforces, else the driver's own
// words without its bracketed names; empty when there is no record.
QString odbcErrorCause(SQLSMALLINT handleType, SQLHANDLE handle);
// Raises data::LumoError: what, then the driver's diagnostics of the handle.
[[noreturn]] void throwOdbcError(const QString &what, SQLSMALLINT handleType, SQLHANDLE handle);

// Allocates a handle of the given type below parent (SQL_NULL_HANDLE for an
// environment); raises data::LumoError when the driver manager refuses.
template <SQLSMALLINT HandleType>
OdbcHandle<HandleType> allocateOdbcHandle(SQLSMALLINT parentType, SQLHANDLE parent)
{
    SQLHANDLE handle = SQL_NULL_HANDLE;
    const SQLRETURN rc = SQLAllocHandle(HandleType, parent, &handle);
    if (!SQL_SUCCEEDED(rc)) {
        if (parent != SQL_NULL_HANDLE)
            throwOdbcError(QStringLiteral("ODBC句柄无法分配"), parentType, parent);
        throwOdbcError(QStringLiteral("ODBC环境无法建立 (unixODBC 是否已安装?)"), HandleType, SQL_NULL_HANDLE);
    }
    return OdbcHandle<HandleType>(handle);
}

// UTF-16 conversions for the W functions. The buffer of toSqlWText is
// zero-terminated and lives as long as the QString it came from is unchanged.
inline SQLWCHAR *toSqlWText(const QString &text)
{
    return reinterpret_cast<SQLWCHAR *>(const_cast<ushort *>(text.utf16()));
}

// Copies the units as they are: no byte-order mark is taken away and a
// surrogate pair cut between two reads joins up again when appended.
inline QString fromSqlWText(const SQLWCHAR *text, qsizetype length)
{
    return QString(reinterpret_cast<const QChar *>(text), length);
}
