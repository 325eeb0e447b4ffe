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

} // namespace

void adaptPostgresPacket(data::ColumnPacket &packet, const QString &moduleText)
{
    const QHash<QString, SchemaColumn> &columns = schemaColumns();
    for (int c = 0; c < packet.fields.size(); ++c) {
        data::FieldDef &field = packet.fields[c];
        const auto known = columns.constFind(field.name.toCaseFolded());
        QString spelling = spellingInText(field.name, moduleText);
        if (spelling.isEmpty() && known != columns.constEnd())
            spelling = known->name;
        if (!spelling.isEmpty())
            field.name = spelling;
        if (known == columns.constEnd() || known->length == 0 || !data::isTextType(field.type))
            continue;
        qsizetype longest = 0;
        for (int row = 0; row < packet.rows.rowCount(); ++row)
            longest = qMax(longest, packet.rows.text(row, c).size());
        field.size = qMax(known->length, int(longest));
    }
}
