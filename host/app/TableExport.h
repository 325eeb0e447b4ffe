#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Writes a table (a header row and rows of texts) to a file that spreadsheet
// programs open with its Chinese text intact. Raises data::LumoError naming the
// file when it cannot be written.
namespace TableExport {

// CSV: UTF-8 with a byte-order mark (without it Excel reads the bytes in the
// local code page), fields quoted where needed, lines ending in CR LF.
void writeCsv(const QString &file, const QStringList &headers, const QList<QStringList> &rows);
// An Excel workbook (.xlsx) with one sheet, through libxlsxwriter; every cell
// is text, so codes keep their leading zeros.
void writeXlsx(const QString &file, const QString &sheet, const QStringList &headers, const QList<QStringList> &rows);
// By the file name's ending: .xlsx as a workbook, anything else as CSV.
void write(const QString &file, const QString &sheet, const QStringList &headers, const QList<QStringList> &rows);

} // namespace TableExport
