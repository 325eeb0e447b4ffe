#pragma once

#include <QString>
#include <QStringView>

#include <unordered_map>
#include <vector>

namespace data {
class ClientDataSet;
class Field;
}

// The stored rows of a dataset by the text of one column, read where the
// dataset keeps it: no text is copied and no string is made per row, which at
// a province's hundreds of thousands of users cost more than the lookups.
// Keys compare as the health-record key does: optionally without regard to
// ASCII letter case and to trailing blanks. The dataset must not change while
// the index is used.
class CodeRowIndex
{
public:
    CodeRowIndex(const data::ClientDataSet &dataSet, const data::Field *field, bool ignoreCase,
                 bool ignoreTrailingBlanks);

    // Every stored row, each key keeping its first row.
    void addAllRows();
    // The key of row now leads to row, whatever row it led to before.
    void put(int row);
    // The row of the key, or -1.
    int find(QStringView key) const;

    // The field's text in a stored row as the field reads it, in place where
    // the dataset keeps it as text; otherwise made into held, which the view
    // then points into.
    static QStringView textIn(const data::ClientDataSet &dataSet, int row, const data::Field *field,
                              QString &held);

private:
    QStringView keyText(QStringView text) const;
    quint32 hashOf(QStringView key) const;
    bool sameKey(QStringView a, QStringView b) const;
    QStringView codeAt(int row) const;
    void reserve(size_t keys);
    void markSeen(quint32 hash);
    // The slot of key: where it is, or the empty slot it would take.
    size_t slotOf(QStringView key, quint32 hash) const;

    const data::ClientDataSet &m_dataSet;
    const data::Field *m_field;
    const bool m_ignoreCase;
    const bool m_ignoreTrailing;
    struct Slot
    {
        quint32 hash = 0;
        int row = -1;  // -1: empty
    };
    std::vector<Slot> m_slots;  // open addressing, a power of two long
    size_t m_used = 0;
    // A bit per hash range, set for every key held: a key whose bit is clear
    // is missing without a look at the slots, which at a province's size lie
    // far apart in memory. Most of the run's lookups of the users it wrote
    // are such misses.
    std::vector<quint64> m_seen;
    // The codes of rows not kept as text (a null, another kind of value), made
    // once so that their views stay valid.
    mutable std::unordered_map<int, QString> m_held;
};
