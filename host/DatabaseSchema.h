#pragma once

#include <QString>

// The schemas of the two databases, kept as SQL files in the repository
// (host/schema/) and built into the host as resources.
enum class SchemaDatabase { HealthRecord, Rcms };
enum class SchemaDialect { Sqlite, SqlServer };

// The DDL text; raises data::LumoError when the resource is missing.
QString databaseSchema(SchemaDatabase database, SchemaDialect dialect = SchemaDialect::Sqlite);

// How the databases are named in messages.
QString databaseLabel(SchemaDatabase database);
