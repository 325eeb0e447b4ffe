#pragma once

#include <QString>
#include <QStringView>

#include <optional>

#include "DataExport.h"

namespace data {

// An exact decimal number, as the database holds decimal, numeric and money
// values (up to 38 digits with their scale). A double would round
// 12345678901234.5678 to ...568, and every save would then rewrite a column
// nobody touched. Fields store the canonical text (see toString), so a value
// read and written back unchanged is the same text.
class DATA_EXPORT Decimal
{
public:
    Decimal() = default;

    // "[+-]digits[.digits][e[+-]digits]", blanks around it allowed; nothing
    // for any other text.
    static std::optional<Decimal> parse(QStringView text);
    static Decimal fromInteger(qint64 value);
    // The shortest decimal that reads back as the double; nothing for
    // infinities and NaN.
    static std::optional<Decimal> fromDouble(double value);

    // No exponent, no leading zeros, no trailing zeros after the point, no
    // point without a fraction, "-" only before a value other than zero:
    // "-12.5", "0", "100".
    QString toString() const;
    double toDouble() const;
    // Rounded to at most `decimals` places, halves away from zero.
    Decimal roundedTo(int decimals) const;

    // -1, 0 or 1, exactly.
    int compare(const Decimal &other) const;
    bool operator==(const Decimal &other) const { return compare(other) == 0; }
    bool operator!=(const Decimal &other) const { return compare(other) != 0; }

private:
    int compareMagnitude(const Decimal &other) const;
    void normalise();

    bool m_negative = false;
    QString m_integer;   // digits without leading zeros; empty for a value below 1
    QString m_fraction;  // digits without trailing zeros
};

} // namespace data
