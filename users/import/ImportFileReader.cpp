#include "ImportFileReader.h"

#include "CsvReader.h"
#include "ImportReadSupport.h"
#include "ImportSheetBuilder.h"
#include "XlsxReader.h"

#include <QFile>
#include <QFileInfo>

QString importByteSize(qint64 bytes)
{
    const qint64 mb = 1024 * 1024;
    if (bytes >= mb && bytes % mb == 0)
        return QStringLiteral("%1 MB").arg(bytes / mb);
    if (bytes >= 1024 && bytes % 1024 == 0)
        return QStringLiteral("%1 KB").arg(bytes / 1024);
    return QStringLiteral("%1 字节").arg(bytes);
}

QString importDamagedMessage(const QString &detail)
{
    return QStringLiteral("表格文件已损坏 (%1), 无法读取: 请在 Excel 中打开并另存为 .xlsx 后再导入").arg(detail);
}

namespace {

QString tooLargeMessage(qint64 maxFileBytes)
{
    return QStringLiteral("文件大于 %1, 无法导入: 请分批导入").arg(importByteSize(maxFileBytes));
}

} // namespace

ImportSheet readImportData(const QByteArray &bytes, const ImportLimits &limits)
{
    if (bytes.isEmpty())
        throw ImportFileError(QStringLiteral("文件是空的: 请选择按导入模板填写的 .xlsx 或 .csv 文件"));
    if (bytes.size() > limits.maxFileBytes)
        throw ImportFileError(tooLargeMessage(limits.maxFileBytes));
    ImportSheetBuilder builder(limits.maxRows);
    if (bytes.startsWith("PK\x03\x04") || bytes.startsWith("PK\x05\x06")) {
        XlsxReader::read(bytes, limits.maxInflatedBytes, builder);
    } else if (bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
        // The compound file of Office: an .xls, or an .xlsx with a password.
        throw ImportFileError(QStringLiteral("文件是旧版 Excel 表格 (.xls) 或设有密码的 Excel 表格, 无法读取: "
                                             "请在 Excel 中取消密码并另存为 .xlsx 后再导入"));
    } else if (bytes.startsWith("%PDF")) {
        throw ImportFileError(QStringLiteral("文件是 PDF 文档, 不是表格: 请选择按导入模板填写的 .xlsx 或 .csv 文件"));
    } else {
        CsvReader::read(CsvReader::decode(bytes), builder);
    }
    return builder.finish();
}

ImportSheet readImportFile(const QString &path, const ImportLimits &limits)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (!info.exists())
        throw ImportFileError(QStringLiteral("文件“%1”不存在, 请重新选择").arg(name));
    if (info.isDir())
        throw ImportFileError(QStringLiteral("“%1”是文件夹, 请选择 .xlsx 或 .csv 文件").arg(name));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ImportFileError(
            QStringLiteral("无法打开文件“%1”: 没有读取权限或文件正被其他程序占用, 请关闭该程序后再试").arg(name));
    // The size is checked before reading and again on what was read, since a
    // file may grow in between (or be a device that tells no size).
    if (file.size() > limits.maxFileBytes)
        throw ImportFileError(tooLargeMessage(limits.maxFileBytes));
    const QByteArray bytes = file.read(limits.maxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw ImportFileError(QStringLiteral("读取文件“%1”出错, 请检查文件所在的磁盘后再试").arg(name));
    return readImportData(bytes, limits);
}
