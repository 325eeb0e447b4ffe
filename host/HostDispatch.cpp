#include "HostDispatch.h"

#include <QApplication>
#include <QByteArray>
#include <QMessageBox>
#include <QSettings>
#include <QWidget>

#include "SearchCodes.h"

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

} // namespace

HostDispatch::HostDispatch(QObject *parent) : QObject(parent) {}

void HostDispatch::Prompt(const QString &text)
{
    emit messageShown(text);
    if (m_responder) {
        m_responder(text, false);
        return;
    }
    NormalCursor cursor;
    QMessageBox::information(m_dialogParent, QStringLiteral("提示"), text);
}

int HostDispatch::Confirm(const QString &text)
{
    int result = 0;
    if (m_responder) {
        result = m_responder(text, true) == 1 ? 1 : 0;
    } else {
        NormalCursor cursor;
        const auto answer = QMessageBox::question(m_dialogParent, QStringLiteral("确认"), text,
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
