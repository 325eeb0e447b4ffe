#pragma once

#include <QByteArray>
#include <QString>

class ImportSheetBuilder;

// A CSV file (or text separated by tabs or semicolons, as the header shows):
// UTF-8 with or without a byte-order mark, UTF-16 with one, otherwise GBK
// (what Excel writes on a Chinese Windows). Quoted fields hold separators,
// doubled quotes and line breaks; lines end in LF, CR LF or CR.
namespace CsvReader {

// The text of the bytes; raises ImportFileError when they are no text (binary
// bytes, control characters, bytes that are neither UTF-8 nor GBK).
QString decode(const QByteArray &bytes);

// Feeds the records of the text to the builder, numbered from 1.
void read(const QString &text, ImportSheetBuilder &builder);

} // namespace CsvReader
