#pragma once

#include <QDate>
#include <QString>

// What the viewer of the trail asks for, and the one statement that reads it:
// the newest rows first, at most a page of them, so that a trail of millions
// of rows opens as fast as one of a hundred. Each filter is a column with an
// index led by it and followed by AuditTime, so a filter walks one index.
struct AuditQuery
{
    static constexpr int PageSize = 1000;

    QDate from, to;        // inclusive days; invalid for no bound
    QString operatorCode;  // the login that made the change
    QString user;          // a user code or a user name, matched whole
    QString kind;          // one of UserAudit's kinds; empty for all

    // The filter from the viewer's fields as typed: dates as yyyy-MM-dd (or
    // yyyyMMdd), blanks around any field ignored. Returns the reason, in the
    // words the viewer shows, when a date cannot be read or the range is
    // upside down; empty when the query is good.
    static QString parse(const QString &fromText, const QString &toText, const QString &operatorText,
                         const QString &userText, const QString &kindText, AuditQuery &query);

    // The statement of the first page: AuditID, AuditTime, OperatorCode,
    // MachineName, Kind, UserCode, UserName, Changes, newest first.
    QString sql() const;
    // The statement that reads one row whole, for bringing a deleted user back.
    static QString rowSql(qint64 auditId);
};
