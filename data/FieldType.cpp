#include "FieldType.h"

#include <QHash>
#include <QRegularExpression>

namespace data {

QString fieldTypeName(FieldType type)
{
    switch (type) {
    case FieldType::String: return QStringLiteral("String");
    case FieldType::FixedChar: return QStringLiteral("FixedChar");
    case FieldType::WideString: return QStringLiteral("WideString");
    case FieldType::Memo: return QStringLiteral("Memo");
    case FieldType::Smallint: return QStringLiteral("Smallint");
    case FieldType::Integer: return QStringLiteral("Integer");
    case FieldType::Word: return QStringLiteral("Word");
    case FieldType::AutoInc: return QStringLiteral("AutoInc");
    case FieldType::Largeint: return QStringLiteral("Largeint");
    case FieldType::Float: return QStringLiteral("Float");
    case FieldType::Currency: return QStringLiteral("Currency");
    case FieldType::BCD: return QStringLiteral("BCD");
    case FieldType::Boolean: return QStringLiteral("Boolean");
    case FieldType::Date: return QStringLiteral("Date");
    case FieldType::DateTime: return QStringLiteral("DateTime");
    case FieldType::Time: return QStringLiteral("Time");
    case FieldType::Bytes: return QStringLiteral("Bytes");
    case FieldType::RowVersion: return QStringLiteral("RowVersion");
    }
    return QStringLiteral("Unknown");
}

bool isIntegerType(FieldType type)
{
    switch (type) {
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::Word:
    case FieldType::AutoInc:
    case FieldType::Largeint:
        return true;
    default:
        return false;
    }
}

bool isFloatType(FieldType type)
{
    return type == FieldType::Float || type == FieldType::Currency || type == FieldType::BCD;
}

bool isTextType(FieldType type)
{
    switch (type) {
    case FieldType::String:
    case FieldType::FixedChar:
    case FieldType::WideString:
    case FieldType::Memo:
        return true;
    default:
        return false;
    }
}

bool isBytesType(FieldType type)
{
    return type == FieldType::Bytes || type == FieldType::RowVersion;
}

namespace {

const QHash<QString, FieldType> &declarationTable()
{
    // Keys are lower case with every blank removed ("double precision" ->
    // "doubleprecision"), so the spelling a database kept does not matter.
    static const QHash<QString, FieldType> table = {
        {QStringLiteral("varchar"), FieldType::String},
        {QStringLiteral("varchar2"), FieldType::String},
        {QStringLiteral("charactervarying"), FieldType::String},
        {QStringLiteral("varyingcharacter"), FieldType::String},
        {QStringLiteral("string"), FieldType::String},
        {QStringLiteral("uniqueidentifier"), FieldType::String},
        {QStringLiteral("char"), FieldType::FixedChar},
        {QStringLiteral("character"), FieldType::FixedChar},
        {QStringLiteral("nvarchar"), FieldType::WideString},
        {QStringLiteral("nvarchar2"), FieldType::WideString},
        {QStringLiteral("nchar"), FieldType::WideString},
        {QStringLiteral("nationalcharacter"), FieldType::WideString},
        {QStringLiteral("nativecharacter"), FieldType::WideString},
        {QStringLiteral("nationalcharactervarying"), FieldType::WideString},
        {QStringLiteral("text"), FieldType::Memo},
        {QStringLiteral("ntext"), FieldType::Memo},
        {QStringLiteral("clob"), FieldType::Memo},
        {QStringLiteral("nclob"), FieldType::Memo},
        {QStringLiteral("longtext"), FieldType::Memo},
        {QStringLiteral("mediumtext"), FieldType::Memo},
        {QStringLiteral("tinytext"), FieldType::Memo},
        {QStringLiteral("memo"), FieldType::Memo},
        {QStringLiteral("int"), FieldType::Integer},
        {QStringLiteral("integer"), FieldType::Integer},
        {QStringLiteral("int4"), FieldType::Integer},
        {QStringLiteral("mediumint"), FieldType::Integer},
        {QStringLiteral("smallint"), FieldType::Smallint},
        {QStringLiteral("tinyint"), FieldType::Smallint},
        {QStringLiteral("int2"), FieldType::Smallint},
        {QStringLiteral("bigint"), FieldType::Largeint},
        {QStringLiteral("int8"), FieldType::Largeint},
        {QStringLiteral("unsignedbigint"), FieldType::Largeint},
        {QStringLiteral("bit"), FieldType::Boolean},
        {QStringLiteral("boolean"), FieldType::Boolean},
        {QStringLiteral("bool"), FieldType::Boolean},
        {QStringLiteral("real"), FieldType::Float},
        {QStringLiteral("float"), FieldType::Float},
        {QStringLiteral("double"), FieldType::Float},
        {QStringLiteral("doubleprecision"), FieldType::Float},
        {QStringLiteral("float8"), FieldType::Float},
        {QStringLiteral("money"), FieldType::Currency},
        {QStringLiteral("smallmoney"), FieldType::Currency},
        {QStringLiteral("decimal"), FieldType::BCD},
        {QStringLiteral("numeric"), FieldType::BCD},
        {QStringLiteral("dec"), FieldType::BCD},
        {QStringLiteral("date"), FieldType::Date},
        {QStringLiteral("datetime"), FieldType::DateTime},
        {QStringLiteral("datetime2"), FieldType::DateTime},
        {QStringLiteral("smalldatetime"), FieldType::DateTime},
        {QStringLiteral("timestamp"), FieldType::DateTime},
        {QStringLiteral("datetimeoffset"), FieldType::DateTime},
        {QStringLiteral("time"), FieldType::Time},
        {QStringLiteral("binary"), FieldType::Bytes},
        {QStringLiteral("varbinary"), FieldType::Bytes},
        {QStringLiteral("binaryvarying"), FieldType::Bytes},
        {QStringLiteral("image"), FieldType::Bytes},
        {QStringLiteral("blob"), FieldType::Bytes},
        {QStringLiteral("longblob"), FieldType::Bytes},
        {QStringLiteral("mediumblob"), FieldType::Bytes},
        {QStringLiteral("tinyblob"), FieldType::Bytes},
        {QStringLiteral("bytea"), FieldType::Bytes},
        {QStringLiteral("rowversion"), FieldType::RowVersion},
    };
    return table;
}

} // namespace

FieldType fieldTypeFromDeclaration(const QString &declaredType)
{
    QString key = declaredType.toLower();
    // "(max)" marks the long text types of SQL Server.
    QString compact = key;
    compact.remove(QRegularExpression(QStringLiteral("\\s+")));
    const bool isMax = compact.contains(QLatin1String("(max)"));
    const int paren = compact.indexOf(QLatin1Char('('));
    if (paren >= 0)
        compact.truncate(paren);

    // "int identity" is a counter column the server fills: AutoInc, a type of its own.
    bool identity = false;
    if (compact.endsWith(QLatin1String("identity")) && compact.size() > 8) {
        compact.chop(8);
        identity = true;
    }

    const auto &table = declarationTable();
    const auto it = table.constFind(compact);
    if (it == table.constEnd())
        return FieldType::String;
    FieldType type = it.value();
    if (isMax && (type == FieldType::String || type == FieldType::WideString))
        return FieldType::Memo;
    if (identity && isIntegerType(type))
        return FieldType::AutoInc;
    return type;
}

} // namespace data
