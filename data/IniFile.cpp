#include "IniFile.h"

#include <QFile>
#include <QStringDecoder>

#include "Gbk.h"
#include "LumoError.h"

namespace data {

namespace {

bool isProfileBlank(QChar c)
{
    return c.unicode() <= u' ';
}

QStringView trimmedProfile(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isProfileBlank(text[begin]))
        ++begin;
    while (end > begin && isProfileBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// "[Name]" gives Name (blanks inside the brackets trimmed); other lines nothing.
std::optional<QStringView> sectionOf(QStringView line)
{
    if (!line.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = line.indexOf(u']');
    const QStringView name = close < 0 ? line.mid(1) : line.mid(1, close - 1);
    return trimmedProfile(name);
}

} // namespace

QString decodeIniText(const QByteArray &content)
{
    if (content.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(content.mid(3));
    if (content.startsWith("\xFF\xFE") || content.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16);
        return QString(utf16.decode(content));
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(content);
    if (!utf8.hasError())
        return text;
    return gbkToUnicode(content);
}

IniFile::IniFile(const QByteArray &content)
{
    const QString text = decodeIniText(content);
    for (QStringView line : QStringView(text).split(u'\n'))
        m_lines.append(trimmedProfile(line).toString());
}

IniFile IniFile::load(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return IniFile(QByteArray());
    if (!file.open(QIODevice::ReadOnly))
        throw LumoError(QStringLiteral("无法读取配置文件 %1: %2").arg(path, file.errorString()));
    return IniFile(file.readAll());
}

std::optional<QString> IniFile::value(const QString &section, const QString &key) const
{
    const QStringView wantedSection = trimmedProfile(section);
    const QStringView wantedKey = trimmedProfile(key);
    bool inSection = false;
    for (const QString &line : m_lines) {
        if (const auto name = sectionOf(line)) {
            inSection = name->compare(wantedSection, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype equals = line.indexOf(u'=');
        const QStringView name = trimmedProfile(QStringView(line).left(equals < 0 ? line.size() : equals));
        if (name.compare(wantedKey, Qt::CaseInsensitive) != 0)
            continue;
        if (equals < 0)
            return QString();
        QStringView value = trimmedProfile(QStringView(line).mid(equals + 1));
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
            && value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        return value.toString();
    }
    return std::nullopt;
}

} // namespace data
