#include "TableExport.h"

#include <QFile>
#include <QSaveFile>

#include <xlsxwriter.h>

#include <memory>

#include "LumoError.h"

namespace {

QString csvField(const QString &text)
{
    const bool quote = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))
        || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) || text.startsWith(QLatin1Char(' '))
        || text.endsWith(QLatin1Char(' '));
    if (!quote)
        return text;
    QString doubled = text;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

QByteArray csvLine(const QStringList &fields)
{
    QStringList quoted;
    for (const QString &f : fields)
        quoted << csvField(f);
    return quoted.join(QLatin1Char(',')).toUtf8() + "\r\n";
}

[[noreturn]] void cannotWrite(const QString &file, const QString &reason)
{
    throw data::LumoError(QStringLiteral("无法写入文件 %1: %2").arg(file, reason));
}

struct WorkbookCloser
{
    void operator()(lxw_workbook *workbook) const { workbook_close(workbook); }
};

} // namespace

namespace TableExport {

void writeCsv(const QString &file, const QStringList &headers, const QList<QStringList> &rows)
{
    // Written whole or not at all: a failure never leaves half a file.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        cannotWrite(file, out.errorString());
    out.write("\xEF\xBB\xBF");
    out.write(csvLine(headers));
    for (const QStringList &row : rows)
        out.write(csvLine(row));
    if (!out.commit())
        cannotWrite(file, out.errorString());
}

void writeXlsx(const QString &file, const QString &sheet, const QStringList &headers, const QList<QStringList> &rows)
{
    const QByteArray path = QFile::encodeName(file);
    lxw_workbook *raw = workbook_new(path.constData());
    if (!raw)
        cannotWrite(file, QStringLiteral("无法创建工作簿"));
    std::unique_ptr<lxw_workbook, WorkbookCloser> workbook(raw);
    const QByteArray sheetName = sheet.left(31).toUtf8();
    lxw_worksheet *worksheet = workbook_add_worksheet(raw, sheetName.isEmpty() ? nullptr : sheetName.constData());
    if (!worksheet)
        cannotWrite(file, QStringLiteral("无法创建工作表"));
    auto writeRow = [&](lxw_row_t r, const QStringList &cells) {
        for (int c = 0; c < cells.size(); ++c)
            worksheet_write_string(worksheet, r, lxw_col_t(c), cells.at(c).toUtf8().constData(), nullptr);
    };
    writeRow(0, headers);
    for (int r = 0; r < rows.size(); ++r)
        writeRow(lxw_row_t(r + 1), rows.at(r));
    const lxw_error result = workbook_close(workbook.release());
    if (result != LXW_NO_ERROR)
        cannotWrite(file, QString::fromUtf8(lxw_strerror(result)));
}

void write(const QString &file, const QString &sheet, const QStringList &headers, const QList<QStringList> &rows)
{
    if (file.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        writeXlsx(file, sheet, headers, rows);
    else
        writeCsv(file, headers, rows);
}

} // namespace TableExport
