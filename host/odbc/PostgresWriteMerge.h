#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// PostgreSQL plans and runs every statement on its own, and for one-row
// writes that fixed cost is most of the server's work: a synchronisation of
// 100,000 users is 50,000 of them. Consecutive writes of one shape are sent
// as one statement with the same effect:
//
//   Insert Into T (a, b) Values ('1', 'x')      Insert Into T (a, b)
//   Insert Into T (a, b) Values ('2', 'y')  ->    Values ('1', 'x'), ('2', 'y')
//
//   Update T Set b = 'x' Where a = '1'          UPDATE T AS lumo_t SET b = lumo_v.v1
//   Update T Set b = 'y' Where a = '2'      ->    FROM (VALUES ('x'::citext, '1'::citext),
//                                                  ('y', '2')) AS lumo_v (v1, v2)
//                                                WHERE lumo_t.a = lumo_v.v2
//
// Only what is certainly the same is merged: statements of exactly these
// forms with literal values, updates keyed by one text column, and no two
// updates of a run whose keys could name the same row (a second one would
// otherwise be lost). Everything else is sent as it is, in its place.
namespace PostgresWriteMerge {

// The server's type of a table's column without its length or precision
// (format_type's text, e.g. "citext", "character varying"), or empty when
// unknown; names as written. A cast to it keeps every value whole, so the
// column's own limits still refuse what they would refuse.
using ColumnType = std::function<QString(const QString &table, const QString &column)>;

// The statements to send instead of `statements`, in their order. A merged
// update is wrapped in settings that keep the server to its key's index
// (joined by hash, 500 keys would read the whole table each time).
std::vector<QString> merged(const std::vector<QString> &statements, const ColumnType &typeOf);

} // namespace PostgresWriteMerge
