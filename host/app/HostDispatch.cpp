#include "HostDispatch.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QSettings>
#include <QWidget>

#include "LumoError.h"
#include "HostLog.h"
#include "SearchCodes.h"
#include "TableExport.h"

namespace {

// A message or question waits for the person, not for the database: it shows
// the ordinary pointer even while the module's busy cursor is up.
class NormalCursor
{
public:
    NormalCursor() : m_set(QApplication::overrideCursor() != nullptr)
    {
        if (m_set)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~NormalCursor()
    {
        if (m_set)
            QApplication::restoreOverrideCursor();
    }
    NormalCursor(const NormalCursor &) = delete;
    NormalCursor &operator=(const NormalCursor &) = delete;

private:
    bool m_set;
};

// A box is made as narrow as its text, and a window frame then cuts the title
// beside its icon and buttons: a short message ("删除成功!") keeps the room
// the title needs.
QMessageBox::StandardButton showBox(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                    const QString &text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton)
{
    NormalCursor cursor;
    QMessageBox box(icon, title, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(HostDispatch::boxMinimumWidth(title, box.fontMetrics()), 0),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return QMessageBox::StandardButton(box.exec());
}

} // namespace

int HostDispatch::boxMinimumWidth(const QString &title, const QFontMetrics &metrics)
{
    return metrics.horizontalAdvance(title) + kTitleFrameRoom;
}

// A message box is never taller than the screen: a long text shows its first
// lines, and the whole of it goes to the log.
QString HostDispatch::boxText(const QString &text)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() <= kMaxBoxLines && text.size() <= kMaxBoxChars)
        return text;
    qCInfo(lcHostMessages).noquote() << text;
    QString shown = lines.mid(0, kMaxBoxLines).join(QLatin1Char('\n')).left(kMaxBoxChars);
    return shown + QStringLiteral("\n…… (全文见日志文件)");
}

HostDispatch::HostDispatch(QObject *parent) : QObject(parent) {}

void HostDispatch::Prompt(const QString &text)
{
    emit messageShown(text);
    if (m_responder) {
        m_responder(text, false);
        return;
    }
    showBox(m_dialogParent, QMessageBox::Information, QStringLiteral("提示"), boxText(text), QMessageBox::Ok,
            QMessageBox::Ok);
}

int HostDispatch::Confirm(const QString &text)
{
    int result = 0;
    if (m_responder) {
        result = m_responder(text, true) == 1 ? 1 : 0;
    } else {
        const auto answer = showBox(m_dialogParent, QMessageBox::Question, QStringLiteral("确认"), boxText(text),
                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        result = answer == QMessageBox::Yes ? 1 : 0;
    }
    emit questionAsked(text, result);
    return result;
}

QString HostDispatch::MimeDecode(const QString &text)
{
    const auto decoded = QByteArray::fromBase64Encoding(text.trimmed().toLatin1());
    return decoded ? QString::fromUtf8(*decoded) : QString();
}

QString HostDispatch::GetPYM(const QString &text)
{
    return SearchCodes::pinyinInitials(text);
}

QString HostDispatch::GetWBM(const QString &text)
{
    return SearchCodes::wubiInitials(text);
}

QVariant HostDispatch::GetSRM()
{
    // The picker searches by code, pinyin and five-stroke code alike.
    return QStringLiteral("all");
}

QVariant HostDispatch::conMain()
{
    // The picker lists from the health-record database.
    return QStringLiteral("hr");
}

void HostDispatch::setSettingsFile(const QString &file, const QString &login)
{
    m_settingsFile = file;
    m_login = login;
}

QString HostDispatch::ReadSetting(const QString &key)
{
    if (m_settingsFile.isEmpty())
        return QString();
    QSettings settings(m_settingsFile, QSettings::IniFormat);
    settings.beginGroup(m_login);
    return settings.value(key).toString();
}

void HostDispatch::WriteSetting(const QString &key, const QString &value)
{
    if (m_settingsFile.isEmpty())
        return;
    QSettings settings(m_settingsFile, QSettings::IniFormat);
    settings.beginGroup(m_login);
    settings.setValue(key, value);
}

void HostDispatch::ExportTable(const QString &title, const QStringList &headers, const QVariantList &rows)
{
    QString file;
    if (m_exportFile) {
        file = m_exportFile(title);
    } else {
        QString filter;
        file = QFileDialog::getSaveFileName(m_dialogParent, QStringLiteral("导出%1").arg(title),
                                            QDir::home().filePath(title + QStringLiteral(".xlsx")),
                                            workbookFilter() + QStringLiteral(";;") + csvFilter(), &filter);
        if (!file.isEmpty() && QFileInfo(file).suffix().isEmpty())
            file += filter.startsWith(QLatin1String("CSV")) ? QStringLiteral(".csv") : QStringLiteral(".xlsx");
    }
    if (file.isEmpty())
        return;
    QList<QStringList> table;
    table.reserve(rows.size());
    for (const QVariant &row : rows)
        table << row.toStringList();
    try {
        TableExport::write(file, title, headers, table);
    } catch (const data::LumoError &e) {
        Prompt(QStringLiteral("导出失败! %1").arg(e.message()));
        return;
    }
    Prompt(QStringLiteral("已导出 %1 条记录到 %2").arg(table.size()).arg(QDir::toNativeSeparators(file)));
}
