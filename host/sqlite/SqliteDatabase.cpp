#include "SqliteDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
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

SqliteDatabase SqliteDatabase::openFile(const QString &path, const QString &label, Access access)
{
    sqlite3 *raw = nullptr;
    // No mutex: a connection is only ever used by one thread at a time (the
    // synchronisation reads the RCMS one on a thread of its own meanwhile).
    int rc = SQLITE_OK;
    if (access == Access::ReadWrite) {
        rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    } else {
        // immutable: SQLite neither locks the file nor looks for the log's
        // memory index, which it could not create beside the file.
        const QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded()
            + QByteArrayLiteral("?mode=ro&immutable=1");
        rc = sqlite3_open_v2(uri.constData(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    }
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
    // and says so in its answer; a file others hold locked keeps it too. A
    // file this connection may only read is left in the mode it has.
    if (sqlite3_db_readonly(m_db.get(), "main") == 1)
        return;
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

int SqliteDatabase::readSchema(qint64 &tables)
{
    try {
        configure();
    } catch (const data::LumoError &) {
        return sqlite3_extended_errcode(m_db.get());
    }
    // sqlite3_open_v2 does not read the file; the first query tells whether it
    // is a database at all. Run directly: a refusal here is answered by
    // openExisting, not logged as a failing statement.
    return sqlite3_exec(
        m_db.get(), "SELECT count(*) FROM sqlite_master WHERE type = 'table'",
        [](void *count, int, char **values, char **) {
            *static_cast<qint64 *>(count) = values[0] ? QByteArray(values[0]).toLongLong() : 0;
            return 0;
        },
        &tables, nullptr);
}

SqliteDatabase SqliteDatabase::openExisting(const QString &path, const QString &label)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw data::LumoError(QStringLiteral("%1文件不存在: %2").arg(label, nativePath(path)));
    if (!info.isFile())
        throw data::LumoError(QStringLiteral("%1不是一个文件: %2").arg(label, nativePath(path)));

    SqliteDatabase db = openFile(path, label, Access::ReadWrite);
    qint64 tables = 0;
    const int rc = db.readSchema(tables);
    if ((rc & 0xff) != SQLITE_READONLY)
        return opened(std::move(db), rc, tables);
    // A file in WAL mode cannot even be read where its log's memory index
    // (the "-shm" file) cannot be created: a folder the user may only read.
    // No connection is writing it then (a writer would have made that index),
    // so it is read as immutable, and every write is refused as to a
    // read-only file. A log left behind beside it holds commits not yet
    // copied into the file, which that reading would miss.
    const QString log = path + QStringLiteral("-wal");
    if (QFileInfo(log).size() > 0) {
        throw data::LumoError(QStringLiteral("%1为只读, 其日志文件中尚有未写入数据库的数据, 无法打开: %2")
                                  .arg(label, nativePath(log)));
    }
    SqliteDatabase frozen = openFile(path, label, Access::Immutable);
    tables = 0;
    const int frozenRc = frozen.readSchema(tables);
    return opened(std::move(frozen), frozenRc, tables);
}

SqliteDatabase SqliteDatabase::opened(SqliteDatabase db, int rc, qint64 tables)
{
    const QString &label = db.label();
    const QString &path = db.path();
    switch (rc & 0xff) {
    case SQLITE_OK:
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw data::LumoError(QStringLiteral("%1正被其他程序锁定, 暂时无法打开, 请稍后再试: %2")
                                  .arg(label, nativePath(path)));
    case SQLITE_READONLY:
        throw data::LumoError(QStringLiteral("%1为只读, 无法打开: %2 (%3)")
                                  .arg(label, nativePath(path), QString::fromUtf8(sqlite3_errmsg(db.handle()))));
    default:
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

    SqliteDatabase db = openFile(path, label, Access::ReadWrite);
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
