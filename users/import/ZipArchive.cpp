#include "ZipArchive.h"

#include "ImportFileReader.h"
#include "ImportReadSupport.h"

#include <zip.h>

#include <memory>

namespace {

struct ZipFileCloser
{
    void operator()(zip_file_t *f) const { zip_fclose(f); }
};
using ZipFile = std::unique_ptr<zip_file_t, ZipFileCloser>;

} // namespace

ZipArchive::ZipArchive(const QByteArray &bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    if (source)
        m_zip = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!m_zip) {
        if (source)
            zip_source_free(source);
        const int code = zip_error_code_zip(&error);
        zip_error_fini(&error);
        if (code == ZIP_ER_MEMORY)
            throw ImportFileError(QStringLiteral("内存不足, 无法读取表格文件; 请分批导入"));
        throw ImportFileError(importDamagedMessage(QStringLiteral("压缩包结构不完整")));
    }
    zip_error_fini(&error);
}

ZipArchive::~ZipArchive()
{
    zip_discard(m_zip);
}

bool ZipArchive::contains(const QString &name) const
{
    return zip_name_locate(m_zip, name.toUtf8().constData(), 0) >= 0;
}

QByteArray ZipArchive::read(const QString &name, qint64 maxBytes) const
{
    const QByteArray utf8 = name.toUtf8();
    const zip_int64_t index = zip_name_locate(m_zip, utf8.constData(), 0);
    if (index < 0)
        throw ImportFileError(importDamagedMessage(QStringLiteral("缺少 %1").arg(name)));
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_zip, zip_uint64_t(index), 0, &stat) != 0)
        throw ImportFileError(importDamagedMessage(QStringLiteral("%1 无法读取").arg(name)));
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        throw ImportFileError(
            QStringLiteral("表格文件已加密, 无法读取: 请在 Excel 中取消文件密码并另存后再导入"));
    ZipFile file(zip_fopen_index(m_zip, zip_uint64_t(index), 0));
    if (!file) {
        const int code = zip_error_code_zip(zip_get_error(m_zip));
        if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP)
            throw ImportFileError(
                QStringLiteral("表格文件已加密, 无法读取: 请在 Excel 中取消文件密码并另存后再导入"));
        if (code == ZIP_ER_COMPNOTSUPP)
            throw ImportFileError(QStringLiteral(
                "表格文件使用了不支持的压缩方式, 无法读取: 请在 Excel 中打开并另存为 .xlsx 后再导入"));
        throw ImportFileError(importDamagedMessage(QStringLiteral("%1 无法读取").arg(name)));
    }
    QByteArray content;
    char chunk[65536];
    for (;;) {
        const zip_int64_t n = zip_fread(file.get(), chunk, sizeof chunk);
        if (n < 0)
            throw ImportFileError(importDamagedMessage(QStringLiteral("%1 解压失败").arg(name)));
        if (n == 0)
            break;
        if (content.size() + n > maxBytes)
            throw ImportFileError(QStringLiteral("表格文件解压后超过 %1, 无法读取: 请分批导入, 或检查文件是否正常")
                                      .arg(importByteSize(maxBytes)));
        content.append(chunk, qsizetype(n));
    }
    return content;
}
