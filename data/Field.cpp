#include "Field.h"

#include <cmath>

#include "ClientDataSet.h"
#include "LumoError.h"
#include "ValueConversion.h"

namespace data {

namespace {

[[noreturn]] void raiseRead(const Field &field, const QVariant &value, const QString &target)
{
    throw LumoError(QStringLiteral("字段 \"%1\" 的值 \"%2\" 不能作为%3读取")
                        .arg(field.FieldName(), valueText(value, field.DataType()), target));
}

} // namespace

Field::Field(ClientDataSet *dataSet, int index, QString name, FieldType type, int size)
    : m_dataSet(dataSet), m_index(index), m_name(std::move(name)), m_type(type), m_size(size)
{
}

QVariant Field::Value() const
{
    return m_dataSet ? m_dataSet->currentValue(m_index) : QVariant();
}

bool Field::IsNull() const
{
    return isNullValue(Value());
}

QString Field::AsString() const
{
    if (!m_dataSet)
        return QString();
    return textOfStored(m_dataSet->currentValue(m_index));
}

qint64 Field::AsInteger() const
{
    const QVariant v = Value();
    if (isNullValue(v))
        return 0;
    if (isIntegerType(m_type))
        return v.toLongLong();
    if (isFloatType(m_type)) {
        const double d = v.toDouble();
        if (std::fabs(d) >= 9.2233720368547758e18)
            raiseRead(*this, v, QStringLiteral("整数"));
        return std::llround(d);
    }
    if (m_type == FieldType::Boolean)
        return v.toBool() ? 1 : 0;
    if (isTextType(m_type)) {
        bool ok = false;
        const qint64 n = v.toString().trimmed().toLongLong(&ok);
        if (ok)
            return n;
    }
    raiseRead(*this, v, QStringLiteral("整数"));
}

double Field::AsFloat() const
{
    const QVariant v = Value();
    if (isNullValue(v))
        return 0;
    if (isIntegerType(m_type) || isFloatType(m_type))
        return v.toDouble();
    if (m_type == FieldType::Boolean)
        return v.toBool() ? 1 : 0;
    if (isTextType(m_type)) {
        if (const auto n = readNumber(v.toString()))
            return *n;
    }
    raiseRead(*this, v, QStringLiteral("浮点数"));
}

QDateTime Field::AsDateTime() const
{
    const QVariant v = Value();
    if (isNullValue(v))
        return QDateTime();
    switch (m_type) {
    case FieldType::Date:
        return QDateTime(v.toDate(), QTime(0, 0));
    case FieldType::DateTime:
        return v.toDateTime();
    case FieldType::Time:
        return QDateTime(timeOnlyDate(), v.toTime());
    default:
        break;
    }
    if (isTextType(m_type)) {
        if (const auto dt = readDateTime(v.toString()))
            return *dt;
        if (const auto t = readTime(v.toString()))
            return QDateTime(timeOnlyDate(), *t);
    }
    raiseRead(*this, v, QStringLiteral("日期时间"));
}

bool Field::AsBoolean() const
{
    const QVariant v = Value();
    if (isNullValue(v))
        return false;
    if (m_type == FieldType::Boolean)
        return v.toBool();
    if (isIntegerType(m_type) || isFloatType(m_type))
        return v.toDouble() != 0.0;
    if (isTextType(m_type)) {
        if (const auto b = readBoolean(v.toString()))
            return *b;
    }
    raiseRead(*this, v, QStringLiteral("布尔值"));
}

void Field::SetValue(const QVariant &value)
{
    if (!m_dataSet)
        throw LumoError(QStringLiteral("字段 \"%1\" 不属于任何数据集").arg(m_name));
    m_dataSet->setCurrentValue(m_index, value);
}

void Field::SetAsString(const QString &text)
{
    SetValue(QVariant(text));
}

void Field::SetAsInteger(qint64 value)
{
    SetValue(QVariant(value));
}

void Field::SetAsFloat(double value)
{
    SetValue(QVariant(value));
}

void Field::SetAsDateTime(const QDateTime &value)
{
    SetValue(value.isValid() ? QVariant(value) : QVariant());
}

void Field::SetAsBoolean(bool value)
{
    SetValue(QVariant(value));
}

void Field::Clear()
{
    SetValue(QVariant());
}

QVariant Field::normalise(const QVariant &value) const
{
    return toStorage(value, m_type, m_name);
}

QString Field::textOf(const QVariant &value) const
{
    return valueText(value, m_type);
}

QString Field::textOfStored(const QVariant &value) const
{
    if (value.typeId() == QMetaType::QString)
        return *static_cast<const QString *>(value.constData());
    return textOf(value);
}

} // namespace data
