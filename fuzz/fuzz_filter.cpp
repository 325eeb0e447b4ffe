// The filter parser under libFuzzer. The first line of the input is a filter,
// the lines after it are values written into the rows before filtering. A
// filter parses or is refused with a message, never crashes; the
// "Field = 'text'" shortcut reads a text as the general parser reads it
// (checked against the text in parentheses, which only the general parser
// reads); and the rows the dataset shows, found through its equality index,
// are the rows a scan of every row with the expression selects.
#include <cstddef>
#include <cstdint>

#include <QDate>

#include "ClientDataSet.h"
#include "Field.h"
#include "FilterExpression.h"
#include "FuzzCheck.h"
#include "LumoError.h"

using namespace data;

namespace {

void load(ClientDataSet &ds)
{
    const auto def = [](const char *name, FieldType type) { return FieldDef{QString::fromLatin1(name), type, 0}; };
    ds.SetData(DataPacket{
        {def("Code", FieldType::String), def("Name", FieldType::WideString), def("N", FieldType::Integer),
         def("F", FieldType::Float), def("B", FieldType::Boolean), def("D", FieldType::Date),
         def("T", FieldType::String)},
        {
            {"a", "O'Neil", qint64(3), 1.5, true, QDate(2024, 1, 1), "3"},
            {"b", "abc", qint64(-2), 3.0, false, QDate(2024, 6, 30), "03"},
            {"c", "ABC", qint64(9007199254740993LL), QVariant(), QVariant(), QVariant(), "x3"},
            {"d", QVariant(), QVariant(), -0.5, true, QDate(2023, 12, 31), QVariant()},
            {"e", "", qint64(3), 10.0, false, QDate(2024, 1, 1), " 3 "},
            {"f", "用户", qint64(0), 0.0, true, QDate(2000, 2, 29), "2024-01-01"},
        }});
}

// The codes of the shown rows, or "<refused>".
QString shown(ClientDataSet &ds, const QString &filter)
{
    try {
        ds.SetFiltered(false);
        ds.SetFilter(filter);
        ds.SetFiltered(true);
    } catch (const LumoError &e) {
        fuzzCheck(!e.message().isEmpty(), "a refusal without a message", filter);
        ds.SetFiltered(false);
        return QStringLiteral("<refused>");
    }
    QStringList codes;
    Field *code = ds.FieldByName(QStringLiteral("Code"));
    for (int r = 0; r < ds.RecordCount(); ++r)
        codes << code->textOf(ds.valueAt(r, code->Index()));
    return codes.join(QLatin1Char(','));
}

// The codes of the rows the expression selects, by evaluating every row.
QString scanned(const ClientDataSet &ds, const QString &filter)
{
    std::unique_ptr<FilterExpression> expression = FilterExpression::parse(filter);
    expression->bind(ds.Fields());
    QStringList codes;
    const DataPacket all = ds.Data();
    for (const QVector<QVariant> &row : all.rows) {
        if (expression->matches(row))
            codes << row.at(0).toString();
    }
    return codes.join(QLatin1Char(','));
}

// Whether the text holds a parenthesis outside its quoted texts and names.
bool parenthesisOutsideQuotes(const QString &text)
{
    QChar open;
    for (const QChar c : text) {
        if (!open.isNull()) {
            if (c == (open == u'[' ? QChar(u']') : open))
                open = QChar();
        } else if (c == u'\'' || c == u'[') {
            open = c;
        } else if (c == u'(' || c == u')') {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList lines =
        QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)).split(QLatin1Char('\n'));
    const QString &filter = lines.first();
    ClientDataSet ds;
    load(ds);
    for (int i = 1; i < lines.size(); ++i) {
        ds.SetRecNo(1 + i % ds.RecordCount());
        try {
            ds.Edit();
            ds.FieldAt(1 + i % (ds.FieldCount() - 1))->SetAsString(lines.at(i));
            ds.Post();
        } catch (const LumoError &) {
            ds.Cancel();
        }
    }

    const QString viaDataSet = shown(ds, filter);
    // A blank text (no filter) has no parenthesised form, and the parentheses
    // add a level of nesting: a text near the limit is left out.
    if (!filter.trimmed().isEmpty() && !parenthesisOutsideQuotes(filter)
        && filter.count(QLatin1String("not"), Qt::CaseInsensitive) < 150) {
        const QString general = shown(ds, QLatin1Char('(') + filter + QLatin1Char(')'));
        fuzzCheck(viaDataSet == general, "the shortcut and the general parser disagree", filter,
                  viaDataSet + QStringLiteral(" / ") + general);
    }
    if (viaDataSet != QLatin1String("<refused>")) {
        const QString byScan = scanned(ds, filter);
        fuzzCheck(viaDataSet == byScan, "the equality index and a scan disagree", filter,
                  viaDataSet + QStringLiteral(" / ") + byScan);
    }
    return 0;
}
