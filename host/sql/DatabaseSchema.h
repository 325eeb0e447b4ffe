#pragma once

#include <QHash>
#include <QString>

// The schemas of the two databases, kept as SQL files in the repository
// (host/schema/) and built into the host as resources.
enum class SchemaDatabase { HealthRecord, Rcms };
enum class SchemaDialect { Sqlite, SqlServer, PostgreSql };

// The DDL text; raises data::LumoError when the resource is missing.
QString databaseSchema(SchemaDatabase database, SchemaDialect dialect = SchemaDialect::Sqlite);

// How the databases are named in messages.
QString databaseLabel(SchemaDatabase database);

// A column of the schemas as SQL Server declares it: its name as written and
// the length of a text column (0 for other types).
struct SchemaColumn
{
    QString name;
    int length = 0;
};

// Every column of both databases by its case-folded name. A name used in
// several tables has one spelling and length throughout the schemas.
const QHash<QString, SchemaColumn> &schemaColumns();
