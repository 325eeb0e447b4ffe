#include "ImportTemplate.h"

#include "ImportSheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

// The width of a text in Excel's character units: CJK and other wide
// characters count twice.
double textWidth(const QString &text)
{
    double width = 0;
    for (const QChar c : text)
        width += c.unicode() >= 0x1100 ? 2.0 : 1.0;
    return width;
}

struct WorkbookCloser
{
    void operator()(lxw_workbook *w) const { workbook_close(w); }
};

QString lxwText(lxw_error error)
{
    if (error == LXW_ERROR_CREATING_XLSX_FILE || error == LXW_ERROR_CREATING_TMPFILE)
        return QStringLiteral("无法写入文件, 请检查磁盘空间和写入权限");
    return QStringLiteral("生成表格出错 (%1)").arg(QString::fromUtf8(lxw_strerror(error)));
}

// Writes the workbook to path; an error text when it fails.
QString writeWorkbook(const QByteArray &path, const QByteArray &tmpdir, const QVector<ImportTemplateUnit> &units)
{
    lxw_workbook_options options{};
    options.constant_memory = LXW_FALSE;
    options.tmpdir = const_cast<char *>(tmpdir.constData());
    lxw_workbook *workbook = workbook_new_opt(path.constData(), &options);
    if (!workbook)
        return QStringLiteral("无法创建工作簿");
    std::unique_ptr<lxw_workbook, WorkbookCloser> closer(workbook);

    lxw_format *text = workbook_add_format(workbook);
    format_set_num_format(text, "@");
    lxw_format *header = workbook_add_format(workbook);
    format_set_bold(header);
    format_set_num_format(header, "@");

    lxw_worksheet *users = workbook_add_worksheet(workbook, "用户");
    lxw_worksheet *unitSheet = workbook_add_worksheet(workbook, "单位");
    if (!users || !unitSheet)
        return QStringLiteral("无法创建工作表");

    // Widths for what the columns hold: a name, a 12-digit code, a unit's
    // long name, a phone number, a grade, a two-digit serial.
    const struct
    {
        ImportColumn column;
        double width;
        bool asText;
    } columns[] = {
        {ImportColumn::Name, 12, false},    {ImportColumn::UnitCode, 16, true},
        {ImportColumn::UnitName, 32, false}, {ImportColumn::Contact, 16, true},
        {ImportColumn::Grade, 8, false},    {ImportColumn::Serial, 8, true},
    };
    lxw_col_t col = 0;
    for (const auto &c : columns) {
        const QByteArray caption = importColumnCaption(c.column).toUtf8();
        const double width = std::max(c.width, textWidth(importColumnCaption(c.column)) + 2);
        lxw_error e = worksheet_set_column(users, col, col, width, c.asText ? text : nullptr);
        if (e == LXW_NO_ERROR)
            e = worksheet_write_string(users, 0, col, caption.constData(), header);
        if (e != LXW_NO_ERROR)
            return lxwText(e);
        ++col;
    }
    worksheet_freeze_panes(users, 1, 0);

    double codeWidth = textWidth(QStringLiteral("单位代码")) + 2;
    double nameWidth = textWidth(QStringLiteral("单位名称")) + 2;
    for (const ImportTemplateUnit &u : units) {
        codeWidth = std::max(codeWidth, textWidth(u.code) + 2);
        nameWidth = std::max(nameWidth, textWidth(u.name) + 2);
    }
    worksheet_set_column(unitSheet, 0, 0, std::min(codeWidth, 40.0), text);
    worksheet_set_column(unitSheet, 1, 1, std::min(nameWidth, 80.0), nullptr);
    worksheet_write_string(unitSheet, 0, 0, "单位代码", header);
    worksheet_write_string(unitSheet, 0, 1, "单位名称", header);
    worksheet_freeze_panes(unitSheet, 1, 0);
    lxw_row_t row = 1;
    for (const ImportTemplateUnit &u : units) {
        if (row >= LXW_ROW_MAX)
            return QStringLiteral("单位过多, 超出工作表的行数");
        lxw_error e = worksheet_write_string(unitSheet, row, 0, u.code.toUtf8().constData(), text);
        if (e == LXW_NO_ERROR)
            e = worksheet_write_string(unitSheet, row, 1, u.name.toUtf8().constData(), nullptr);
        if (e != LXW_NO_ERROR)
            return lxwText(e);
        ++row;
    }
    const lxw_error closed = workbook_close(closer.release());
    if (closed != LXW_NO_ERROR)
        return lxwText(closed);
    return QString();
}

} // namespace

QString writeImportTemplate(const QString &path, const QVector<ImportTemplateUnit> &units)
{
    const QFileInfo target(path);
    const QString folder = target.absolutePath();
    // A free name beside the target, so the rename stays on one file system.
    // The reserved file goes again at once: libxlsxwriter creates it anew with
    // the usual permissions, where the reserved one would be the owner's only.
    QString temporaryPath;
    {
        QTemporaryFile reserve(QDir(folder).filePath(QStringLiteral(".%1.XXXXXX.tmp").arg(target.completeBaseName())));
        if (!reserve.open())
            return QStringLiteral("无法在文件夹“%1”中写入文件, 请检查文件夹是否存在及写入权限")
                .arg(QDir::toNativeSeparators(folder));
        temporaryPath = reserve.fileName();
    }
    const QString error =
        writeWorkbook(QFile::encodeName(temporaryPath), QFile::encodeName(QDir::tempPath()), units);
    if (!error.isEmpty()) {
        QFile::remove(temporaryPath);
        return error;
    }
    // std::rename replaces the target in one step; QFile::rename would refuse an existing one.
    if (std::rename(QFile::encodeName(temporaryPath).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData())
        != 0) {
        QFile::remove(temporaryPath);
        return QStringLiteral("无法替换文件“%1”, 请检查它是否正被其他程序打开")
            .arg(QDir::toNativeSeparators(target.absoluteFilePath()));
    }
    return QString();
}
