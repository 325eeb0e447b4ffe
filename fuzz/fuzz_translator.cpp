// The T-SQL translation under libFuzzer: whatever the text, comments and
// [bracketed] or "quoted" names come out unchanged and in order, the literals'
// texts in order (runs may be folded into one literal), a second pass changes
// nothing, and the quick look agrees with the token pass.
#include <cstddef>
#include <cstdint>

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString out = translateTsqlToSqlite(text);

    fuzzCheck(out == translateTsqlToSqliteByTokens(text), "the quick look and the token pass disagree", text, out);
    fuzzCheck(translateTsqlToSqlite(out) == out, "a second pass changes the text", text, out);

    const SqlPieces before = scanSqlPieces(text);
    const SqlPieces after = scanSqlPieces(out);
    QString missing;
    fuzzCheck(inOrder(before.comments, out, &missing), "a comment was lost or moved", text, out + "\nlost: " + missing);
    // Names inside a dropped "With (Index(...))" hint go with the hint.
    if (!text.contains(QLatin1String("index"), Qt::CaseInsensitive))
        fuzzCheck(inOrder(before.names, out, &missing), "a name was lost or moved", text, out + "\nlost: " + missing);
    // U+0000 leaves a complete literal as char(0) between its pieces.
    QStringList values = before.literals;
    for (QString &value : values)
        value.remove(QChar(0));
    const QString outValues = after.literals.join(QString()).remove(QChar(0));
    fuzzCheck(inOrder(values, outValues, &missing), "a literal's text was lost or moved", text,
              out + "\nlost: " + missing);
    return 0;
}
