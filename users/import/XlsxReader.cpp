#include "XlsxReader.h"

#include "ImportFileReader.h"
#include "ImportReadSupport.h"
#include "ImportSheetBuilder.h"
#include "ZipArchive.h"

#include <QDir>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>

#include <cmath>

namespace {

const int kMaxSheetRows = 1048576;
const int kMaxSheetColumns = 16384;

// A sheet's relation id: the "id" attribute in the relationships' namespace,
// whose name differs between transitional and strict files.
QString relationId(const QXmlStreamAttributes &attributes)
{
    for (const QXmlStreamAttribute &a : attributes) {
        if (a.name() == u"id" && !a.namespaceUri().isEmpty())
            return a.value().toString();
    }
    return QString();
}

// Excel writes characters XML cannot hold as _xHHHH_ (a carriage return is
// _x000D_, an underscore before such a text _x005F_).
QString unescapeText(const QString &text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString out;
    qsizetype from = 0;
    for (auto it = escape.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(from, m.capturedStart() - from);
        out += QChar(char16_t(m.captured(1).toUShort(nullptr, 16)));
        from = m.capturedEnd();
    }
    out += QStringView(text).mid(from);
    return out;
}

// A part of the archive under QXmlStreamReader; malformed XML raises.
class XmlPart
{
public:
    XmlPart(const ZipArchive &zip, const QString &name, qint64 maxBytes)
        : m_name(name), m_bytes(zip.read(name, maxBytes)), m_xml(m_bytes)
    {
    }

    QXmlStreamReader &xml() { return m_xml; }

    // Checks the reader ended without an error.
    void finish()
    {
        if (m_xml.hasError())
            throw ImportFileError(importDamagedMessage(
                QStringLiteral("%1 第 %2 行的 XML 格式错误").arg(m_name).arg(m_xml.lineNumber())));
    }

private:
    QString m_name;
    QByteArray m_bytes;
    QXmlStreamReader m_xml;
};

// The text of a rich text (<si> of the shared strings, <is> of a cell): its
// <t> elements joined, the phonetic guides (<rPh>) left out. Leaves the reader
// on the closing element.
QString readRichText(QXmlStreamReader &xml)
{
    QString text;
    int depth = 1;
    int phonetic = 0;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            ++depth;
            if (xml.name() == u"rPh") {
                ++phonetic;
            } else if (xml.name() == u"t") {
                const QString t = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                --depth;
                if (phonetic == 0)
                    text += unescapeText(t);
            }
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            if (xml.name() == u"rPh" && phonetic > 0)
                --phonetic;
            break;
        default:
            break;
        }
    }
    return text;
}

// An archive's path of a relation's target, seen from the folder of the part
// that names it ("worksheets/sheet1.xml" from xl/ is xl/worksheets/sheet1.xml).
QString resolveTarget(const QString &folder, const QString &target)
{
    QString path = target.startsWith(u'/') ? target.mid(1) : folder + target;
    path = QDir::cleanPath(path);
    while (path.startsWith(QLatin1String("../")))
        path.remove(0, 3);
    return path;
}

struct WorkbookParts
{
    QString sheet;          // the first worksheet
    QString sharedStrings;  // empty when the workbook names none
};

WorkbookParts findParts(const ZipArchive &zip, qint64 maxBytes)
{
    const QString workbookName = QStringLiteral("xl/workbook.xml");
    const QString relsName = QStringLiteral("xl/_rels/workbook.xml.rels");
    WorkbookParts parts;
    if (!zip.contains(workbookName))
        throw ImportFileError(QStringLiteral(
            "文件不是 Excel 表格: 压缩包中没有工作簿; 请选择按导入模板填写的 .xlsx 或 .csv 文件"));
    QString firstSheetId;
    {
        XmlPart part(zip, workbookName, maxBytes);
        QXmlStreamReader &xml = part.xml();
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"sheet") {
                firstSheetId = relationId(xml.attributes());
                break;
            }
        }
        part.finish();
    }
    if (zip.contains(relsName)) {
        XmlPart part(zip, relsName, maxBytes);
        QXmlStreamReader &xml = part.xml();
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"Relationship")
                continue;
            const QXmlStreamAttributes attributes = xml.attributes();
            const QString target = resolveTarget(QStringLiteral("xl/"), attributes.value(QLatin1String("Target")).toString());
            if (!firstSheetId.isEmpty() && attributes.value(QLatin1String("Id")) == firstSheetId)
                parts.sheet = target;
            else if (attributes.value(QLatin1String("Type")).endsWith(u"/sharedStrings"))
                parts.sharedStrings = target;
        }
        part.finish();
    }
    if (parts.sheet.isEmpty() || !zip.contains(parts.sheet))
        parts.sheet = QStringLiteral("xl/worksheets/sheet1.xml");
    if (!zip.contains(parts.sheet))
        throw ImportFileError(
            QStringLiteral("表格文件中没有工作表, 无法读取: 请在 Excel 中打开并另存为 .xlsx 后再导入"));
    if (parts.sharedStrings.isEmpty() && zip.contains(QStringLiteral("xl/sharedStrings.xml")))
        parts.sharedStrings = QStringLiteral("xl/sharedStrings.xml");
    if (!parts.sharedStrings.isEmpty() && !zip.contains(parts.sharedStrings))
        parts.sharedStrings.clear();
    return parts;
}

QStringList readSharedStrings(const ZipArchive &zip, const QString &name, qint64 maxBytes)
{
    QStringList strings;
    if (name.isEmpty())
        return strings;
    XmlPart part(zip, name, maxBytes);
    QXmlStreamReader &xml = part.xml();
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"si")
            strings.append(readRichText(xml));
    }
    part.finish();
    return strings;
}

// The column of a cell reference ("C5" is 2), or -1.
int referenceColumn(QStringView reference)
{
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size(); ++i) {
        const char16_t c = reference.at(i).unicode();
        if (c >= u'A' && c <= u'Z')
            column = column * 26 + (c - u'A' + 1);
        else if (c >= u'a' && c <= u'z')
            column = column * 26 + (c - u'a' + 1);
        else
            break;
        if (column > kMaxSheetColumns)
            return -1;
    }
    return i == 0 ? -1 : column - 1;
}

class SheetParser
{
public:
    SheetParser(const QStringList &shared, ImportSheetBuilder &builder) : m_shared(shared), m_builder(builder) {}

    void parse(QXmlStreamReader &xml)
    {
        while (!xml.atEnd()) {
            switch (xml.readNext()) {
            case QXmlStreamReader::StartElement:
                if (xml.name() == u"row")
                    beginRow(xml);
                else if (xml.name() == u"c" && m_inRow)
                    readCell(xml);
                break;
            case QXmlStreamReader::EndElement:
                if (xml.name() == u"row" && m_inRow) {
                    m_inRow = false;
                    m_builder.endRow(m_line);
                }
                break;
            default:
                break;
            }
        }
    }

private:
    void beginRow(QXmlStreamReader &xml)
    {
        bool ok = false;
        const int r = xml.attributes().value(QLatin1String("r")).toInt(&ok);
        m_line = ok && r > m_line && r <= kMaxSheetRows ? r : m_line + 1;
        if (m_line > kMaxSheetRows)
            throw ImportFileError(importDamagedMessage(QStringLiteral("行号超出范围")));
        m_inRow = true;
        m_column = 0;
    }

    void readCell(QXmlStreamReader &xml)
    {
        const QXmlStreamAttributes attributes = xml.attributes();
        const int referenced = referenceColumn(attributes.value(QLatin1String("r")));
        const int column = referenced >= 0 ? referenced : m_column;
        if (column >= kMaxSheetColumns)
            throw ImportFileError(importDamagedMessage(QStringLiteral("第 %1 行的列超出范围").arg(m_line)));
        m_column = column + 1;
        const QString type = attributes.value(QLatin1String("t")).toString();
        QString value;
        bool haveValue = false;
        while (!xml.atEnd()) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::EndElement)
                break;  // </c>: every child is read whole below
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"v") {
                value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                haveValue = true;
            } else if (xml.name() == u"is") {
                value = readRichText(xml);
                haveValue = true;
            } else {
                xml.skipCurrentElement();
            }
        }
        if (!haveValue || xml.hasError())
            return;
        m_builder.cell(column, cellText(type, value));
    }

    QString cellText(const QString &type, const QString &value) const
    {
        if (type == u"s") {
            bool ok = false;
            const int index = value.trimmed().toInt(&ok);
            if (!ok || index < 0 || index >= m_shared.size())
                throw ImportFileError(
                    importDamagedMessage(QStringLiteral("第 %1 行引用了不存在的共享文本").arg(m_line)));
            return m_shared.at(index);
        }
        if (type == u"b")
            return value.trimmed() == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        if (type.isEmpty() || type == u"n")
            return XlsxReader::numberText(value);
        return value;  // inlineStr, str (a formula's text), e (#N/A ...), d (an ISO date)
    }

    const QStringList &m_shared;
    ImportSheetBuilder &m_builder;
    bool m_inRow = false;
    int m_line = 0;
    int m_column = 0;
};

} // namespace

QString XlsxReader::numberText(const QString &value)
{
    const QString v = value.trimmed();
    static const QRegularExpression plain(QStringLiteral("^([+-]?)(\\d+)(?:\\.(\\d*))?$"));
    const QRegularExpressionMatch m = plain.match(v);
    if (m.hasMatch()) {
        // Digits as written, so a long code loses none: only the fraction's
        // trailing zeros and a plus go.
        QString integer = m.captured(2);
        while (integer.size() > 1 && integer.startsWith(u'0'))
            integer.remove(0, 1);
        QString fraction = m.captured(3);
        while (fraction.endsWith(u'0'))
            fraction.chop(1);
        QString text = integer;
        if (!fraction.isEmpty())
            text += u'.' + fraction;
        if (m.captured(1) == u"-" && text != u"0")
            text.prepend(u'-');
        return text;
    }
    bool ok = false;
    const double d = QLocale::c().toDouble(v, &ok);
    if (!ok || !std::isfinite(d))
        return v;
    QString text = QLocale::c().toString(d, 'f', QLocale::FloatingPointShortest);
    if (text == u"-0")
        text = QStringLiteral("0");
    return text;
}

void XlsxReader::read(const QByteArray &bytes, qint64 maxInflatedBytes, ImportSheetBuilder &builder)
{
    const ZipArchive zip(bytes);
    const WorkbookParts parts = findParts(zip, maxInflatedBytes);
    const QStringList shared = readSharedStrings(zip, parts.sharedStrings, maxInflatedBytes);
    XmlPart sheet(zip, parts.sheet, maxInflatedBytes);
    SheetParser(shared, builder).parse(sheet.xml());
    sheet.finish();
}
