#pragma once

#include <QHash>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <deque>
#include <functional>

#include "RecordingSession.h"

// Doubles of the host's two automation objects. The module calls them late-bound
// by member name, so the member names and signatures here are the contract.

// HostDispatch: messages, questions, decoding and search codes. Every call is
// appended to log() as "Member(argument)".
class TestHostDispatch : public QObject
{
    Q_OBJECT

public:
    explicit TestHostDispatch(QObject *parent = nullptr);

    Q_INVOKABLE void Prompt(const QString &text);
    Q_INVOKABLE int Confirm(const QString &text);
    Q_INVOKABLE QString MimeDecode(const QString &text);  // Base64 -> UTF-8 text
    Q_INVOKABLE QString GetPYM(const QString &text);
    Q_INVOKABLE QString GetWBM(const QString &text);
    Q_INVOKABLE QVariant GetSRM();
    Q_INVOKABLE QVariant conMain();

    // Script.
    void queueConfirm(int answer) { m_confirmAnswers.push_back(answer); }
    void setDefaultConfirm(int answer) { m_defaultConfirm = answer; }
    void setPym(const QString &text, const QString &code) { m_pym.insert(text, code); }
    void setWbm(const QString &text, const QString &code) { m_wbm.insert(text, code); }
    void setSrm(const QVariant &value) { m_srm = value; }
    void setConMain(const QVariant &value) { m_conMain = value; }
    // Runs inside Prompt/Confirm (e.g. to look at the window while the message is up).
    std::function<void(const QString &)> onMessage;

    // Record.
    const QStringList &prompts() const { return m_prompts; }
    const QStringList &confirms() const { return m_confirms; }
    const QStringList &log() const { return m_log; }
    void clear();

private:
    QStringList m_prompts;
    QStringList m_confirms;
    QStringList m_log;
    std::deque<int> m_confirmAnswers;
    int m_defaultConfirm = 1;
    QHash<QString, QString> m_pym;
    QHash<QString, QString> m_wbm;
    QVariant m_srm = QStringLiteral("SRM");
    QVariant m_conMain = QStringLiteral("conMain");
};

// A host whose HostDispatch has its messages only, no search codes (GetPYM,
// GetWBM): messages go to prompts().
class TestHostDispatchWithoutCodes : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    Q_INVOKABLE void Prompt(const QString &text) { m_prompts << text; }
    const QStringList &prompts() const { return m_prompts; }

private:
    QStringList m_prompts;
};

// CodePicker: the host's code-selection dialog. Method calls and property writes
// go to log() in order ("Init()", "Table=p_YLFWDW", "SetPosition(0,-2,18)",
// "Show()", "GetCodeValue(单位编码)"); writes() keeps each written value with
// its type.
class TestCodePicker : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Table READ Table WRITE setTable)
    Q_PROPERTY(QString Where READ Where WRITE setWhere)
    Q_PROPERTY(QString OrderBy READ OrderBy WRITE setOrderBy)
    Q_PROPERTY(QString FieldList READ FieldList WRITE setFieldList)
    Q_PROPERTY(QString Spell READ Spell WRITE setSpell)
    Q_PROPERTY(QString Wbx READ Wbx WRITE setWbx)
    Q_PROPERTY(QString Code READ Code WRITE setCode)
    Q_PROPERTY(int SearchTime READ SearchTime WRITE setSearchTime)
    Q_PROPERTY(QVariant CodeType READ CodeType WRITE setCodeType)
    Q_PROPERTY(QVariant conType READ conType WRITE setConType)

public:
    explicit TestCodePicker(QObject *parent = nullptr);

    Q_INVOKABLE void Init();
    Q_INVOKABLE void SetPosition(int a, int b, int c);
    Q_INVOKABLE void Show();
    Q_INVOKABLE QString GetCodeValue(const QString &column);

    QString Table() const { return m_values.value(QStringLiteral("Table")).toString(); }
    QString Where() const { return m_values.value(QStringLiteral("Where")).toString(); }
    QString OrderBy() const { return m_values.value(QStringLiteral("OrderBy")).toString(); }
    QString FieldList() const { return m_values.value(QStringLiteral("FieldList")).toString(); }
    QString Spell() const { return m_values.value(QStringLiteral("Spell")).toString(); }
    QString Wbx() const { return m_values.value(QStringLiteral("Wbx")).toString(); }
    QString Code() const { return m_values.value(QStringLiteral("Code")).toString(); }
    int SearchTime() const { return m_values.value(QStringLiteral("SearchTime")).toInt(); }
    QVariant CodeType() const { return m_values.value(QStringLiteral("CodeType")); }
    QVariant conType() const { return m_values.value(QStringLiteral("conType")); }

    void setTable(const QString &v) { write(QStringLiteral("Table"), v); }
    void setWhere(const QString &v) { write(QStringLiteral("Where"), v); }
    void setOrderBy(const QString &v) { write(QStringLiteral("OrderBy"), v); }
    void setFieldList(const QString &v) { write(QStringLiteral("FieldList"), v); }
    void setSpell(const QString &v) { write(QStringLiteral("Spell"), v); }
    void setWbx(const QString &v) { write(QStringLiteral("Wbx"), v); }
    void setCode(const QString &v) { write(QStringLiteral("Code"), v); }
    void setSearchTime(int v) { write(QStringLiteral("SearchTime"), v); }
    void setCodeType(const QVariant &v) { write(QStringLiteral("CodeType"), v); }
    void setConType(const QVariant &v) { write(QStringLiteral("conType"), v); }

    // Script: what GetCodeValue answers per column (absent: empty text).
    void setCodeValue(const QString &column, const QString &value) { m_answers.insert(column, value); }
    // Runs inside Show (e.g. to raise, or to script answers from what was set).
    std::function<void()> onShow;

    // Record.
    const QStringList &log() const { return m_log; }
    const QList<QPair<QString, QVariant>> &writes() const { return m_writes; }
    void clear();

private:
    void write(const QString &name, const QVariant &value);

    QHash<QString, QVariant> m_values;
    QHash<QString, QString> m_answers;
    QStringList m_log;
    QList<QPair<QString, QVariant>> m_writes;
};

// A recording session with both automation objects attached, installed as the
// module-wide session for the fixture's lifetime.
struct TestHost
{
    TestHost();
    TestHost(const TestHost &) = delete;
    TestHost &operator=(const TestHost &) = delete;

    RecordingSession session;
    TestHostDispatch dispatch;
    TestCodePicker picker;

private:
    ScopedModuleSession m_installed{&session};
};
