#include "DatabaseSchema.h"

#include <QFile>
#include <QRegularExpression>

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
    const char *suffix = dialect == SchemaDialect::Sqlite      ? "sqlite"
                         : dialect == SchemaDialect::SqlServer ? "mssql"
                                                               : "postgresql";
    const QString name = QStringLiteral(":/schema/%1.%2.sql")
                             .arg(database == SchemaDatabase::HealthRecord ? QStringLiteral("hr")
                                                                           : QStringLiteral("rcms"),
                                  QLatin1String(suffix));
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

const QHash<QString, SchemaColumn> &schemaColumns()
{
    static const QHash<QString, SchemaColumn> columns = [] {
        QHash<QString, SchemaColumn> all;
        // A column line: indented name, then its type ("UserCode nvarchar(20) NOT NULL,").
        static const QRegularExpression line(QStringLiteral("^\\s+(\\w+)\\s+(\\w+)(?:\\((\\d+)\\))?"),
                                             QRegularExpression::MultilineOption);
        for (const SchemaDatabase database : {SchemaDatabase::HealthRecord, SchemaDatabase::Rcms}) {
            auto it = line.globalMatch(databaseSchema(database, SchemaDialect::SqlServer));
            while (it.hasNext()) {
                const QRegularExpressionMatch m = it.next();
                if (m.captured(1).compare(QLatin1String("CONSTRAINT"), Qt::CaseInsensitive) == 0)
                    continue;
                all.insert(m.captured(1).toCaseFolded(), SchemaColumn{m.captured(1), m.captured(3).toInt()});
            }
        }
        return all;
    }();
    return columns;
}
