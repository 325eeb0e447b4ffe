#pragma once

#include <QString>

#include "ColumnStore.h"

// PostgreSQL folds every unquoted name to lower case and describes a citext
// column as text of no particular length. The module finds its fields by name
// without regard to case, but shows and compares some names as it wrote them,
// and sizes editors by the field's length. This gives a packet read from
// PostgreSQL the names and lengths SQL Server would report: a column's name as
// the module's statement spells it (an alias, a column it names), else as the
// schema spells it; a text column of the schema gets the schema's length.
void adaptPostgresPacket(data::ColumnPacket &packet, const QString &moduleText);
