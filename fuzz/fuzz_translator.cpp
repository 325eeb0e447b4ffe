// The T-SQL translation under libFuzzer: whatever the text, comments and
// [bracketed] or "quoted" names come out unchanged and in order, the literals'
// texts in order (runs may be folded into one literal), a second pass changes
// nothing (for SQLite and PostgreSQL alike), and the quick look agrees with the
// token pass.
#include <cstddef>
#include <cstdint>

#include <QRegularExpression>

#include "FuzzCheck.h"
#include "SqlTextScan.h"
#include "TsqlTranslator.h"

namespace {

// Each piece in order, every one found after the one before it.
bool inOrder(const QStringList &pieces, const QString &in, QString *missing)
{
    qsizetype from = 0;
    for (const QString &piece : pieces) {
        const qsizetype at = in.indexOf(piece, from);
        if (at < 0) {
            *missing = piece;
            return false;
        }
        from = at + piece.size();
    }
    return true;
}

// The text with each "replace('..', 'c', char(0))", how the translation writes
// a literal holding U+0000, written back as the one literal it stands for.
QString withNulLiteralsJoined(const QString &sql)
{
    static const QRegularExpression nulLiteral(
        QStringLiteral("replace\\('((?:[^']|'')*)', '([^'])', (?:char|chr)\\(0\\)\\)"));
    QString out;
    qsizetype from = 0;
    for (const QRegularExpressionMatch &m : nulLiteral.globalMatch(sql)) {
        out += QStringView(sql).mid(from, m.capturedStart() - from);
        out += QLatin1Char('\'') + m.captured(1).replace(m.captured(2), QString(QChar(0))) + QLatin1Char('\'');
        from = m.capturedEnd();
    }
    out += QStringView(sql).mid(from);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString out = translateTsqlToSqlite(text);

    fuzzCheck(out == translateTsqlToSqliteByTokens(text), "the quick look and the token pass disagree", text, out);
    fuzzCheck(translateTsqlToSqlite(out) == out, "a second pass changes the text", text, out);
    const QString postgres = translateTsql(text, TsqlTarget::PostgreSql);
    fuzzCheck(translateTsql(postgres, TsqlTarget::PostgreSql) == postgres,
              "a second pass changes the PostgreSQL text", text, postgres);

    const SqlPieces before = scanSqlPieces(withNulLiteralsJoined(text));
    const SqlPieces after = scanSqlPieces(withNulLiteralsJoined(out));
    QString missing;
    fuzzCheck(inOrder(before.comments, out, &missing), "a comment was lost or moved", text, out + "\nlost: " + missing);
    // Names inside a dropped "With (Index(...))" hint go with the hint.
    if (!text.contains(QLatin1String("index"), Qt::CaseInsensitive))
        fuzzCheck(inOrder(before.names, out, &missing), "a name was lost or moved", text, out + "\nlost: " + missing);
    // A literal holding U+0000 comes out as one with another character in
    // its place, which replace() turns back.
    QStringList values = before.literals;
    for (QString &value : values)
        value.remove(QChar(0));
    const QString outValues = after.literals.join(QString()).remove(QChar(0));
    fuzzCheck(inOrder(values, outValues, &missing), "a literal's text was lost or moved", text,
              out + "\nlost: " + missing);
    return 0;
}
