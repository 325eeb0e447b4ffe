#include "DatabaseSchema.h"

#include <QFile>

#include <mutex>

#include "LumoError.h"

// The resources live in a static library: nothing would pull them into a
// program unless someone asks for them by name.
static void registerHostResources()
{
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(host); });
}

QString databaseSchema(SchemaDatabase database, SchemaDialect dialect)
{
    registerHostResources();
    const QString name = QStringLiteral(":/schema/%1.%2.sql")
                             .arg(database == SchemaDatabase::HealthRecord ? QStringLiteral("hr")
                                                                           : QStringLiteral("rcms"),
                                  dialect == SchemaDialect::Sqlite ? QStringLiteral("sqlite")
                                                                   : QStringLiteral("mssql"));
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        throw data::LumoError(QStringLiteral("数据库结构文件缺失: %1").arg(name));
    return QString::fromUtf8(file.readAll());
}

QString databaseLabel(SchemaDatabase database)
{
    return database == SchemaDatabase::HealthRecord ? QStringLiteral("健康档案数据库")
                                                    : QStringLiteral("农合数据库");
}
