#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

#include "OdbcHandles.h"

// How the driver describes one column of a result (SQLDescribeColW, and the
// type's own name from SQLColAttributeW).
struct OdbcColumn
{
    QString name;
    SQLSMALLINT sqlType = SQL_UNKNOWN_TYPE;
    SQLULEN size = 0;          // characters for text, digits for numbers
    SQLSMALLINT digits = 0;    // scale of decimals, fraction digits of times
    QString typeName;          // "nvarchar", "money", "int identity", ...
};

// One statement handle on a connection, freed (and any cursor with it) when it
// goes out of scope. A failing call raises data::LumoError carrying the
// driver's diagnostics, the statement and the module's text it came from.
class OdbcStatement
{
public:
    // label names the database; context is added to messages (the module's
    // text when the statement run differs from it). A statement still running
    // after timeoutSeconds (0: no limit) is cancelled and fails.
    OdbcStatement(SQLHDBC connection, QString label, QString context = QString(), int timeoutSeconds = 0);

    SQLHSTMT handle() const { return m_handle.get(); }
    const QString &sql() const { return m_sql; }

    // Runs one text directly. Returns true when a result (rows or a row
    // count) is current, false when the driver says there is none.
    bool execute(const QString &sql);
    // As execute, each `?` of sql bound in turn to one of texts (UTF-8, the
    // server's encoding): a text of megabytes goes as it is, never quoted into
    // the statement nor read by the driver's parser of statements.
    bool execute(const QString &sql, const std::vector<QByteArray> &texts);
    // Runs a text of several statements and walks past all their results.
    // False when the driver fails it: nothing is raised or logged, the
    // diagnostics stay on the handle for sqlState() and fail().
    bool executeQuietly(const QString &sql);
    QString sqlState() const;
    // Whether the failure was this statement's timeout.
    bool timedOut() const;

    // Moves to the next result of a batch, discarding what is left of the
    // current one; false when there are no more.
    bool nextResult();

    int columnCount() const;
    OdbcColumn column(int index) const;  // 1-based
    // The next row of the current result; false at its end.
    bool fetch();

    [[noreturn]] void fail(const QString &what) const;

private:
    OdbcStatementHandle m_handle;
    QString m_label;
    QString m_context;
    QString m_sql;
    int m_timeoutSeconds;
};
