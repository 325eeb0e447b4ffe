#include "SqliteStatement.h"

#include <QDate>
#include <QDateTime>

#include <sqlite3.h>

#include "DatabaseLog.h"
#include "LumoError.h"
#include "SqlSecrets.h"

QString sqliteErrorText(sqlite3 *db, const QString &what, const QString &statement, const QString &context)
{
    QString text = what + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(db));
    // The message goes to the log and up to the module's logs: a password's
    // value never goes with it.
    text += QStringLiteral("\n语句: ") + maskSecrets(statement.trimmed());
    if (!context.isEmpty())
        text += QStringLiteral("\n") + maskSecrets(context);
    return text;
}

QString sqliteErrorCause(sqlite3 *db)
{
    const QString text = QString::fromUtf8(sqlite3_errmsg(db));
    switch (sqlite3_extended_errcode(db) & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("数据库正忙, 请稍后再试");
    case SQLITE_READONLY:
        return QStringLiteral("数据库为只读");
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        return QStringLiteral("与数据库的连接已断开");
    case SQLITE_CONSTRAINT: {
        // "UNIQUE constraint failed: p_User.UserCode" names the rule and the column.
        const QString columns = text.section(QStringLiteral(": "), 1).trimmed();
        if (text.startsWith(QLatin1String("UNIQUE")) || text.startsWith(QLatin1String("PRIMARY KEY")))
            return QStringLiteral("%1 的值已存在, 不能重复").arg(columns);
        if (text.startsWith(QLatin1String("NOT NULL")))
            return QStringLiteral("%1 不能为空").arg(columns);
        if (text.startsWith(QLatin1String("FOREIGN KEY")))
            return QStringLiteral("有其他数据引用此记录 (外键约束)");
        if (text.startsWith(QLatin1String("CHECK")))
            return QStringLiteral("%1 的值不符合检查约束").arg(columns);
        return QStringLiteral("违反数据约束: ") + text;
    }
    default:
        return text;
    }
}

data::LumoError sqliteError(sqlite3 *db, const QString &what, const QString &statement, const QString &context)
{
    const QString text = sqliteErrorText(db, what, statement, context);
    qCWarning(lcHostDatabase).noquote() << text;
    return data::LumoError(text, sqliteErrorCause(db));
}

void SqliteStatement::Finalizer::operator()(sqlite3_stmt *statement) const
{
    sqlite3_finalize(statement);
}

SqliteStatement::SqliteStatement(sqlite3 *db, const QString &sql, const QString &context)
    : m_db(db), m_context(context)
{
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt *statement = nullptr;
    const char *tail = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &statement, &tail) != SQLITE_OK) {
        sqlite3_finalize(statement);
        throw sqliteError(db, QStringLiteral("SQL语句无法执行"), sql, context);
    }
    m_statement.reset(statement);
    if (!statement)
        throw data::LumoError(QStringLiteral("SQL语句为空"));
    if (!QByteArray(tail).trimmed().isEmpty())
        throw data::LumoError(QStringLiteral("此处只能执行一条SQL语句\n语句: ") + maskSecrets(sql.trimmed()));
}

SqliteStatement::SqliteStatement(sqlite3 *db, sqlite3_stmt *statement, const QString &context)
    : m_db(db), m_statement(statement), m_context(context)
{
}

int SqliteStatement::columnCount() const
{
    return sqlite3_column_count(m_statement.get());
}

QString SqliteStatement::sql() const
{
    return QString::fromUtf8(sqlite3_sql(m_statement.get()));
}

void SqliteStatement::bind(int index, const QVariant &value)
{
    if (value.isNull()) {
        bindNull(index);
        return;
    }
    int rc = SQLITE_OK;
    switch (value.typeId()) {
    case QMetaType::Bool:
        rc = sqlite3_bind_int64(m_statement.get(), index, value.toBool() ? 1 : 0);
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        rc = sqlite3_bind_int64(m_statement.get(), index, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        rc = sqlite3_bind_double(m_statement.get(), index, value.toDouble());
        break;
    case QMetaType::QDate:
        bind(index, value.toDate().toString(Qt::ISODate));
        return;
    case QMetaType::QDateTime:
        bind(index, value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
        return;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        rc = sqlite3_bind_blob64(m_statement.get(), index, bytes.constData(), sqlite3_uint64(bytes.size()),
                                 SQLITE_TRANSIENT);
        break;
    }
    default:
        bind(index, value.toString());
        return;
    }
    if (rc != SQLITE_OK)
        fail(rc);
}

void SqliteStatement::bind(int index, const QString &value)
{
    const QByteArray utf8 = value.toUtf8();
    const int rc = sqlite3_bind_text64(m_statement.get(), index, utf8.constData(), sqlite3_uint64(utf8.size()),
                                       SQLITE_TRANSIENT, SQLITE_UTF8);
    if (rc != SQLITE_OK)
        fail(rc);
}

void SqliteStatement::bind(int index, qint64 value)
{
    const int rc = sqlite3_bind_int64(m_statement.get(), index, value);
    if (rc != SQLITE_OK)
        fail(rc);
}

void SqliteStatement::bindNull(int index)
{
    const int rc = sqlite3_bind_null(m_statement.get(), index);
    if (rc != SQLITE_OK)
        fail(rc);
}

bool SqliteStatement::step()
{
    // Stepping a finished statement would run it once more (SQLite resets it
    // on its own), executing an INSERT twice.
    if (m_done)
        return false;
    const int rc = sqlite3_step(m_statement.get());
    if (rc == SQLITE_ROW)
        return true;
    m_done = true;
    if (rc == SQLITE_DONE)
        return false;
    fail(rc);
}

void SqliteStatement::drain()
{
    while (step()) {
    }
}

void SqliteStatement::reset()
{
    m_done = false;
    sqlite3_reset(m_statement.get());
    sqlite3_clear_bindings(m_statement.get());
}

void SqliteStatement::fail(int code) const
{
    Q_UNUSED(code);
    const data::LumoError error = sqliteError(m_db, QStringLiteral("SQL语句执行失败"), sql(), m_context);
    // A failed step must not leave the statement holding locks until it is
    // finalized.
    sqlite3_reset(m_statement.get());
    throw error;
}
