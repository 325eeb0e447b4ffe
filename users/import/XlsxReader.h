#pragma once

#include <QByteArray>

class ImportSheetBuilder;

// The first worksheet of an XLSX file (a ZIP of XML parts, read with libzip
// and QXmlStreamReader): the workbook names its first sheet, the workbook's
// relations say which part holds it; its cells are shared strings (rich text
// runs joined), inline strings, numbers (as text: 3301020101, never 3.3E+9 or
// 1.0), booleans and formula results. Cells keep their places by their
// references ("C5"); cells and rows without one follow the one before.
namespace XlsxReader {

// Raises ImportFileError for a damaged or encrypted archive, malformed XML, no
// worksheet, or a part that inflates beyond maxInflatedBytes.
void read(const QByteArray &bytes, qint64 maxInflatedBytes, ImportSheetBuilder &builder);

// The text of a number cell's value: "1", "3301020101", "0.25", "-3".
QString numberText(const QString &value);

} // namespace XlsxReader
