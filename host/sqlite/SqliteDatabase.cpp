#include "SqliteDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <sqlite3.h>

#include "LumoError.h"
#include "WalCheckpointer.h"

namespace {

constexpr int kBusyTimeoutMs = 5000;

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

void SqliteDatabase::Closer::operator()(sqlite3 *db) const
{
    sqlite3_close_v2(db);
}

SqliteDatabase::SqliteDatabase(sqlite3 *db, QString path, QString label)
    : m_db(db), m_path(std::move(path)), m_label(std::move(label))
{
}

SqliteDatabase::SqliteDatabase(SqliteDatabase &&) noexcept = default;

SqliteDatabase::~SqliteDatabase()
{
    // An open transaction of a database being closed is abandoned, never
    // half-written: SQLite rolls it back on close, say so explicitly.
    if (m_db)
        rollback();
}

void SqliteDatabase::configure()
{
    sqlite3_busy_timeout(m_db.get(), kBusyTimeoutMs);
    sqlite3_extended_result_codes(m_db.get(), 1);
    // The module never relies on cascades; foreign keys stay off as on the
    // server, where the tables declare none.
    execute(QStringLiteral("PRAGMA foreign_keys = OFF"));
}

SqliteDatabase SqliteDatabase::openFile(const QString &path, const QString &label)
{
    sqlite3 *raw = nullptr;
    // No mutex: a connection is only ever used by one thread at a time (the
    // synchronisation reads the RCMS one on a thread of its own meanwhile).
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    SqliteDatabase db(raw, path, label);
    if (rc != SQLITE_OK) {
        throw data::LumoError(QStringLiteral("%1无法打开: %2 (%3)")
                                  .arg(label, nativePath(path), QString::fromUtf8(sqlite3_errmsg(raw))));
    }
    return db;
}

void SqliteDatabase::useWriteAheadLog()
{
    // With the write-ahead log a reader no longer holds up a writer's commit
    // (with the rollback journal, a read transaction left open elsewhere makes
    // every commit wait out the busy timeout and fail). Where the file system
    // cannot share the log's memory index, SQLite keeps the rollback journal
    // and says so in its answer; a file others hold locked keeps it too.
    bool inLog = false;
    sqlite3_exec(
        m_db.get(), "PRAGMA journal_mode = WAL",
        [](void *answer, int, char **values, char **) {
            *static_cast<bool *>(answer) = values[0] && qstricmp(values[0], "wal") == 0;
            return 0;
        },
        &inLog, nullptr);
    // A large commit then returns before its pages are copied from the log
    // into the file.
    if (inLog)
        m_checkpointer = std::make_unique<WalCheckpointer>(m_db.get(), m_path);
}

SqliteDatabase SqliteDatabase::openExisting(const QString &path, const QString &label)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw data::LumoError(QStringLiteral("%1文件不存在: %2").arg(label, nativePath(path)));
    if (!info.isFile())
        throw data::LumoError(QStringLiteral("%1不是一个文件: %2").arg(label, nativePath(path)));

    SqliteDatabase db = openFile(path, label);
    // sqlite3_open_v2 does not read the file; the first query tells whether it
    // is a database at all.
    qint64 tables = 0;
    try {
        db.configure();
        db.forEachStatement(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table'"),
                            [&tables](SqliteStatement &statement) {
                                if (statement.step())
                                    tables = sqlite3_column_int64(statement.handle(), 0);
                                statement.drain();
                            });
    } catch (const data::LumoError &) {
        const int code = sqlite3_errcode(db.handle()) & 0xff;
        if (code == SQLITE_BUSY || code == SQLITE_LOCKED) {
            throw data::LumoError(QStringLiteral("%1正被其他程序锁定, 暂时无法打开, 请稍后再试: %2")
                                      .arg(label, nativePath(path)));
        }
        throw data::LumoError(QStringLiteral("%1不是有效的SQLite数据库文件: %2 (%3)")
                                  .arg(label, nativePath(path), QString::fromUtf8(sqlite3_errmsg(db.handle()))));
    }
    if (tables == 0)
        throw data::LumoError(QStringLiteral("%1是空数据库, 没有任何数据表: %2").arg(label, nativePath(path)));
    db.useWriteAheadLog();
    return db;
}

SqliteDatabase SqliteDatabase::createNew(const QString &path, const QString &label, const QString &schemaSql)
{
    // Creating the file with O_EXCL makes "never overwrite" hold even when two
    // hosts race for the same name.
    {
        QFile file(path);
        if (file.exists() || !file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFileInfo::exists(path))
                throw data::LumoError(QStringLiteral("%1文件已存在, 不会覆盖: %2").arg(label, nativePath(path)));
            throw data::LumoError(QStringLiteral("%1文件无法创建: %2 (%3)")
                                      .arg(label, nativePath(path), file.errorString()));
        }
    }
    struct RemoveOnFailure
    {
        QString path;
        bool armed = true;
        ~RemoveOnFailure()
        {
            if (armed) {
                QFile::remove(path);
                QFile::remove(path + QStringLiteral("-journal"));
                QFile::remove(path + QStringLiteral("-wal"));
                QFile::remove(path + QStringLiteral("-shm"));
            }
        }
    } guard{path};

    SqliteDatabase db = openFile(path, label);
    db.configure();
    db.begin();
    try {
        db.execute(schemaSql);
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
    guard.armed = false;
    return db;
}

void SqliteDatabase::forEachStatement(const QString &sqliteText, const std::function<void(SqliteStatement &)> &visit,
                                      const QString &context)
{
    const QByteArray utf8 = sqliteText.toUtf8();
    const char *cursor = utf8.constData();
    const char *const end = cursor + utf8.size();
    while (cursor < end) {
        sqlite3_stmt *raw = nullptr;
        const char *tail = nullptr;
        const int rc = sqlite3_prepare_v2(m_db.get(), cursor, int(end - cursor), &raw, &tail);
        if (rc != SQLITE_OK) {
            sqlite3_finalize(raw);
            // The failing statement ends somewhere in the rest of the text.
            const QString rest = QString::fromUtf8(cursor, int(end - cursor));
            throw sqliteError(m_db.get(), m_label + QStringLiteral("语句无法执行"), rest, context);
        }
        if (!raw)  // only blanks, comments or ";" were left
            break;
        SqliteStatement statement(m_db.get(), raw, errorContext(context));
        visit(statement);
        cursor = tail;
    }
}

QString SqliteDatabase::errorContext(const QString &context) const
{
    return context.isEmpty() ? m_label : m_label + QLatin1Char('\n') + context;
}

void SqliteDatabase::execute(const QString &sqliteText, const QString &context)
{
    if (m_statements->tryExecute(m_db.get(), sqliteText.toUtf8(), errorContext(context)))
        return;
    forEachStatement(sqliteText, [](SqliteStatement &statement) { statement.drain(); }, context);
}

bool SqliteDatabase::executeBound(const ParameterisedSql &sql, const QByteArray &utf8)
{
    return m_statements->tryExecute(m_db.get(), sql, utf8, errorContext(QString()));
}

SqliteStatement SqliteDatabase::prepare(const QString &sqliteText)
{
    return SqliteStatement(m_db.get(), sqliteText, m_label);
}

bool SqliteDatabase::inTransaction() const
{
    return m_db && sqlite3_get_autocommit(m_db.get()) == 0;
}

void SqliteDatabase::begin()
{
    if (inTransaction()) {
        m_depth = qMax(m_depth, 1) + 1;
        return;
    }
    // Immediate: the module opens a transaction only to write, and taking the
    // write lock up front cannot end in a lock upgrade that has to fail.
    execute(QStringLiteral("BEGIN IMMEDIATE"));
    m_depth = 1;
}

void SqliteDatabase::commit()
{
    if (!inTransaction()) {
        // Also the case after SQLite gave up a transaction on its own (disk
        // full, I/O error): committing must not pass for success then.
        m_depth = 0;
        throw data::LumoError(m_label + QStringLiteral("没有打开的事务, 无法提交"));
    }
    if (m_depth > 1) {
        --m_depth;
        return;
    }
    execute(QStringLiteral("COMMIT"));
    m_depth = 0;
}

void SqliteDatabase::rollback()
{
    m_depth = 0;
    if (!inTransaction())
        return;
    if (sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr) != SQLITE_OK)
        qWarning("%s: rollback failed: %s", qUtf8Printable(m_label), sqlite3_errmsg(m_db.get()));
}
