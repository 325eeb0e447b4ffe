// Ini files read as the Windows profile functions read them: values as
// written (no escapes, lists or comments), names without regard to case, GBK
// or UTF-8 by what the bytes are.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "Gbk.h"
#include "IniFile.h"

using data::IniFile;

TEST(DataIniFile, ValuesReadAsWritten)
{
    const IniFile ini(QByteArrayLiteral(
        "Top=outside any section\r\n"
        "[PhotoFTP]\r\n"
        "Path=C:\\photos\\new\r\n"
        "Semi=a;b\r\n"
        "List=a,b\r\n"
        "At=@Variant(abc)\r\n"
        "Eq=a=b\r\n"
        "  Spaced Key  = \t v w \t\r\n"
        "Double=  \"quoted; value\"  \r\n"
        "Single='one'\r\n"
        "Unbalanced=\"open\r\n"
        "Mixed=\"x'\r\n"
        "Empty=\r\n"
        "NoEquals\r\n"
        "Path=second\r\n"
        "; Note=comment\r\n"
        "[ other ]\n"
        "Key=other\n"));
    const QList<QPair<QStringList, std::optional<QString>>> cases{
        {{"PhotoFTP", "Path"}, QStringLiteral("C:\\photos\\new")},
        {{"photoftp", "PATH"}, QStringLiteral("C:\\photos\\new")},
        {{"PhotoFTP", "Semi"}, QStringLiteral("a;b")},
        {{"PhotoFTP", "List"}, QStringLiteral("a,b")},
        {{"PhotoFTP", "At"}, QStringLiteral("@Variant(abc)")},
        {{"PhotoFTP", "Eq"}, QStringLiteral("a=b")},
        {{"PhotoFTP", "spaced key"}, QStringLiteral("v w")},
        {{"PhotoFTP", "Double"}, QStringLiteral("quoted; value")},
        {{"PhotoFTP", "Single"}, QStringLiteral("one")},
        {{"PhotoFTP", "Unbalanced"}, QStringLiteral("\"open")},
        {{"PhotoFTP", "Mixed"}, QStringLiteral("\"x'")},
        {{"PhotoFTP", "Empty"}, QString()},
        {{"PhotoFTP", "NoEquals"}, QString()},
        {{"PhotoFTP", "Note"}, std::nullopt},
        {{"PhotoFTP", "Key"}, std::nullopt},
        {{"PhotoFTP", "Top"}, std::nullopt},
        {{"Other", "Key"}, QStringLiteral("other")},
        {{"Missing", "Key"}, std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE((c.first.join(u'/')).toStdString());
        EXPECT_EQ(ini.value(c.first[0], c.first[1]), c.second);
    }
}

TEST(DataIniFile, GbkUnlessTheBytesAreUtf8)
{
    const QString text = QStringLiteral("[用户]\r\n姓名=张三\r\n");
    const QList<QPair<const char *, QByteArray>> files{
        {"GBK", unicodeToGbk(text)},
        {"UTF-8", text.toUtf8()},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + text.toUtf8()},
        {"UTF-16 with its mark", QByteArray("\xFF\xFE", 2)
                                     + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2)},
    };
    for (const auto &file : files)
        EXPECT_EQ(IniFile(file.second).value(QStringLiteral("用户"), QStringLiteral("姓名")), QStringLiteral("张三"))
            << file.first;

    QTemporaryDir dir;
    EXPECT_EQ(IniFile::load(dir.filePath(QStringLiteral("absent.ini"))).value("a", "b"), std::nullopt);
}
