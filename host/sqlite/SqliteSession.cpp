#include "SqliteSession.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include "DatabaseSchema.h"
#include "LumoError.h"
#include "SqlSecrets.h"
#include "SessionPackets.h"
#include "SqliteResultReader.h"
#include "SqliteStatementCache.h"
#include "TsqlTranslator.h"

namespace {

struct Translated
{
    QString text;     // what SQLite runs
    QString context;  // the module's text, for messages, when it differs
};

Translated translate(const QString &tsql)
{
    Translated t{translateTsqlToSqlite(tsql), QString()};
    if (t.text != tsql)
        t.context = QStringLiteral("原语句: ") + tsql.trimmed();
    return t;
}

} // namespace

SqliteSession::SqliteSession(const QString &hrFile, const QString &rcmsFile)
    : m_hr(SqliteDatabase::openExisting(hrFile, databaseLabel(SchemaDatabase::HealthRecord))),
      m_rcms(SqliteDatabase::openExisting(rcmsFile, databaseLabel(SchemaDatabase::Rcms)))
{
    // Each database has a connection, statement cache and state of its own,
    // and a connection may move between threads between calls.
    RcmsReadsBesideHr = true;
    HrWritesAside = true;
}

SqliteSession::~SqliteSession() = default;

void SqliteSession::createDatabases(const QString &hrFile, const QString &rcmsFile)
{
    const QString hrLabel = databaseLabel(SchemaDatabase::HealthRecord);
    const QString rcmsLabel = databaseLabel(SchemaDatabase::Rcms);
    // Check both first so that a refusal leaves no half-made pair behind.
    if (QFileInfo::exists(hrFile))
        throw data::LumoError(QStringLiteral("%1文件已存在, 不会覆盖: %2").arg(hrLabel, hrFile));
    if (QFileInfo::exists(rcmsFile))
        throw data::LumoError(QStringLiteral("%1文件已存在, 不会覆盖: %2").arg(rcmsLabel, rcmsFile));
    const QString hrSchema = databaseSchema(SchemaDatabase::HealthRecord);
    const QString rcmsSchema = databaseSchema(SchemaDatabase::Rcms);
    SqliteDatabase::createNew(hrFile, hrLabel, hrSchema);
    try {
        SqliteDatabase::createNew(rcmsFile, rcmsLabel, rcmsSchema);
    } catch (...) {
        QFile::remove(hrFile);
        throw;
    }
}

// The first result set of the text, read by read; statements around it still run.
template <typename Read>
auto SqliteSession::firstResult(SqliteDatabase &db, const QString &sql, Read read)
{
    const Translated t = translate(sql);
    decltype(read(std::declval<SqliteStatement &>())) result;
    bool haveResult = false;
    db.forEachStatement(
        t.text,
        [&](SqliteStatement &statement) {
            if (!haveResult && statement.columnCount() > 0) {
                result = read(statement);
                haveResult = true;
            } else {
                statement.drain();
            }
        },
        t.context);
    if (!haveResult)
        throw data::LumoError(db.label() + QStringLiteral("的语句没有返回数据集\n语句: ") + maskSecrets(sql.trimmed()));
    return result;
}

data::DataPacket SqliteSession::openData(SqliteDatabase &db, const QString &sql)
{
    return firstResult(db, sql, readDataPacket);
}

std::unique_ptr<data::ClientDataSet> SqliteSession::openDataSet(SqliteDatabase &db, const QString &sql)
{
    auto dataSet = std::make_unique<data::ClientDataSet>();
    dataSet->SetData(firstResult(db, sql, readColumnPacket));
    return dataSet;
}

QVariant SqliteSession::value(SqliteDatabase &db, const QString &sql)
{
    const Translated t = translate(sql);
    QVariant result = QVariant(QString());
    bool haveResult = false;
    db.forEachStatement(
        t.text,
        [&](SqliteStatement &statement) {
            if (!haveResult && statement.columnCount() > 0) {
                result = readFirstValue(statement);
                haveResult = true;
            }
            statement.drain();
        },
        t.context);
    return result;
}

bool SqliteSession::execute(SqliteDatabase &db, const QString &sql)
{
    const QByteArray utf8 = sql.toUtf8();
    const std::optional<ParameterisedSql> split = parameteriseLiterals(utf8);
    const bool holdsNul = split && std::any_of(split->values.cbegin(), split->values.cend(), [](const QByteArray &v) {
        return v.contains('\0');
    });
    if (split && !holdsNul && m_untranslatedShapes.contains(split->shape) && db.executeBound(*split, utf8))
        return true;
    const Translated t = translate(sql);
    if (split && !holdsNul && t.context.isEmpty()) {
        constexpr qsizetype kShapesKept = 64;
        if (m_untranslatedShapes.size() >= kShapesKept)
            m_untranslatedShapes.clear();
        m_untranslatedShapes.insert(split->shape);
    }
    db.execute(t.text, t.context);
    return true;
}

data::DataPacket SqliteSession::OpenRcmsData(const QString &sql)
{
    return openData(m_rcms, sql);
}

std::unique_ptr<data::ClientDataSet> SqliteSession::OpenRcmsQuery(const QString &sql)
{
    return openDataSet(m_rcms, sql);
}

QVariant SqliteSession::GetRcmsValue(const QString &sql)
{
    return value(m_rcms, sql);
}

bool SqliteSession::ExecRcmsSql(const QString &sql)
{
    return execute(m_rcms, sql);
}

void SqliteSession::BeginRcmsTrans()
{
    m_rcms.begin();
}

void SqliteSession::CommitRcmsTrans()
{
    m_rcms.commit();
}

void SqliteSession::RollbackRcmsTrans()
{
    m_rcms.rollback();
}

std::unique_ptr<data::ClientDataSet> SqliteSession::OpenRcmsDataSet(const QString &sql)
{
    return openDataSet(m_rcms, sql);
}

data::DataPacket SqliteSession::OpenHrData(const QString &sql)
{
    return openData(m_hr, sql);
}

std::unique_ptr<data::ClientDataSet> SqliteSession::OpenHrQuery(const QString &sql)
{
    return openDataSet(m_hr, sql);
}

QVariant SqliteSession::GetHrValue(const QString &sql)
{
    return value(m_hr, sql);
}

bool SqliteSession::ExecHrSql(const QString &sql)
{
    return execute(m_hr, sql);
}

void SqliteSession::BeginHrTrans()
{
    m_hr.begin();
}

void SqliteSession::CommitHrTrans()
{
    m_hr.commit();
}

void SqliteSession::RollbackHrTrans()
{
    m_hr.rollback();
}

QString SqliteSession::ReplacePlaceholder(const QString &source, const QString &value, const QString &placeholder)
{
    return replacePlaceholderText(source, value, placeholder);
}
