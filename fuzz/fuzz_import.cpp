// The reader of import files under libFuzzer. The first byte chooses what the
// rest is: 1 the worksheet's XML and 2 the shared strings' XML, each put into
// a well-formed XLSX around it (a mutated archive almost never passes its
// checksums, so the XML parts would hardly be reached otherwise); anything
// else the whole file, ZIP or text. Any input is read into a sheet or refused
// with an ImportFileError that says why; a sheet keeps the limits and holds
// no blank row; nothing else may come out, and memory stays bounded.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <utility>
#include <vector>

#include <zip.h>

#include "FuzzCheck.h"
#include "ImportFileReader.h"

namespace {

const QByteArray kWorkbook =
    R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>)";
const QByteArray kRels =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>)";
const QByteArray kSheet =
    R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData><row r="1"><c r="A1" t="s"><v>0</v></c><c r="C1" t="s"><v>1</v></c></row><row r="2"><c r="A2" t="s"><v>2</v></c><c r="B2"><v>3301020101</v></c><c r="C2" t="s"><v>3</v></c></row></sheetData></worksheet>)";
const QByteArray kSharedStrings =
    R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><si><t>姓名</t></si><si><t>所属单位名称</t></si><si><r><t>张</t></r><r><t>三</t></r></si><si><t>卫生院</t></si></sst>)";

// An XLSX of the given parts, stored uncompressed, made in memory by libzip.
QByteArray workbookOf(const std::vector<std::pair<const char *, QByteArray>> &parts)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(buffer);
    zip_t *za = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    fuzzCheck(za != nullptr, "libzip cannot make an archive in memory", QString());
    for (const auto &[name, content] : parts) {
        zip_source_t *source = zip_source_buffer(za, content.constData(), zip_uint64_t(content.size()), 0);
        const zip_int64_t index = zip_file_add(za, name, source, ZIP_FL_OVERWRITE);
        zip_set_file_compression(za, zip_uint64_t(index), ZIP_CM_STORE, 0);
    }
    zip_close(za);
    QByteArray bytes;
    if (zip_source_open(buffer) == 0) {
        zip_source_seek(buffer, 0, SEEK_END);
        bytes.resize(qsizetype(zip_source_tell(buffer)));
        zip_source_seek(buffer, 0, SEEK_SET);
        zip_source_read(buffer, bytes.data(), zip_uint64_t(bytes.size()));
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    zip_error_fini(&error);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray rest(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    QByteArray bytes;
    switch (data[0]) {
    case 1:
        bytes = workbookOf({{"xl/workbook.xml", kWorkbook}, {"xl/_rels/workbook.xml.rels", kRels},
                            {"xl/worksheets/sheet1.xml", rest}, {"xl/sharedStrings.xml", kSharedStrings}});
        break;
    case 2:
        bytes = workbookOf({{"xl/workbook.xml", kWorkbook}, {"xl/_rels/workbook.xml.rels", kRels},
                            {"xl/worksheets/sheet1.xml", kSheet}, {"xl/sharedStrings.xml", rest}});
        break;
    default:
        bytes = rest;
        break;
    }
    // Small limits, so that passing them is within the fuzzer's reach.
    ImportLimits limits;
    limits.maxFileBytes = 64 * 1024;
    limits.maxInflatedBytes = 256 * 1024;
    limits.maxRows = 50;
    const auto check = [&](bool holds, const char *what, const QString &detail = QString()) {
        if (!holds)
            fuzzCheck(false, what, QString::fromLatin1(bytes.toHex()), detail);
    };
    try {
        const ImportSheet sheet = readImportData(bytes, limits);
        check(sheet.has(ImportColumn::Name), "a sheet without 姓名");
        check(sheet.has(ImportColumn::UnitCode) || sheet.has(ImportColumn::UnitName),
                  "a sheet without a unit column");
        check(sheet.rows.size() <= limits.maxRows, "more rows than the limit");
        int line = 1;
        for (const ImportRow &row : sheet.rows) {
            check(row.line > line, "rows out of order");
            line = row.line;
            for (int c = 0; c < kImportColumnCount; ++c)
                check(row.values[size_t(c)].isEmpty() || sheet.present[size_t(c)],
                      "a value under a column the header lacks");
        }
    } catch (const ImportFileError &e) {
        check(!e.message().isEmpty() && e.message().at(0).unicode() >= 0x80, "a refusal not in Chinese", e.message());
    } catch (const std::exception &e) {
        check(false, "an exception other than ImportFileError", QString::fromUtf8(e.what()));
    } catch (...) {
        check(false, "an exception other than ImportFileError");
    }
    return 0;
}
