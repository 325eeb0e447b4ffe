#pragma once

#include "ImportSheet.h"

#include <QHash>
#include <QPair>
#include <QString>
#include <QVector>

// Builds a sheet from rows of cells as a reader finds them (CSV or XLSX): the
// first row that is not blank is the header, matched to the known columns by
// caption; a data row keeps only the cells under known columns, so a row of
// many cells costs nothing. Raises ImportFileError for a header that lacks a
// column or names one twice, and as soon as the data rows pass maxRows.
class ImportSheetBuilder
{
public:
    explicit ImportSheetBuilder(int maxRows) : m_maxRows(maxRows) {}

    // A cell of the current row; column counts from 0. A later cell of the
    // same column replaces an earlier one.
    void cell(int column, const QString &text);
    // Ends the current row, whose number the user sees is line.
    void endRow(int line);
    // The sheet; raises ImportFileError when no header was found.
    ImportSheet finish();

private:
    void takeHeader();

    int m_maxRows;
    bool m_haveHeader = false;
    bool m_blank = true;
    QVector<QPair<int, QString>> m_headerCells;
    QHash<int, int> m_known;  // file column -> ImportColumn
    ImportRow m_row;
    ImportSheet m_sheet;
};

// Whether a cell counts as empty: nothing but blanks (full-width ones too).
bool importBlank(const QString &text);
