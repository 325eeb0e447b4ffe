#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <array>

// What an import file holds once read: its rows as texts, under the columns
// the import knows. The reader (ImportFileReader) fills it from an XLSX or CSV
// file; the checks (ImportCheck) and the run (UserImport) read it. Nothing in
// it has been checked beyond the file's own structure.
enum class ImportColumn {
    Name,      // 姓名
    UnitCode,  // 所属单位代码
    UnitName,  // 所属单位名称
    Contact,   // 联系方式
    Grade,     // 级别
    Serial,    // 序号
};
constexpr int kImportColumnCount = 6;

struct ImportRow
{
    // The row's number as the user sees it in the file: the header is row 1,
    // the first data row is row 2 (a spreadsheet's row number, a CSV's record).
    int line = 0;
    // Indexed by ImportColumn; empty where the file has no such column.
    std::array<QString, kImportColumnCount> values;

    const QString &value(ImportColumn c) const { return values[static_cast<int>(c)]; }
};

struct ImportSheet
{
    // Which known columns the header named (in ImportColumn order).
    std::array<bool, kImportColumnCount> present{};
    // Header texts that name no known column, in file order: warned of, ignored.
    QStringList unknownColumns;
    // Data rows in file order; rows whose every cell is blank are left out.
    QVector<ImportRow> rows;

    bool has(ImportColumn c) const { return present[static_cast<int>(c)]; }
};

// The Chinese header caption of a column, as the template writes it and the
// reader matches it.
QString importColumnCaption(ImportColumn c);
