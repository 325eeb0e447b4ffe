#include "CsvReader.h"

#include "Gbk.h"
#include "ImportFileReader.h"
#include "ImportSheetBuilder.h"

#include <QStringDecoder>

#include <exception>

namespace {

QString notTextMessage()
{
    return QStringLiteral("文件不是可以导入的表格: 既不是 Excel 表格 (.xlsx), 也不是 CSV 文本; "
                          "请选择按导入模板填写的 .xlsx 或 .csv 文件");
}

// Text has no control characters but tabs and line breaks, and nothing a
// decoder put in place of bytes it could not read.
bool looksLikeText(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0x7f || u == 0xfffd)
            return false;
    }
    return true;
}

// The separator the header uses most outside quotes: comma, tab or semicolon.
QChar detectSeparator(const QString &text)
{
    int commas = 0, tabs = 0, semicolons = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == u'\n' || c == u'\r')
            break;
        else if (c == u',')
            ++commas;
        else if (c == u'\t')
            ++tabs;
        else if (c == u';')
            ++semicolons;
    }
    if (tabs > commas && tabs >= semicolons)
        return u'\t';
    if (semicolons > commas && semicolons > tabs)
        return u';';
    return u',';
}

} // namespace

QString CsvReader::decode(const QByteArray &bytes)
{
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        text = QString::fromUtf8(bytes.mid(3));
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        text = utf16.decode(bytes.mid(2));
        if (utf16.hasError())
            throw ImportFileError(notTextMessage());
    } else {
        if (bytes.contains('\0'))
            throw ImportFileError(notTextMessage());
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = utf8.decode(bytes);
        if (utf8.hasError()) {
            try {
                text = gbkToUnicode(bytes);
            } catch (const std::exception &) {
                throw ImportFileError(notTextMessage());
            }
        }
    }
    if (!looksLikeText(text))
        throw ImportFileError(notTextMessage());
    return text;
}

void CsvReader::read(const QString &text, ImportSheetBuilder &builder)
{
    const QChar separator = detectSeparator(text);
    const qsizetype n = text.size();
    int line = 1;
    int column = 0;
    QString field;
    bool pending = false;  // the current record has begun
    qsizetype i = 0;
    while (i < n) {
        pending = true;
        // One field: quoted or not, up to a separator, a line break or the end.
        field.clear();
        if (text.at(i) == u'"') {
            const int opened = line;
            ++i;
            for (;;) {
                if (i >= n)
                    throw ImportFileError(
                        QStringLiteral("文件第 %1 行的引号没有配对, 无法读取: 请检查该行后再导入").arg(opened));
                const QChar c = text.at(i);
                if (c == u'"') {
                    if (i + 1 < n && text.at(i + 1) == u'"') {
                        field.append(u'"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (c == u'\r') {
                    field.append(u'\n');
                    i += (i + 1 < n && text.at(i + 1) == u'\n') ? 2 : 1;
                    continue;
                }
                field.append(c);
                ++i;
            }
        }
        // Unquoted text, or what follows a closing quote (kept, as Excel does).
        const qsizetype start = i;
        while (i < n && text.at(i) != separator && text.at(i) != u'\n' && text.at(i) != u'\r')
            ++i;
        field.append(QStringView(text).mid(start, i - start));
        builder.cell(column, field);
        if (i >= n)
            break;
        const QChar end = text.at(i);
        ++i;
        if (end == separator) {
            ++column;
            if (i >= n)
                builder.cell(column, QString());
            continue;
        }
        if (end == u'\r' && i < n && text.at(i) == u'\n')
            ++i;
        builder.endRow(line);
        ++line;
        column = 0;
        pending = false;
    }
    if (pending)
        builder.endRow(line);
}
