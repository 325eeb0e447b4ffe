#pragma once

#include <QString>

// Text columns on PostgreSQL are citext, and citext's LIKE cannot use any
// index: its operator has no planner support, so "InpPerCode Like '51010%'"
// reads the whole table. The schema indexes such columns on
// lower(column::text) with the pattern operator class, and this rewrite gives
// each prefix match a condition the planner can seek on, beside the one as written:
//
//   InpPerCode Like '51010%'
//     -> (lower(InpPerCode::text) Like lower('51010%') And InpPerCode Like '51010%')
//
// The added condition follows from the one as written (for citext it is the
// very same comparison), so no row is lost and none is added. Only a plain
// column name between condition boundaries (Where, And, Or, "(", ...) and a
// literal of printable ASCII with a fixed first character and no "_" or "\"
// is rewritten; anything else is left as written.
QString withIndexablePrefixMatches(const QString &postgresSql);
