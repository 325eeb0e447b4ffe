#include "SyncPreview.h"

#include <QHash>
#include <QSet>

#include "ClientDataSet.h"
#include "URCMSObjValueClass.h"
#include "UserSync.h"

namespace {

using Texts = std::array<QString, SyncPreview::ColumnCount>;

Texts textsOf(const UserSync::Columns &c)
{
    Texts t;
    t[SyncPreview::Name] = c.userName->AsString();
    t[SyncPreview::Spell] = c.spell->AsString();
    t[SyncPreview::FiveStrokes] = c.fiveStrokes->AsString();
    t[SyncPreview::Unit] = c.orgCode->AsString();
    t[SyncPreview::Grade] = c.grade->AsString();
    t[SyncPreview::Password] = c.password->AsString();
    t[SyncPreview::Contact] = c.contactType->AsString();
    return t;
}

} // namespace

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
    std::unique_ptr<data::ClientDataSet> source = session.OpenRcmsDataSet(QStringLiteral(" Select * From p_User "));
    std::unique_ptr<data::ClientDataSet> target = session.OpenHrQuery(QStringLiteral(" Select * From p_User "));
    const UserSync::Columns sourceColumns(*source);
    const UserSync::Columns targetColumns(*target);

    // The health-record users by code, paired as the synchronisation pairs
    // them: by the exact code.
    QHash<QString, Texts> existing;
    existing.reserve(target->RecordCount());
    for (target->First(); !target->Eof(); target->Next())
        existing.insert(targetColumns.userCode->AsString(), textsOf(targetColumns));

    SyncPreview preview;
    QSet<QString> paired;
    paired.reserve(existing.size());
    for (source->First(); !source->Eof(); source->Next()) {
        const QString code = sourceColumns.userCode->AsString();
        const Texts now = textsOf(sourceColumns);
        const auto found = existing.constFind(code);
        if (found == existing.cend()) {
            ++preview.added;
            Change change;
            change.added = true;
            change.userCode = code;
            change.userName = now[Name];
            preview.changes.append(change);
            continue;
        }
        paired.insert(code);
        const Texts &was = *found;
        bool differs = false;
        for (int c = 0; c < ColumnCount; ++c) {
            if (was[c] == now[c])
                continue;
            differs = true;
            ++preview.changedPerColumn[c];
            Change change;
            change.userCode = code;
            change.userName = now[Name];
            change.column = Column(c);
            if (c != Password) {
                change.oldValue = was[c];
                change.newValue = now[c];
            }
            preview.changes.append(change);
        }
        if (differs)
            ++preview.changed;
        else
            ++preview.same;
    }
    preview.withoutSource = int(existing.size() - paired.size());
    return preview;
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
