#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace data {
class ClientDataSet;
}

// The search both key generators share: the largest key of tableName.keyField
// that carries the current time stamp (restricted by filterSql, a text that
// starts with " And  "), plus one. Runs statements through query; raises on any
// failure (the public routines swallow it).
//
// A stamp holds at most 999 keys, as the sequence has three characters and the
// next search reads only those. When a stamp is full, the key moves on to the
// next millisecond's stamp and searches again, so every key stays unique and
// 20 characters long; the stamp is then a moment ahead of the clock, which
// nothing reads as a time.
using KeyQuery = std::function<std::unique_ptr<data::ClientDataSet>(const QString &sql)>;

QString nextTimeKey(const QString &tableName, const QString &keyField, const QString &filterSql,
                    const KeyQuery &query);

// The statement that finds the largest key of one stamp (without the filter).
QString maxKeySql(const QString &tableName, const QString &keyField, const QString &stamp);
