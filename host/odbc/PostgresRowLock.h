#pragma once

#include <QString>

// A read that a save inside a transaction makes of the row it is about to
// write ("Select * From P_User Where UserCode = '..'": one table, plain
// columns, only "column = 'literal'" conditions) gets "FOR UPDATE": as on SQL
// Server, where such a read waits for a writer's lock, a second save then
// waits for the first to commit and reads the row as it left it, so the
// check "changed since loaded" sees the change instead of writing over it.
// Any other text is returned as it is.
QString withRowLockOfOneRowRead(const QString &postgresSql);
