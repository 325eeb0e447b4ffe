#include "TextRules.h"

#include <algorithm>

namespace {

bool isBlank(QChar c)
{
    return c.unicode() <= 0x20;
}

} // namespace

QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    if (begin == 0 && end == text.size())
        return text;
    return text.mid(begin, end - begin);
}

QString asciiUpper(const QString &text)
{
    // Codes are mostly digits: the text is copied only when a letter changes.
    const auto lower = std::find_if(text.cbegin(), text.cend(),
                                    [](QChar c) { return asciiUpper(c.unicode()) != c.unicode(); });
    if (lower == text.cend())
        return text;
    QString result = text;
    for (auto it = result.begin() + (lower - text.cbegin()); it != result.end(); ++it)
        *it = QChar(asciiUpper(it->unicode()));
    return result;
}

QStringList splitFieldList(const QString &text)
{
    QStringList names;
    QString current;
    for (const QChar c : text) {
        if (c == u';' || isBlank(c)) {
            if (!current.isEmpty())
                names.append(current);
            current.clear();
        } else {
            current.append(c);
        }
    }
    if (!current.isEmpty())
        names.append(current);
    return names;
}

QString QuotedStr(const QString &text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    AppendQuoted(quoted, text);
    return quoted;
}

void AppendQuoted(QString &statement, QStringView text)
{
    // Sized once and written in place (resize grows the capacity
    // geometrically): statements are built from many quoted values.
    const qsizetype start = statement.size();
    const qsizetype quotes = text.count(u'\'');
    statement.resize(start + text.size() + quotes + 2);
    QChar *out = statement.data() + start;
    *out++ = u'\'';
    if (quotes == 0) {
        // Most values hold no quote: copied whole.
        std::copy(text.begin(), text.end(), out);
        out += text.size();
    } else {
        for (const QChar c : text) {
            *out++ = c;
            if (c == u'\'')
                *out++ = u'\'';
        }
    }
    *out = u'\'';
}

QString codeAsCompared(const QString &code, bool ignoreCase, bool ignoreTrailingBlanks)
{
    QString key = code;
    if (ignoreTrailingBlanks) {
        qsizetype end = key.size();
        while (end > 0 && key.at(end - 1) == u' ')
            --end;
        key.truncate(end);
    }
    return ignoreCase ? asciiUpper(key) : key;
}
