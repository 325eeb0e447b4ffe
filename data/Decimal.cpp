#include "Decimal.h"

#include <QLocale>

#include <cmath>

namespace data {

namespace {

// Beyond this an exponent is no number a database column holds.
constexpr int kLargestExponent = 400;

bool allDigits(QStringView text)
{
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

std::optional<Decimal> Decimal::parse(QStringView text)
{
    QStringView t = text.trimmed();
    Decimal d;
    if (!t.isEmpty() && (t.front() == u'-' || t.front() == u'+')) {
        d.m_negative = t.front() == u'-';
        t = t.mid(1);
    }
    int exponent = 0;
    const qsizetype e = t.indexOf(u'e', 0, Qt::CaseInsensitive);
    if (e >= 0) {
        QStringView power = t.mid(e + 1);
        bool negativePower = false;
        if (!power.isEmpty() && (power.front() == u'-' || power.front() == u'+')) {
            negativePower = power.front() == u'-';
            power = power.mid(1);
        }
        if (power.isEmpty() || power.size() > 4 || !allDigits(power))
            return std::nullopt;
        exponent = power.toInt() * (negativePower ? -1 : 1);
        if (std::abs(exponent) > kLargestExponent)
            return std::nullopt;
        t = t.left(e);
    }
    const qsizetype point = t.indexOf(u'.');
    QString integer = (point < 0 ? t : t.left(point)).toString();
    QString fraction = point < 0 ? QString() : t.mid(point + 1).toString();
    if ((integer.isEmpty() && fraction.isEmpty()) || !allDigits(integer) || !allDigits(fraction))
        return std::nullopt;
    // The exponent moves the point.
    if (exponent > 0) {
        fraction = fraction.leftJustified(exponent, u'0');
        integer += fraction.left(exponent);
        fraction = fraction.mid(exponent);
    } else if (exponent < 0) {
        integer = integer.rightJustified(-exponent, u'0');
        fraction = integer.right(-exponent) + fraction;
        integer.chop(-exponent);
    }
    d.m_integer = integer;
    d.m_fraction = fraction;
    d.normalise();
    return d;
}

Decimal Decimal::fromInteger(qint64 value)
{
    Decimal d;
    d.m_negative = value < 0;
    // The magnitude as text, also for the smallest qint64.
    d.m_integer = QString::number(value);
    if (d.m_negative)
        d.m_integer.remove(0, 1);
    d.normalise();
    return d;
}

std::optional<Decimal> Decimal::fromDouble(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    return parse(QString::number(value, 'g', QLocale::FloatingPointShortest));
}

void Decimal::normalise()
{
    qsizetype lead = 0;
    while (lead < m_integer.size() && m_integer[lead] == u'0')
        ++lead;
    m_integer.remove(0, lead);
    qsizetype end = m_fraction.size();
    while (end > 0 && m_fraction[end - 1] == u'0')
        --end;
    m_fraction.truncate(end);
    if (m_integer.isEmpty() && m_fraction.isEmpty())
        m_negative = false;
}

QString Decimal::toString() const
{
    QString text = m_negative ? QStringLiteral("-") : QString();
    text += m_integer.isEmpty() ? QStringLiteral("0") : m_integer;
    if (!m_fraction.isEmpty())
        text += u'.' + m_fraction;
    return text;
}

double Decimal::toDouble() const
{
    return toString().toDouble();
}

Decimal Decimal::roundedTo(int decimals) const
{
    if (decimals < 0 || m_fraction.size() <= decimals)
        return *this;
    Decimal d = *this;
    const bool up = m_fraction[decimals] >= u'5';
    d.m_fraction.truncate(decimals);
    if (up) {
        // Add one unit of the last kept place, carrying leftwards.
        QString digits = d.m_integer + d.m_fraction;
        qsizetype i = digits.size() - 1;
        while (i >= 0 && digits[i] == u'9')
            digits[i--] = u'0';
        if (i >= 0)
            digits[i] = QChar(digits[i].unicode() + 1);
        else
            digits.prepend(u'1');
        d.m_integer = digits.left(digits.size() - decimals);
        d.m_fraction = digits.right(decimals);
    }
    d.normalise();
    return d;
}

int Decimal::compareMagnitude(const Decimal &other) const
{
    if (m_integer.size() != other.m_integer.size())
        return m_integer.size() < other.m_integer.size() ? -1 : 1;
    if (const int c = m_integer.compare(other.m_integer))
        return c < 0 ? -1 : 1;
    // Fractions compare digit by digit; a missing digit is a zero, and as no
    // fraction ends in zero the longer one is larger when the rest is equal.
    if (const int c = m_fraction.compare(other.m_fraction))
        return c < 0 ? -1 : 1;
    return 0;
}

int Decimal::compare(const Decimal &other) const
{
    if (m_negative != other.m_negative)
        return m_negative ? -1 : 1;
    const int magnitude = compareMagnitude(other);
    return m_negative ? -magnitude : magnitude;
}

} // namespace data
