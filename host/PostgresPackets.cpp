#include "PostgresPackets.h"

#include <QRegularExpression>

#include "DatabaseSchema.h"

namespace {

// The statement's own spelling of name, as a whole word; empty when it has none.
QString spellingInText(const QString &name, const QString &text)
{
    const QRegularExpression word(QStringLiteral("(?<![\\w@#$])%1(?![\\w@#$])").arg(QRegularExpression::escape(name)),
                                  QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    return word.match(text).captured(0);
}

// longestText(c): the longest text of column c.
template <typename LongestText>
void adaptPostgresFields(QVector<data::FieldDef> &fields, const QString &moduleText, LongestText longestText)
{
    const QHash<QString, SchemaColumn> &columns = schemaColumns();
    for (int c = 0; c < fields.size(); ++c) {
        data::FieldDef &field = fields[c];
        const auto known = columns.constFind(field.name.toCaseFolded());
        QString spelling = spellingInText(field.name, moduleText);
        if (spelling.isEmpty() && known != columns.constEnd())
            spelling = known->name;
        if (!spelling.isEmpty())
            field.name = spelling;
        if (known == columns.constEnd() || known->length == 0 || !data::isTextType(field.type))
            continue;
        field.size = qMax(known->length, int(longestText(c)));
    }
}

} // namespace

void adaptPostgresPacket(data::DataPacket &packet, const QString &moduleText)
{
    adaptPostgresFields(packet.fields, moduleText, [&packet](int c) {
        qsizetype longest = 0;
        for (const auto &row : packet.rows)
            longest = qMax(longest, row.at(c).toString().size());
        return longest;
    });
}

void adaptPostgresPacket(data::ColumnPacket &packet, const QString &moduleText)
{
    adaptPostgresFields(packet.fields, moduleText, [&packet](int c) {
        qsizetype longest = 0;
        for (int row = 0; row < packet.rows.rowCount(); ++row)
            longest = qMax(longest, packet.rows.text(row, c).size());
        return longest;
    });
}
