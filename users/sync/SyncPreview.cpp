#include "SyncPreview.h"

#include <QLocale>

#include <vector>

#include "ClientDataSet.h"
#include "URCMSObjValueClass.h"
#include "UserPairing.h"
#include "UserSync.h"

QString SyncPreview::columnCaption(Column column)
{
    switch (column) {
    case Name: return QStringLiteral("姓名");
    case Spell: return QStringLiteral("拼音码");
    case FiveStrokes: return QStringLiteral("五笔码");
    case Unit: return QStringLiteral("所属单位");
    case Grade: return QStringLiteral("级别");
    case Password: return QStringLiteral("密码");
    case Contact: return QStringLiteral("联系方式");
    case ColumnCount: break;
    }
    return QString();
}

SyncPreview SyncPreview::read(HostSession &session)
{
    // The synchronisation's tables with only the columns it compares: the
    // health-record table's other columns (a time stamp) cost most of the
    // reading and are never looked at.
    const QString sql = QStringLiteral("Select UserCode, UserName, Spell, FiveStrokes, OrgCode, Grade, ContactType, "
                                       "PassWord From p_User");
    const auto [source, target] = UserSync::readUserTables(session, sql);
    const UserSync::Columns sourceColumns(*source);
    // The run's own pairing, fed with what the run would write.
    UserPairing pairing(*target, *source, session.HrCodesIgnoreCase, session.HrCodesIgnoreTrailingBlanks);

    SyncPreview preview;
    // Each health-record key is one row, so the users RCMS lacks are the rows
    // no RCMS user paired with.
    std::vector<bool> targetPaired(std::size_t(target->StoredRowCount()));
    int targetsPaired = 0;
    for (source->First(); !source->Eof(); source->Next()) {
        const int row = source->rowOfView(source->currentIndex());
        QString heldCode;
        const QStringView code = CodeRowIndex::textIn(*source, row, sourceColumns.userCode, heldCode);
        const std::optional<UserPairing::Paired> paired = pairing.findRow(code);
        if (paired && paired->dataSet == target.get() && !targetPaired[std::size_t(paired->row)]) {
            targetPaired[std::size_t(paired->row)] = true;
            ++targetsPaired;
        }
        // Most users are unchanged: compared where they are stored, as the
        // run compares them, without making their texts.
        if (paired && pairing.sameTexts(row, *paired)) {
            ++preview.same;
            continue;
        }
        std::optional<UserSync::Texts> was;
        if (paired)
            was = UserPairing::textsAt(*paired->dataSet, *paired->columns, paired->row);
        if (preview.add(code.toString(), was, UserPairing::textsAt(*source, sourceColumns, row)))
            pairing.wroteCurrent();
    }
    preview.withoutSource = int(targetPaired.size()) - targetsPaired;
    return preview;
}

bool SyncPreview::add(const QString &code, const std::optional<UserSync::Texts> &was, const UserSync::Texts &now)
{
    if (!was) {
        ++added;
        changes.append({true, code, now[Name], Name, QString(), QString()});
        return true;
    }
    bool differs = false;
    for (int c = 0; c < ColumnCount; ++c) {
        if ((*was)[c] == now[c])
            continue;
        differs = true;
        ++changedPerColumn[c];
        // Passwords are told as changed, never shown.
        const bool shown = c != Password;
        changes.append({false, code, now[Name], Column(c), shown ? (*was)[c] : QString(), shown ? now[c] : QString()});
    }
    ++(differs ? changed : same);
    return differs;
}

QString SyncPreview::runLine(double seconds) const
{
    return QStringLiteral("新增 %1 人, 更新 %2 人, 未变 %3 人, 用时 %4 秒")
        .arg(added)
        .arg(changed)
        .arg(same)
        .arg(QString::number(seconds, 'g', QLocale::FloatingPointShortest));
}

QString SyncPreview::summary() const
{
    QStringList columns;
    for (int c = 0; c < ColumnCount; ++c)
        if (changedPerColumn[c] > 0)
            columns << QStringLiteral("%1 %2 人").arg(columnCaption(Column(c))).arg(changedPerColumn[c]);
    QString text = QStringLiteral("新增 %1 人, 更新 %2 人").arg(added).arg(changed);
    if (!columns.isEmpty())
        text += QStringLiteral(" (") + columns.join(QStringLiteral(", ")) + QStringLiteral(")");
    text += QStringLiteral(", 未变 %1 人; 健康档案中另有 %2 人在农合中没有对应用户 (同步不改动他们)")
                .arg(same)
                .arg(withoutSource);
    return text;
}
