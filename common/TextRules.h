#pragma once

#include <QString>
#include <QStringList>

// Text rules shared by the helpers. They follow the 8-bit rules the stored data
// and the callers grew up with, not Unicode's: "blank" means any character up to
// U+0020 (control characters included, the ideographic space U+3000 excluded),
// and upper-casing touches the ASCII letters only.

// Removes characters up to U+0020 at both ends.
QString trimBlanks(const QString &text);

// Upper-cases a-z only; every other character stays as it is.
QString asciiUpper(const QString &text);
inline char16_t asciiUpper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? char16_t(c - (u'a' - u'A')) : c;
}

// A user code as the database's key compares it: trailing blanks dropped where
// it ignores them (SQL Server pads the shorter text with blanks), the ASCII
// letters upper-cased where it ignores case (as SQLite's NOCASE folds them).
QString codeAsCompared(const QString &code, bool ignoreCase, bool ignoreTrailingBlanks);

// Splits a field list ("F1;F2", "F1; F2 ;", " ") into its names. Both ";" and
// blanks or control characters separate names; empty pieces are dropped, so an
// empty or all-blank text gives an empty list.
QStringList splitFieldList(const QString &text);

// The text in single quotes with every single quote inside doubled: the one way
// values are written into statements that are not built field by field.
QString QuotedStr(const QString &text);
// The same, appended to a statement being built.
void AppendQuoted(QString &statement, QStringView text);
