#pragma once

#include <QString>

// A text as an SQL string literal: in single quotes, quotes inside doubled.
inline QString sqlQuoted(const QString &text)
{
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}
