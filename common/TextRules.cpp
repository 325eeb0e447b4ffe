#include "TextRules.h"

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
    QString result = text;
    for (QChar &c : result) {
        const char16_t u = c.unicode();
        if (u >= u'a' && u <= u'z')
            c = QChar(char16_t(u - (u'a' - u'A')));
    }
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

void AppendQuoted(QString &statement, const QString &text)
{
    statement += u'\'';
    qsizetype from = 0;
    for (qsizetype at; (at = text.indexOf(u'\'', from)) >= 0; from = at + 1) {
        statement.append(text.constData() + from, at + 1 - from);
        statement += u'\'';
    }
    statement.append(text.constData() + from, text.size() - from);
    statement += u'\'';
}
