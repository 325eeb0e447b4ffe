// The reader of 批量导入 on real files made here: XLSX written by libxlsxwriter,
// broken archives made by hand with libzip, CSV in UTF-8 and GBK; and the
// template written and read back.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <xlsxwriter.h>
#include <zip.h>

#include <functional>
#include <variant>

#include "Gbk.h"
#include "ImportFileReader.h"
#include "ImportTemplate.h"

using namespace Qt::StringLiterals;

namespace {

using Cell = std::variant<std::monostate, const char *, double>;
using Rows = std::vector<std::vector<Cell>>;

// An XLSX by libxlsxwriter: shared strings, or inline ones in constant memory.
QByteArray xlsx(const QString &path, const Rows &rows, bool inlineStrings = false)
{
    lxw_workbook_options options{};
    options.constant_memory = inlineStrings ? LXW_TRUE : LXW_FALSE;
    lxw_workbook *wb = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    lxw_worksheet *ws = workbook_add_worksheet(wb, "用户");
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) {
            if (const char *const *s = std::get_if<const char *>(&rows[r][c]))
                worksheet_write_string(ws, lxw_row_t(r), lxw_col_t(c), *s, nullptr);
            else if (const double *d = std::get_if<double>(&rows[r][c]))
                worksheet_write_number(ws, lxw_row_t(r), lxw_col_t(c), *d, nullptr);
        }
    }
    EXPECT_EQ(workbook_close(wb), LXW_NO_ERROR);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

// A ZIP by hand; an entry named with a leading '!' is encrypted.
QByteArray zipOf(const QString &path, const std::vector<std::pair<const char *, QByteArray>> &entries)
{
    int error = 0;
    zip_t *za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto &[name, content] : entries) {
        const bool encrypt = name[0] == '!';
        zip_source_t *src = zip_source_buffer(za, content.constData(), zip_uint64_t(content.size()), 0);
        const zip_int64_t index = zip_file_add(za, encrypt ? name + 1 : name, src, ZIP_FL_OVERWRITE);
        if (encrypt)
            EXPECT_EQ(zip_file_set_encryption(za, zip_uint64_t(index), ZIP_EM_AES_256, "secret"), 0);
    }
    EXPECT_EQ(zip_close(za), 0);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

const QByteArray kWorkbook =
    R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="A" sheetId="1" r:id="rId1"/></sheets></workbook>)";
const QByteArray kRels =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/data.xml"/></Relationships>)";
const QByteArray kSheet =
    R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>姓名</t></is></c><c r="B1" t="inlineStr"><is><t>所属单位代码</t></is></c></row></sheetData></worksheet>)";

struct Made
{
    QByteArray bytes;
    ImportLimits limits;
};
using Maker = std::function<Made(const QString &path)>;

// "line|姓名|所属单位代码|所属单位名称|联系方式|级别|序号" per row.
QStringList rowsOf(const ImportSheet &sheet)
{
    QStringList out;
    for (const ImportRow &r : sheet.rows)
        out << QString::number(r.line) + u'|' + QStringList(r.values.begin(), r.values.end()).join(u'|');
    return out;
}

} // namespace

TEST(UsersImportReader, ReadsSpreadsheetsAndTextFiles)
{
    const Rows plain = {{"姓名", "所属单位代码", "所属单位名称", "联系方式"},
                        {"张三", 3301020101.0, "城关卫生院", 13800001111.0},
                        {},
                        {"李四", "3301020102", std::monostate(), "0571-1234"}};
    const Rows reordered = {{std::monostate(), "序号", " 所属单位名称 ", "备注", "姓　名", "级别", "所属单位 代码"},
                            {std::monostate(), 1.0, "卫生院", "x", "王五", 2.5, "3301"},
                            {std::monostate(), "01", std::monostate(), std::monostate(), "赵六"}};
    const QString csvText = QStringLiteral("姓名,所属单位代码,所属单位名称,联系方式\r\n"
                                           "\"孙, 七\",3301,\"说\"\"好\"\"的\",\"第一行\r\n第二行\"\r\n"
                                           ",,,\r\n周八,3302,,\r\n");
    const QStringList csvRows = {u"2|孙, 七|3301|说\"好\"的|第一行\n第二行||"_s, u"4|周八|3302||||"_s};
    struct Case
    {
        const char *name;
        Maker make;
        QStringList rows;
        QStringList unknown;
    };
    const Case cases[] = {
        {"shared strings and numbers", [&](const QString &p) { return Made{xlsx(p, plain), {}}; },
         {u"2|张三|3301020101|城关卫生院|13800001111||"_s, u"4|李四|3301020102||0571-1234||"_s}, {}},
        {"inline strings", [&](const QString &p) { return Made{xlsx(p, plain, true), {}}; },
         {u"2|张三|3301020101|城关卫生院|13800001111||"_s, u"4|李四|3301020102||0571-1234||"_s}, {}},
        {"columns in another order, a gap, an unknown column",
         [&](const QString &p) { return Made{xlsx(p, reordered), {}}; },
         {u"2|王五|3301|卫生院||2.5|1"_s, u"3|赵六|||||01"_s}, {u"备注"_s}},
        {"rows and cells without references, rich text, booleans, a strict workbook",
         [&](const QString &p) {
             const QByteArray workbook =
                 R"(<workbook xmlns:r="http://purl.oclc.org/ooxml/officeDocument/relationships"><sheets><sheet r:id="s"/></sheets></workbook>)";
             const QByteArray rels = R"(<Relationships><Relationship Id="s" Target="/xl/worksheets/data.xml"/></Relationships>)";
             const QByteArray sheet = u8R"(<worksheet><sheetData>
                 <row><c t="inlineStr"><is><r><t>姓</t></r><r><t>名</t></r></is></c><c t="inlineStr"><is><t>所属单位代码</t></is></c><c t="inlineStr"><is><t>级别</t></is></c></row>
                 <row><c t="inlineStr"><is><t>甲_x000D_乙</t><rPh><t>jia</t></rPh></is></c><c><v>1.0</v></c><c t="b"><v>1</v></c></row>
                 <row r="5"><c r="C5"><v>1.5E+1</v></c><c r="A5" t="str"><v>丙</v></c></row></sheetData></worksheet>)";
             return Made{zipOf(p, {{"xl/workbook.xml", workbook}, {"xl/_rels/workbook.xml.rels", rels},
                                   {"xl/worksheets/data.xml", sheet}}),
                         {}};
         },
         {u"2|甲\r乙|1|||TRUE|"_s, u"5|丙||||15|"_s}, {}},
        {"csv utf-8", [&](const QString &) { return Made{csvText.toUtf8(), {}}; }, csvRows, {}},
        {"csv utf-8 with bom", [&](const QString &) { return Made{"\xEF\xBB\xBF" + csvText.toUtf8(), {}}; },
         csvRows, {}},
        {"csv gbk", [&](const QString &) { return Made{unicodeToGbk(csvText), {}}; }, csvRows, {}},
        {"tab separated, no trailing newline",
         [&](const QString &) { return Made{u"序号\t姓名\t所属单位名称\n1\t甲\t乙"_s.toUtf8(), {}}; },
         {u"2|甲||乙|||1"_s}, {}},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromUtf8(c.name).replace(u' ', u'_'));
        const Made made = c.make(path);
        const ImportSheet sheet = readImportData(made.bytes, made.limits);
        EXPECT_EQ(rowsOf(sheet).join(u'\n').toStdString(), c.rows.join(u'\n').toStdString());
        EXPECT_EQ(sheet.unknownColumns, c.unknown);
        EXPECT_TRUE(sheet.has(ImportColumn::Name));
        QFile::remove(path);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(made.bytes);
        f.close();
        EXPECT_EQ(rowsOf(readImportFile(path, made.limits)), c.rows);
    }
}

TEST(UsersImportReader, RefusesBadFilesWithAMessage)
{
    ImportLimits small;
    small.maxInflatedBytes = 64 * 1024;
    small.maxRows = 3;
    small.maxFileBytes = 1024 * 1024;
    const Rows header = {{"姓名", "所属单位名称"}};
    struct Case
    {
        const char *name;
        Maker make;
        const char16_t *message;
    };
    const Case cases[] = {
        {"empty file", [](const QString &) { return Made{QByteArray(), {}}; }, u"文件是空的"},
        {"junk", [](const QString &) { return Made{QByteArray("\x01\x02\x00\xff\xfe junk", 10), {}}; },
         u"文件不是可以导入的表格"},
        {"pdf", [](const QString &) { return Made{"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n", {}}; }, u"PDF"},
        {"xls", [](const QString &) { return Made{QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10), {}}; },
         u"旧版 Excel"},
        {"truncated zip", [&](const QString &p) { return Made{xlsx(p, header).left(300), {}}; }, u"表格文件已损坏"},
        {"encrypted entry",
         [](const QString &p) {
             return Made{zipOf(p, {{"xl/workbook.xml", kWorkbook}, {"xl/_rels/workbook.xml.rels", kRels},
                                   {"!xl/worksheets/data.xml", kSheet}}),
                         {}};
         },
         u"表格文件已加密"},
        {"no worksheet",
         [](const QString &p) {
             return Made{zipOf(p, {{"xl/workbook.xml", kWorkbook}, {"xl/_rels/workbook.xml.rels", kRels}}), {}};
         },
         u"表格文件中没有工作表"},
        {"malformed sheet xml",
         [](const QString &p) {
             return Made{zipOf(p, {{"xl/workbook.xml", kWorkbook}, {"xl/_rels/workbook.xml.rels", kRels},
                                   {"xl/worksheets/data.xml", kSheet.left(kSheet.size() - 30) + "</c>"}}),
                         {}};
         },
         u"xl/worksheets/data.xml 第 1 行的 XML 格式错误"},
        {"zip bomb",
         [&](const QString &p) {
             return Made{zipOf(p, {{"xl/workbook.xml", kWorkbook}, {"xl/_rels/workbook.xml.rels", kRels},
                                   {"xl/worksheets/data.xml", QByteArray(16 * 1024 * 1024, '\0')}}),
                         small};
         },
         u"表格文件解压后超过 64 KB"},
        {"too many rows",
         [&](const QString &) { return Made{"姓名,所属单位代码\n甲,1\n乙,2\n\n丙,3\n丁,4\n", small}; },
         u"文件的数据行超过 3 行, 请分批导入"},
        {"too large", [&](const QString &) { return Made{QByteArray(small.maxFileBytes + 1, 'a'), small}; },
         u"文件大于 1 MB"},
        {"no 姓名", [](const QString &) { return Made{u"所属单位代码,联系方式\n1,2\n"_s.toUtf8(), {}}; },
         u"文件缺少“姓名”列"},
        {"no unit", [](const QString &) { return Made{u"姓名,联系方式\n1,2\n"_s.toUtf8(), {}}; },
         u"文件缺少“所属单位代码”和“所属单位名称”列"},
        {"a column twice", [](const QString &) { return Made{u"姓名,所属单位代码,姓名\n"_s.toUtf8(), {}}; },
         u"表头中“姓名”列出现了不止一次"},
        {"open quote", [](const QString &) { return Made{u"姓名,所属单位代码\n\"甲,1\n"_s.toUtf8(), {}}; },
         u"文件第 2 行的引号没有配对"},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Made made = c.make(dir.filePath(QStringLiteral("case.zip")));
        try {
            readImportData(made.bytes, made.limits);
            ADD_FAILURE() << "read without an error";
        } catch (const ImportFileError &e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf16(c.message))) << e.message().toStdString();
        }
    }
}

TEST(UsersImportTemplate, IsReadBackWithEveryColumnAndNoRows)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("导入模板.xlsx"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older file, replaced whole");
    old.close();
    const QVector<ImportTemplateUnit> units = {{QStringLiteral("330102001"), QStringLiteral("城关镇卫生院")},
                                               {QStringLiteral("0330102002"), QStringLiteral("南湖社区卫生服务中心")}};
    ASSERT_EQ(writeImportTemplate(path, units).toStdString(), "");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    EXPECT_TRUE(QFileInfo(path).permissions() & QFileDevice::ReadGroup);

    const ImportSheet sheet = readImportFile(path);
    for (int c = 0; c < kImportColumnCount; ++c)
        EXPECT_TRUE(sheet.present[size_t(c)]) << c;
    EXPECT_TRUE(sheet.rows.isEmpty());
    EXPECT_TRUE(sheet.unknownColumns.isEmpty());

    // The second sheet, read as the reader reads a workbook's parts.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    zip_error_t error;
    zip_t *za = zip_open_from_source(zip_source_buffer_create(bytes.constData(), bytes.size(), 0, &error),
                                     ZIP_RDONLY, &error);
    ASSERT_NE(za, nullptr);
    const auto entry = [&](const char *name) {
        zip_file_t *file = zip_fopen(za, name, 0);
        QByteArray out(1 << 20, '\0');
        out.resize(file ? zip_fread(file, out.data(), out.size()) : 0);
        if (file)
            zip_fclose(file);
        return QString::fromUtf8(out);
    };
    const QString workbook = entry("xl/workbook.xml");
    const QString strings = entry("xl/sharedStrings.xml");
    EXPECT_TRUE(workbook.contains(u"name=\"单位\""_s)) << workbook.toStdString();
    for (const ImportTemplateUnit &u : units) {
        EXPECT_TRUE(strings.contains(u.code));
        EXPECT_TRUE(strings.contains(u.name));
    }
    EXPECT_TRUE(entry("xl/worksheets/sheet2.xml").contains(u"r=\"A3\""_s));
    zip_discard(za);

    const QString refused = writeImportTemplate(dir.filePath(QStringLiteral("no/such/folder/t.xlsx")), units);
    EXPECT_TRUE(refused.startsWith(u"无法在文件夹"_s)) << refused.toStdString();
}
