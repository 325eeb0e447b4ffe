#include "OdbcBatch.h"

namespace {

// Big enough that the round trips no longer count beside the server's work,
// small enough that a request stays far below the server's limits.
constexpr std::size_t kMaxStatements = 500;
constexpr qsizetype kMaxChars = 512 * 1024;

const QString &savepointName()
{
    static const QString name = QStringLiteral("lumo_batch");
    return name;
}

} // namespace

void OdbcBatch::add(QString statement, QString context)
{
    m_chars += statement.size();
    m_entries.push_back({std::move(statement), std::move(context)});
}

bool OdbcBatch::isFull() const
{
    return m_entries.size() >= kMaxStatements || m_chars >= kMaxChars;
}

void OdbcBatch::clear()
{
    m_entries.clear();
    m_chars = 0;
}

std::vector<QString> OdbcBatch::statements() const
{
    std::vector<QString> statements;
    statements.reserve(m_entries.size());
    for (const Entry &entry : m_entries)
        statements.push_back(entry.statement);
    return statements;
}

QString OdbcBatch::text(const std::vector<QString> &statements)
{
    qsizetype chars = 64;
    for (const QString &statement : statements)
        chars += statement.size() + 2;
    QString text;
    text.reserve(chars);
    text += QStringLiteral("SAVEPOINT ") + savepointName();
    for (const QString &statement : statements)
        text += QStringLiteral(";\n") + statement;
    text += QStringLiteral(";\nRELEASE SAVEPOINT ") + savepointName();
    return text;
}

QString OdbcBatch::backToSavepoint()
{
    return QStringLiteral("ROLLBACK TO SAVEPOINT ") + savepointName();
}
