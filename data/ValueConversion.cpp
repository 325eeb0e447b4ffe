#include "ValueConversion.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

#include "Decimal.h"
#include "LumoError.h"

namespace data {

namespace {

QString describe(const QVariant &value)
{
    return value.toString();
}

[[noreturn]] void raiseConversion(const QVariant &value, FieldType type, const QString &fieldName)
{
    throw LumoError(QStringLiteral("字段 \"%1\" 的值 \"%2\" 不能转换为 %3 类型")
                        .arg(fieldName, describe(value), fieldTypeName(type)));
}

bool isIntegerValue(int typeId)
{
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isFloatValue(int typeId)
{
    return typeId == QMetaType::Double || typeId == QMetaType::Float;
}

QString textOfAny(const QVariant &value)
{
    const int id = value.typeId();
    if (id == QMetaType::QString)
        return value.toString();
    if (id == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (isFloatValue(id))
        return numberText(value.toDouble());
    if (isIntegerValue(id))
        return value.toString();
    if (id == QMetaType::QDate)
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    if (id == QMetaType::QDateTime)
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    if (id == QMetaType::QTime)
        return value.toTime().toString(QStringLiteral("hh:mm:ss"));
    if (id == QMetaType::QByteArray)
        return QString::fromUtf8(value.toByteArray());
    return value.toString();
}

std::optional<qint64> readInteger(const QString &text)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (ok)
        return v;
    return std::nullopt;
}

qint64 roundToInteger(double v, const QVariant &original, FieldType type, const QString &fieldName)
{
    // Beyond +-2^63 there is no integer to round to.
    if (!std::isfinite(v) || std::fabs(v) >= 9.2233720368547758e18)
        raiseConversion(original, type, fieldName);
    return std::llround(v);
}

} // namespace

bool isNullValue(const QVariant &value)
{
    return !value.isValid() || value.isNull();
}

std::optional<double> readNumber(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString numberText(double value)
{
    if (value == 0.0)
        return QStringLiteral("0");  // also for -0
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

std::optional<bool> readBoolean(const QString &text)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("t") || t == QLatin1String("1")
        || t == QLatin1String("yes") || t == QLatin1String("y"))
        return true;
    if (t == QLatin1String("false") || t == QLatin1String("f") || t == QLatin1String("0")
        || t == QLatin1String("no") || t == QLatin1String("n"))
        return false;
    return std::nullopt;
}

namespace {

// "hh:mm[:ss[.fff...]]" into a QTime, fractions cut to milliseconds.
std::optional<QTime> timeFromParts(const QString &h, const QString &m, const QString &s, const QString &frac)
{
    const int hour = h.toInt();
    const int minute = m.toInt();
    const int second = s.isEmpty() ? 0 : s.toInt();
    int ms = 0;
    if (!frac.isEmpty())
        ms = frac.left(3).leftJustified(3, QLatin1Char('0')).toInt();
    if (!QTime::isValid(hour, minute, second, ms))
        return std::nullopt;
    return QTime(hour, minute, second, ms);
}

} // namespace

std::optional<QDateTime> readDateTime(const QString &text)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(\d{4})[-/](\d{1,2})[-/](\d{1,2})(?:[ T]+(\d{1,2}):(\d{1,2})(?::(\d{1,2})(?:\.(\d+))?)?)?\s*$)"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!date.isValid())
        return std::nullopt;
    QTime time(0, 0);
    if (m.hasCaptured(4)) {
        const auto t = timeFromParts(m.captured(4), m.captured(5), m.captured(6), m.captured(7));
        if (!t)
            return std::nullopt;
        time = *t;
    }
    return QDateTime(date, time);
}

std::optional<QTime> readTime(const QString &text)
{
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*(\d{1,2}):(\d{1,2})(?::(\d{1,2})(?:\.(\d+))?)?\s*$)"));
    const QRegularExpressionMatch m = re.match(text);
    if (m.hasMatch())
        return timeFromParts(m.captured(1), m.captured(2), m.captured(3), m.captured(4));
    // A full date-time gives its time of day.
    if (const auto dt = readDateTime(text))
        return dt->time();
    return std::nullopt;
}

QString valueText(const QVariant &value, FieldType type)
{
    if (isNullValue(value))
        return QString();
    // Bytes have no text of their own; their hexadecimal digits stand for them.
    if (isBytesType(type) && value.typeId() == QMetaType::QByteArray)
        return QString::fromLatin1(value.toByteArray().toHex().toUpper());
    switch (type) {
    case FieldType::Date:
        if (value.typeId() == QMetaType::QDateTime)
            return value.toDateTime().date().toString(QStringLiteral("yyyy-MM-dd"));
        break;
    case FieldType::Time:
        if (value.typeId() == QMetaType::QDateTime)
            return value.toDateTime().time().toString(QStringLiteral("hh:mm:ss"));
        break;
    default:
        break;
    }
    return textOfAny(value);
}

QVariant toStorage(const QVariant &value, FieldType type, const QString &fieldName)
{
    if (isNullValue(value))
        return QVariant();
    const int id = value.typeId();
    const bool isText = id == QMetaType::QString || id == QMetaType::QByteArray;

    if (isTextType(type)) {
        if (id == QMetaType::QString)
            return value;
        return QVariant(textOfAny(value));
    }

    // Bytes are kept as they are, an empty run of them too.
    if (isBytesType(type) && id == QMetaType::QByteArray)
        return value;

    // For every other type an empty text means "no value".
    QString text;
    if (isText) {
        text = textOfAny(value);
        if (text.trimmed().isEmpty())
            return QVariant();
    }

    // A text gives bytes as their hexadecimal digits.
    if (isBytesType(type)) {
        if (id == QMetaType::QString) {
            const QString hex = text.trimmed();
            static const QRegularExpression hexDigits(QStringLiteral("^(?:[0-9A-Fa-f]{2})*$"));
            if (hexDigits.match(hex).hasMatch())
                return QVariant(QByteArray::fromHex(hex.toLatin1()));
        }
        raiseConversion(value, type, fieldName);
    }

    if (isIntegerType(type)) {
        if (id == QMetaType::LongLong)
            return value;
        if (isIntegerValue(id))
            return QVariant(value.toLongLong());
        if (isFloatValue(id))
            return QVariant(roundToInteger(value.toDouble(), value, type, fieldName));
        if (id == QMetaType::Bool)
            return QVariant(qint64(value.toBool() ? 1 : 0));
        if (isText) {
            if (const auto v = readInteger(text))
                return QVariant(*v);
        }
        raiseConversion(value, type, fieldName);
    }

    if (type == FieldType::BCD || type == FieldType::Currency) {
        std::optional<Decimal> d;
        if (isIntegerValue(id))
            d = Decimal::fromInteger(value.toLongLong());
        else if (isFloatValue(id))
            d = Decimal::fromDouble(value.toDouble());
        else if (id == QMetaType::Bool)
            d = Decimal::fromInteger(value.toBool() ? 1 : 0);
        else if (isText)
            d = Decimal::parse(text);
        if (!d)
            raiseConversion(value, type, fieldName);
        // Money keeps four decimals, as the money columns store it.
        if (type == FieldType::Currency)
            d = d->roundedTo(4);
        return QVariant(d->toString());
    }

    if (isFloatType(type)) {
        double v = 0;
        if (isFloatValue(id) || isIntegerValue(id)) {
            v = value.toDouble();
        } else if (id == QMetaType::Bool) {
            v = value.toBool() ? 1 : 0;
        } else if (isText) {
            const auto n = readNumber(text);
            if (!n)
                raiseConversion(value, type, fieldName);
            v = *n;
        } else {
            raiseConversion(value, type, fieldName);
        }
        if (!std::isfinite(v))
            raiseConversion(value, type, fieldName);
        return QVariant(v);
    }

    switch (type) {
    case FieldType::Boolean:
        if (id == QMetaType::Bool)
            return value;
        if (isIntegerValue(id) || isFloatValue(id))
            return QVariant(value.toDouble() != 0.0);
        if (isText) {
            if (const auto b = readBoolean(text))
                return QVariant(*b);
        }
        raiseConversion(value, type, fieldName);
    case FieldType::Date:
        if (id == QMetaType::QDate) {
            if (!value.toDate().isValid())
                return QVariant();
            return value;
        }
        if (id == QMetaType::QDateTime) {
            const QDateTime dt = value.toDateTime();
            return dt.isValid() ? QVariant(dt.date()) : QVariant();
        }
        if (isText) {
            if (const auto dt = readDateTime(text))
                return QVariant(dt->date());
        }
        raiseConversion(value, type, fieldName);
    case FieldType::DateTime:
        if (id == QMetaType::QDateTime) {
            if (!value.toDateTime().isValid())
                return QVariant();
            return value;
        }
        if (id == QMetaType::QDate) {
            const QDate d = value.toDate();
            return d.isValid() ? QVariant(QDateTime(d, QTime(0, 0))) : QVariant();
        }
        if (id == QMetaType::QTime) {
            const QTime t = value.toTime();
            return t.isValid() ? QVariant(QDateTime(timeOnlyDate(), t)) : QVariant();
        }
        if (isText) {
            if (const auto dt = readDateTime(text))
                return QVariant(*dt);
        }
        raiseConversion(value, type, fieldName);
    case FieldType::Time:
        if (id == QMetaType::QTime) {
            if (!value.toTime().isValid())
                return QVariant();
            return value;
        }
        if (id == QMetaType::QDateTime) {
            const QDateTime dt = value.toDateTime();
            return dt.isValid() ? QVariant(dt.time()) : QVariant();
        }
        if (isText) {
            if (const auto t = readTime(text))
                return QVariant(*t);
        }
        raiseConversion(value, type, fieldName);
    default:
        break;
    }
    raiseConversion(value, type, fieldName);
}

} // namespace data
