#pragma once

#include <QString>

#include <vector>

// The write statements of a transaction held back to go to the server
// together, one round trip for many. Each keeps the module's text it came
// from, so that a failure can still name the statement that failed.
class OdbcBatch
{
public:
    struct Entry
    {
        QString statement;  // as sent
        QString context;    // the module's text when it differs, for messages
    };

    void add(QString statement, QString context);
    bool isEmpty() const { return m_entries.empty(); }
    // Whether to send it now: enough statements or text for one request.
    bool isFull() const;
    const std::vector<Entry> &entries() const { return m_entries; }
    void clear();

    // The statements held, in their order.
    std::vector<QString> statements() const;
    // The text of one request: statements in their order inside a savepoint,
    // which a failing batch returns to before the held statements run again
    // one by one to find the failing one.
    static QString text(const std::vector<QString> &statements);
    // Undoes what a failed batch may have left; harmless when the driver
    // already did (the savepoint is gone then, and the failure is ignored).
    static QString backToSavepoint();

private:
    std::vector<Entry> m_entries;
    qsizetype m_chars = 0;
};
