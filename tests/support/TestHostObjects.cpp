#include "TestHostObjects.h"

#include <QByteArray>


TestHostDispatch::TestHostDispatch(QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("HostDispatch"));
}

void TestHostDispatch::Prompt(const QString &text)
{
    m_prompts.append(text);
    m_log.append(QStringLiteral("Prompt(%1)").arg(text));
    if (onMessage)
        onMessage(text);
}

int TestHostDispatch::Confirm(const QString &text)
{
    m_confirms.append(text);
    m_log.append(QStringLiteral("Confirm(%1)").arg(text));
    if (onMessage)
        onMessage(text);
    if (m_confirmAnswers.empty())
        return m_defaultConfirm;
    const int answer = m_confirmAnswers.front();
    m_confirmAnswers.pop_front();
    return answer;
}

QString TestHostDispatch::MimeDecode(const QString &text)
{
    m_log.append(QStringLiteral("MimeDecode(%1)").arg(text));
    return QString::fromUtf8(QByteArray::fromBase64(text.toLatin1()));
}

QString TestHostDispatch::GetPYM(const QString &text)
{
    m_log.append(QStringLiteral("GetPYM(%1)").arg(text));
    return m_pym.value(text);
}

QString TestHostDispatch::GetWBM(const QString &text)
{
    m_log.append(QStringLiteral("GetWBM(%1)").arg(text));
    return m_wbm.value(text);
}

QVariant TestHostDispatch::GetSRM()
{
    m_log.append(QStringLiteral("GetSRM()"));
    return m_srm;
}

QVariant TestHostDispatch::conMain()
{
    m_log.append(QStringLiteral("conMain()"));
    return m_conMain;
}

void TestHostDispatch::clear()
{
    m_prompts.clear();
    m_confirms.clear();
    m_log.clear();
}

TestCodePicker::TestCodePicker(QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("CodePicker"));
}

void TestCodePicker::Init()
{
    m_log.append(QStringLiteral("Init()"));
}

void TestCodePicker::SetPosition(int a, int b, int c)
{
    m_log.append(QStringLiteral("SetPosition(%1,%2,%3)").arg(a).arg(b).arg(c));
}

void TestCodePicker::Show()
{
    m_log.append(QStringLiteral("Show()"));
    if (onShow)
        onShow();
}

QString TestCodePicker::GetCodeValue(const QString &column)
{
    m_log.append(QStringLiteral("GetCodeValue(%1)").arg(column));
    return m_answers.value(column);
}

void TestCodePicker::write(const QString &name, const QVariant &value)
{
    m_values.insert(name, value);
    m_writes.append({name, value});
    m_log.append(name + u'=' + value.toString());
}

void TestCodePicker::clear()
{
    m_log.clear();
    m_writes.clear();
}

TestHost::TestHost()
{
    session.HostDispatch = &dispatch;
    session.CodePicker = &picker;
}
