#pragma once

#include "ImportSheet.h"

#include <QByteArray>
#include <QString>

#include <stdexcept>

// Why a file could not be read, in the words shown to the user (Chinese). A
// file that raises this has been read into nothing: the caller changes nothing.
class ImportFileError : public std::runtime_error
{
public:
    explicit ImportFileError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// What the reader refuses: a file, an inflated part of a spreadsheet, or a
// sheet bigger than these is not read at all.
struct ImportLimits
{
    qint64 maxFileBytes = 32 * 1024 * 1024;
    qint64 maxInflatedBytes = 64 * 1024 * 1024;
    int maxRows = 20000;
};

// Reads an XLSX or CSV file (told apart by its content, not its name) into a
// sheet: the first row is the header, matched to the known columns by caption
// in any order. Throws ImportFileError for anything it cannot read whole.
ImportSheet readImportFile(const QString &path, const ImportLimits &limits = {});
ImportSheet readImportData(const QByteArray &bytes, const ImportLimits &limits = {});
