#include "OdbcDialect.h"

#include <sqlite3.h>

#include "LumoError.h"
#include "PostgresLikePrefix.h"
#include "TsqlTranslator.h"

namespace {

bool holdsStatement(const QByteArray &piece)
{
    for (const char c : piece) {
        if (c != ';' && !QChar::isSpace(uchar(c)))
            return true;
    }
    return false;
}

} // namespace

OdbcDialect odbcDialectFromName(const QString &name)
{
    const QString key = name.trimmed().toLower();
    if (key == QLatin1String("mssql"))
        return OdbcDialect::SqlServer;
    if (key == QLatin1String("sqlite"))
        return OdbcDialect::Sqlite;
    if (key == QLatin1String("postgresql"))
        return OdbcDialect::PostgreSql;
    throw data::LumoError(QStringLiteral("未知的SQL方言 \"%1\" (可用: mssql, sqlite, postgresql)").arg(name));
}

QStringList splitSqliteStatements(const QString &sqliteText)
{
    // SQLite's own tokenizer decides where a statement ends: sqlite3_complete
    // knows its literals, quoted names, comments and trigger bodies.
    const QByteArray utf8 = sqliteText.toUtf8();
    QStringList statements;
    qsizetype start = 0;
    auto take = [&](qsizetype end) {
        const QByteArray piece = utf8.mid(start, end - start);
        if (holdsStatement(piece))
            statements << QString::fromUtf8(piece).trimmed();
        start = end;
    };
    for (qsizetype i = utf8.indexOf(';'); i >= 0; i = utf8.indexOf(';', i + 1)) {
        const QByteArray candidate = utf8.mid(start, i + 1 - start);  // zero-terminated copy
        if (sqlite3_complete(candidate.constData()))
            take(i + 1);
    }
    take(utf8.size());
    return statements;
}

QStringList odbcStatements(OdbcDialect dialect, const QString &tsql)
{
    if (dialect == OdbcDialect::Sqlite)
        return splitSqliteStatements(translateTsql(tsql, TsqlTarget::Sqlite));
    if (dialect == OdbcDialect::PostgreSql)
        return splitSqliteStatements(withIndexablePrefixMatches(translateTsql(tsql, TsqlTarget::PostgreSql)));
    // A server refuses an empty batch; the module sends one for a record
    // without details, and there is simply nothing to do.
    if (tsql.trimmed().isEmpty())
        return {};
    return {tsql};
}
