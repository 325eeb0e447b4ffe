#include "SqliteStatementCache.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "LumoError.h"
#include "SqliteStatement.h"

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isWordByte(char c)
{
    return isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

bool isWriteKeyword(const char *word, qsizetype length)
{
    for (const char *keyword : {"insert", "update", "delete", "replace"}) {
        if (qsizetype(qstrlen(keyword)) == length && qstrnicmp(word, keyword, length) == 0)
            return true;
    }
    return false;
}

// The index just past a quoted run starting at from whose closing character is
// doubled to stand for itself; -1 when the text ends first.
qsizetype endOfQuoted(const char *s, qsizetype n, qsizetype from, char close, bool *doubled = nullptr)
{
    for (qsizetype j = from + 1; j < n; ++j) {
        // Literals are most of a write statement's bytes: found with memchr.
        const void *at = std::memchr(s + j, close, size_t(n - j));
        if (!at)
            return -1;
        j = static_cast<const char *>(at) - s;
        if (close != ']' && j + 1 < n && s[j + 1] == close) {
            if (doubled)
                *doubled = true;
            ++j;
            continue;
        }
        return j + 1;
    }
    return -1;
}

} // namespace

std::optional<ParameterisedSql> parameteriseLiterals(const QByteArray &utf8)
{
    const char *const s = utf8.constData();
    const qsizetype n = utf8.size();
    qsizetype i = 0;
    while (i < n && isBlank(s[i]))
        ++i;
    const qsizetype wordStart = i;
    while (i < n && isAsciiLetter(s[i]))
        ++i;
    if (!isWriteKeyword(s + wordStart, i - wordStart))
        return std::nullopt;

    // The bytes that can start anything but plain text.
    static const auto special = [] {
        std::array<bool, 256> table{};
        for (const unsigned char c : QByteArrayView("'\"`[-/?:@$;"))
            table[c] = true;
        return table;
    }();

    ParameterisedSql out;
    // The shape is never longer than the text: written in place, cut to size at the end.
    out.shape.resize(n);
    char *shape = out.shape.data();
    out.values.reserve(16);
    qsizetype copied = 0;  // start of the text not yet copied into the shape
    const auto copyTo = [&](qsizetype to) {
        std::memcpy(shape, s + copied, size_t(to - copied));
        shape += to - copied;
    };
    while (i < n) {
        const char c = s[i];
        if (!special[static_cast<unsigned char>(c)]) {
            ++i;
            continue;
        }
        const char next = i + 1 < n ? s[i + 1] : '\0';
        if (c == '\'') {
            // x'..' is a blob, which stays as it is written.
            if (i > 0 && (s[i - 1] == 'x' || s[i - 1] == 'X') && !(i > 1 && isWordByte(s[i - 2])))
                return std::nullopt;
            bool doubled = false;
            const qsizetype end = endOfQuoted(s, n, i, '\'', &doubled);
            if (end < 0)
                return std::nullopt;
            // Without doubled quotes the value is the literal's own bytes.
            QByteArray value = doubled ? QByteArray(s + i + 1, end - i - 2).replace("''", "'")
                                       : QByteArray::fromRawData(s + i + 1, end - i - 2);
            copyTo(i);
            *shape++ = '?';
            out.values.push_back(std::move(value));
            i = copied = end;
        } else if (c == '"' || c == '`' || c == '[') {
            // Names may hold quotes of their own; they are copied untouched.
            const qsizetype end = endOfQuoted(s, n, i, c == '[' ? ']' : c);
            if (end < 0)
                return std::nullopt;
            i = end;
        } else if (c == '-' && next == '-') {
            while (i < n && s[i] != '\n')
                ++i;
        } else if (c == '/' && next == '*') {
            const qsizetype end = utf8.indexOf("*/", i + 2);
            if (end < 0)
                return std::nullopt;
            i = end + 2;
        } else if (c == '?' || c == ':' || c == '@' || c == '$' || c == ';') {
            // Parameters of its own, or more than one statement.
            return std::nullopt;
        } else {
            ++i;
        }
    }
    copyTo(n);
    out.shape.truncate(shape - out.shape.constData());
    return out;
}

void SqliteStatementCache::Finalizer::operator()(sqlite3_stmt *statement) const
{
    sqlite3_finalize(statement);
}

SqliteStatementCache::SqliteStatementCache(int capacity) : m_capacity(qMax(1, capacity)) {}

SqliteStatementCache::~SqliteStatementCache() = default;

void SqliteStatementCache::clear()
{
    m_entries.clear();
}

sqlite3_stmt *SqliteStatementCache::statementFor(sqlite3 *db, const ParameterisedSql &sql)
{
    const auto found = std::find_if(m_entries.rbegin(), m_entries.rend(),
                                    [&sql](const Entry &entry) { return entry.shape == sql.shape; });
    if (found != m_entries.rend()) {
        // Most recently used moves to the back.
        std::rotate(found.base() - 1, found.base(), m_entries.end());
        return m_entries.back().statement.get();
    }
    sqlite3_stmt *raw = nullptr;
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v3(db, sql.shape.constData(), int(sql.shape.size()), SQLITE_PREPARE_PERSISTENT,
                                      &raw, &tail);
    std::unique_ptr<sqlite3_stmt, Finalizer> statement(raw);
    if (rc != SQLITE_OK || !raw || !QByteArray(tail).trimmed().isEmpty()
        || sqlite3_bind_parameter_count(raw) != int(sql.values.size()))
        return nullptr;
    if (int(m_entries.size()) >= m_capacity)
        m_entries.erase(m_entries.begin());
    m_entries.push_back(Entry{sql.shape, std::move(statement)});
    return raw;
}

bool SqliteStatementCache::tryExecute(sqlite3 *db, const QByteArray &utf8, const QString &errorContext)
{
    const std::optional<ParameterisedSql> sql = parameteriseLiterals(utf8);
    return sql && tryExecute(db, *sql, utf8, errorContext);
}

bool SqliteStatementCache::tryExecute(sqlite3 *db, const ParameterisedSql &sql, const QByteArray &utf8,
                                      const QString &errorContext)
{
    sqlite3_stmt *statement = statementFor(db, sql);
    if (!statement)
        return false;

    // The values are bound without a copy, so the bindings must go before they
    // do; a reset statement also holds no lock between runs.
    struct Release
    {
        sqlite3_stmt *statement;
        ~Release()
        {
            sqlite3_reset(statement);
            sqlite3_clear_bindings(statement);
        }
    } release{statement};
    auto fail = [&] {
        throw sqliteError(db, QStringLiteral("SQL语句执行失败"), QString::fromUtf8(utf8), errorContext);
    };
    for (size_t k = 0; k < sql.values.size(); ++k) {
        const QByteArray &value = sql.values[k];
        if (sqlite3_bind_text(statement, int(k + 1), value.constData(), int(value.size()), SQLITE_STATIC)
            != SQLITE_OK)
            fail();
    }
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(statement);
    if (rc != SQLITE_DONE)
        fail();
    return true;
}
