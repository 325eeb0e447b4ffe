#include "ImportSheetBuilder.h"

#include "ImportFileReader.h"

#include <algorithm>

namespace {

// A caption as compared: without blanks of any kind (ASCII, full-width, line
// breaks), so "所属单位 代码" and " 姓名　" name their columns.
QString captionKey(const QString &text)
{
    QString key;
    key.reserve(text.size());
    for (const QChar c : text) {
        if (!c.isSpace())
            key.append(c);
    }
    return key;
}

int knownColumn(const QString &caption)
{
    const QString key = captionKey(caption);
    for (int c = 0; c < kImportColumnCount; ++c) {
        if (key == importColumnCaption(static_cast<ImportColumn>(c)))
            return c;
    }
    return -1;
}

QString quoted(ImportColumn c)
{
    return QStringLiteral("“%1”").arg(importColumnCaption(c));
}

} // namespace

bool importBlank(const QString &text)
{
    for (const QChar c : text) {
        if (!c.isSpace())
            return false;
    }
    return true;
}

void ImportSheetBuilder::cell(int column, const QString &text)
{
    if (importBlank(text))
        return;
    m_blank = false;
    if (!m_haveHeader) {
        m_headerCells.append({column, text});
        return;
    }
    const auto known = m_known.constFind(column);
    if (known != m_known.constEnd())
        m_row.values[size_t(*known)] = text;
}

void ImportSheetBuilder::endRow(int line)
{
    if (m_blank)
        return;
    m_blank = true;
    if (!m_haveHeader) {
        takeHeader();
        return;
    }
    if (m_sheet.rows.size() >= m_maxRows)
        throw ImportFileError(QStringLiteral("文件的数据行超过 %1 行, 请分批导入").arg(m_maxRows));
    m_row.line = line;
    m_sheet.rows.append(m_row);
    m_row = ImportRow();
}

void ImportSheetBuilder::takeHeader()
{
    m_haveHeader = true;
    std::stable_sort(m_headerCells.begin(), m_headerCells.end(),
                     [](const QPair<int, QString> &a, const QPair<int, QString> &b) { return a.first < b.first; });
    for (int i = 0; i < m_headerCells.size(); ++i) {
        const auto &[column, text] = m_headerCells.at(i);
        // A cell given twice at the same place: the later one counts.
        if (i + 1 < m_headerCells.size() && m_headerCells.at(i + 1).first == column)
            continue;
        const int known = knownColumn(text);
        if (known < 0) {
            m_sheet.unknownColumns.append(text.trimmed());
            continue;
        }
        if (m_sheet.present[size_t(known)])
            throw ImportFileError(QStringLiteral("表头中%1列出现了不止一次, 请删去多余的一列后再导入")
                                      .arg(quoted(static_cast<ImportColumn>(known))));
        m_sheet.present[size_t(known)] = true;
        m_known.insert(column, known);
    }
    m_headerCells.clear();
    if (!m_sheet.has(ImportColumn::Name))
        throw ImportFileError(QStringLiteral("文件缺少%1列: 第一行应为表头, 请按导入模板填写后再导入")
                                  .arg(quoted(ImportColumn::Name)));
    if (!m_sheet.has(ImportColumn::UnitCode) && !m_sheet.has(ImportColumn::UnitName))
        throw ImportFileError(QStringLiteral("文件缺少%1和%2列: 两列至少需有一列, 请按导入模板填写后再导入")
                                  .arg(quoted(ImportColumn::UnitCode), quoted(ImportColumn::UnitName)));
}

ImportSheet ImportSheetBuilder::finish()
{
    if (!m_haveHeader)
        throw ImportFileError(QStringLiteral("文件中没有任何内容: 第一行应为表头, 请按导入模板填写后再导入"));
    return std::move(m_sheet);
}
