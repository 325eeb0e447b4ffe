// Statement texts built from dataset records. The text is what reaches the
// database word for word, so every blank of the fixed fragments matters: the
// stored procedures and the host's translator were written against exactly
// these shapes.

#include "UGlobalFunUnt.h"

#include "ClientDataSet.h"
#include "Field.h"
#include "LumoError.h"

namespace {

const QString kNull = QStringLiteral("Null");

QString textLiteral(const QString &fieldText, quint8 dialect)
{
    QString text = CleanSqlText(fieldText);
    // Each CR LF becomes the end of one literal, the join, and the start of the
    // next, so that the line break survives as char(13)+char(10) rather than as
    // raw bytes inside the literal.
    const QString join = dialect == SqlDialectOracle ? QStringLiteral("'||chr(10)||'")
                                                     : QStringLiteral("'+char(13)+char(10)+'");
    text.replace(QStringLiteral("\r\n"), join);
    // Quote as usual, then undo the doubling of the join's own apostrophes. The
    // cleaned text has no apostrophe of its own, so only the joins are touched.
    QString quoted = QuotedStr(text);
    quoted.replace(QStringLiteral("''"), QStringLiteral("'"));
    return quoted;
}

// The field lists exist only for one build; a plain value is all they need.
struct FieldLists
{
    QStringList keys;
    QStringList excluded;

    FieldLists(const QString &keyFields, const QString &excludedFields)
        : keys(splitFieldList(keyFields)), excluded(splitFieldList(excludedFields))
    {
    }
};

// The database sets a row version itself and refuses any value for it.
bool isNeverWritten(const data::Field &field)
{
    return field.DataType() == data::FieldType::RowVersion;
}

// Bytes as a binary literal: 0x... (SQLite's X'...' is the host's translation).
QString binaryLiteral(const data::Field &field, quint8 dialect)
{
    const QString hex = QString::fromLatin1(field.Value().toByteArray().toHex().toUpper());
    if (dialect == SqlDialectOracle)
        return QStringLiteral(" hextoraw('") + hex + QStringLiteral("')");
    return QStringLiteral(" 0x") + hex;
}

void requireOpen(data::ClientDataSet *dataSet)
{
    if (!dataSet)
        throw data::LumoError(QStringLiteral("没有数据集"));
    if (!dataSet->Active())
        throw data::LumoError(QStringLiteral("数据集没有打开"));
}

QString updateOfRecord(const data::ClientDataSet &dataSet, const QString &tableName,
                       const FieldLists &lists)
{
    QString set = QStringLiteral(" UpDate ") + trimBlanks(tableName)
                  + QStringLiteral(" With(RowLock) Set ");
    QString where = QStringLiteral(" Where 1 = 1 ");
    bool firstItem = true;
    for (const auto &field : dataSet.Fields()) {
        const QString &name = field->FieldName();
        if (FindItemList(lists.excluded, name) || isNeverWritten(*field))
            continue;
        const QString item = name + QStringLiteral(" = ") + FieldToSqlValue(*field, SqlDialectSqlServer);
        if (FindItemList(lists.keys, name)) {
            where += QStringLiteral(" And ") + item;
        } else {
            set += firstItem ? item : QStringLiteral(" , ") + item;
            firstItem = false;
        }
    }
    return set + QStringLiteral("  ") + where + QStringLiteral("  ");
}

// keyAt, when given, gets the offset of each keyDefault in the text, counted
// from start (where the record's text will stand in the whole statement).
QString insertOfRecord(const data::ClientDataSet &dataSet, const QString &tableName,
                       const FieldLists &lists, const QString &keyDefault,
                       QList<qsizetype> *keyAt = nullptr, qsizetype start = 0)
{
    QString columns = QStringLiteral(" Insert Into ") + trimBlanks(tableName)
                      + QStringLiteral(" With(RowLock) ( ");
    QString values = QStringLiteral(" ) Values ( ");
    QList<qsizetype> keyInValues;
    bool firstItem = true;
    for (const auto &field : dataSet.Fields()) {
        const QString &name = field->FieldName();
        if (FindItemList(lists.excluded, name) || isNeverWritten(*field))
            continue;
        const QString sep = firstItem ? QStringLiteral(" ") : QStringLiteral(" , ");
        firstItem = false;
        columns += sep + name;
        const QString value = trimBlanks(FieldToSqlValue(*field, SqlDialectSqlServer));
        if (value == kNull && FindItemList(lists.keys, name)) {
            values += sep;
            keyInValues << values.size();
            values += keyDefault;
        } else {
            values += sep + value;
        }
    }
    if (keyAt) {
        for (const qsizetype at : keyInValues)
            *keyAt << start + columns.size() + at;
    }
    return columns + values + QStringLiteral(")") + QStringLiteral("  ");
}

// The wrapper both builders share: one record, or every record each preceded by
// a blank. Failures are swallowed on purpose (the callers treat an empty or short
// text as "nothing to save" and their transaction fails on it); what was built
// before the failure stays in sql.
// oneRecord(dataSet, start) builds the current record's text, which will
// stand at offset start of sql.
template <typename OneRecord>
void buildStatements(data::ClientDataSet *dataSet, bool currentRecordOnly, QString &sql,
                     OneRecord oneRecord)
{
    sql.clear();
    try {
        requireOpen(dataSet);
        if (currentRecordOnly) {
            sql = oneRecord(*dataSet, 0);
            return;
        }
        dataSet->First();
        while (!dataSet->Eof()) {
            sql += QStringLiteral(" ") + oneRecord(*dataSet, sql.size() + 1);
            dataSet->Next();
        }
    } catch (...) {
    }
}

} // namespace

QString FieldToSqlValue(const data::Field &field, quint8 dialect)
{
    // Bytes are no text: a blank or empty run of them is still a value.
    if (data::isBytesType(field.DataType()))
        return field.IsNull() ? kNull : binaryLiteral(field, dialect);
    const QString text = field.AsString();
    if (trimBlanks(text).isEmpty())
        return kNull;

    switch (field.DataType()) {
    case data::FieldType::Smallint:
    case data::FieldType::Integer:
    case data::FieldType::Float:
    case data::FieldType::Currency:
    case data::FieldType::BCD:
        return QStringLiteral(" ") + text;
    case data::FieldType::Boolean:
        return field.AsBoolean() ? QStringLiteral(" '1'") : QStringLiteral(" '0'");
    case data::FieldType::Date:
    case data::FieldType::DateTime:
        if (dialect == SqlDialectOracle)
            return QStringLiteral(" to_date('") + text + QStringLiteral("','yyyy-mm-dd hh24:mi:ss')");
        return u'\'' + text + u'\'';
    default:
        // Word, AutoInc and Largeint are written as text too: the server converts
        // them, and the stored statements have always looked this way.
        return textLiteral(text, dialect);
    }
}

QString CleanSqlText(const QString &text)
{
    QString cleaned = trimBlanks(text);
    cleaned.replace(u'\'', QChar(0x2018));
    cleaned.replace(u'\t', QStringLiteral("  "));
    cleaned.replace(u'"', QChar(0x201D));
    return cleaned;
}

void BuildUpdateSql(data::ClientDataSet *dataSet, const QString &tableName,
                    const QString &keyFields, const QString &excludedFields,
                    bool currentRecordOnly, QString &sql)
{
    const FieldLists lists(keyFields, excludedFields);
    buildStatements(dataSet, currentRecordOnly, sql, [&](const data::ClientDataSet &ds, qsizetype) {
        return updateOfRecord(ds, tableName, lists);
    });
}

QString BuildUpdateSql(data::ClientDataSet *dataSet, const QString &tableName,
                       const QString &keyFields, const QString &excludedFields,
                       bool currentRecordOnly)
{
    QString sql;
    BuildUpdateSql(dataSet, tableName, keyFields, excludedFields, currentRecordOnly, sql);
    return sql;
}

void BuildInsertSql(data::ClientDataSet *dataSet, const QString &tableName,
                    const QString &keyFields, const QString &excludedFields,
                    bool currentRecordOnly, const QString &keyDefault, QString &sql)
{
    const FieldLists lists(keyFields, excludedFields);
    buildStatements(dataSet, currentRecordOnly, sql, [&](const data::ClientDataSet &ds, qsizetype) {
        return insertOfRecord(ds, tableName, lists, keyDefault);
    });
}

QString BuildInsertSql(data::ClientDataSet *dataSet, const QString &tableName,
                       const QString &keyFields, const QString &excludedFields,
                       bool currentRecordOnly, const QString &keyDefault, QList<qsizetype> &keyDefaultAt)
{
    const FieldLists lists(keyFields, excludedFields);
    QString sql;
    QList<qsizetype> at;
    buildStatements(dataSet, currentRecordOnly, sql, [&](const data::ClientDataSet &ds, qsizetype start) {
        return insertOfRecord(ds, tableName, lists, keyDefault, &at, start);
    });
    keyDefaultAt = at;
    return sql;
}

QString BuildInsertSql(data::ClientDataSet *dataSet, const QString &tableName,
                       const QString &keyFields, const QString &excludedFields,
                       bool currentRecordOnly, const QString &keyDefault)
{
    QString sql;
    BuildInsertSql(dataSet, tableName, keyFields, excludedFields, currentRecordOnly,
                   keyDefault, sql);
    return sql;
}
