#include "UserSync.h"

#include <QThread>

#include <future>

#include "ClientDataSet.h"
#include "LumoError.h"
#include "SyncStatementRunner.h"
#include "TextRules.h"
#include "UGlobalFunUnt.h"
#include "URCMSObjValueClass.h"
#include "UserPairing.h"

namespace {

// Appends the pieces of a statement: fixed texts as they are, values quoted,
// into one string that grows once or twice rather than per piece.
class StatementText
{
public:
    StatementText() { m_text.reserve(400); }
    // Fixed texts are UTF-16 literals (u"..."): appended as they are, with
    // no conversion per piece.
    template <size_t N>
    StatementText &operator<<(const char16_t (&fixed)[N])
    {
        m_text.append(reinterpret_cast<const QChar *>(fixed), qsizetype(N - 1));
        return *this;
    }
    StatementText &operator<<(const QString &value)
    {
        AppendQuoted(m_text, value);
        return *this;
    }
    QString take() { return std::move(m_text); }

private:
    QString m_text;
};

// Rows per insert of the rows a run adds beside its users: few statements
// for a large run, well within what SQL Server takes in one VALUES list.
constexpr int kAlsoRowsPerInsert = 200;

} // namespace

UserSync::Columns::Columns(const data::ClientDataSet &ds)
    : userCode(ds.FieldByName(QStringLiteral("UserCode")))
    , userName(ds.FieldByName(QStringLiteral("UserName")))
    , spell(ds.FieldByName(QStringLiteral("Spell")))
    , fiveStrokes(ds.FieldByName(QStringLiteral("FiveStrokes")))
    , orgCode(ds.FieldByName(QStringLiteral("OrgCode")))
    , grade(ds.FieldByName(QStringLiteral("Grade")))
    , contactType(ds.FieldByName(QStringLiteral("ContactType")))
    , password(ds.FieldByName(QStringLiteral("Password")))
{
}

QString UserSync::statementFor(const QString &userCode, const Texts &now, const Texts *target)
{
    const QString &userName = now[0], &spell = now[1], &fiveStrokes = now[2], &orgCode = now[3], &grade = now[4],
                  &password = now[5], &contactType = now[6];
    if (!target) {
        StatementText sql;
        sql << u" Insert Into p_User ( UserCode, UserName, Spell, FiveStrokes, Grade,    OrgCode, "
               u"ContactType,Password )  Values ( "
            << userCode << u", " << userName << u", " << spell << u", " << fiveStrokes << u", " << grade << u", "
            << orgCode << u", " << contactType << u", " << password << u")";
        return sql.take();
    }
    // Compared as exact texts, in this order; the first difference decides.
    if (*target == now)
        return QString();
    StatementText sql;
    sql << u" Update p_User  Set UserName = " << userName << u", "
        << u"     Spell = " << spell << u", "
        << u"     FiveStrokes = " << fiveStrokes << u", "
        << u"     OrgCode = " << orgCode << u", "
        << u"     Grade = " << grade << u", "
        << u"     Password = " << password << u", "
        << u"     ContactType = " << contactType
        << u" Where UserCode = " << userCode;
    return sql.take();
}

UserSync::UserTables UserSync::readUserTables(HostSession &session, const QString &sql)
{
    if (!session.RcmsReadsBesideHr) {
        UserTables tables;
        tables.rcms = session.OpenRcmsDataSet(sql);
        tables.hr = session.OpenHrQuery(sql);
        return tables;
    }
    // Reading the two tables is a third of a run and most of a preview, and
    // each has a connection of its own: the RCMS one is read on another thread
    // meanwhile. Its dataset is handed to this thread, which owns it from then on.
    QThread *const here = QThread::currentThread();
    std::future<std::unique_ptr<data::ClientDataSet>> rcms = std::async(std::launch::async, [&session, here, &sql] {
        std::unique_ptr<data::ClientDataSet> read = session.OpenRcmsDataSet(sql);
        read->moveToThread(here);
        return read;
    });
    UserTables tables;
    std::exception_ptr hrFailure;
    try {
        tables.hr = session.OpenHrQuery(sql);
    } catch (...) {
        hrFailure = std::current_exception();
    }
    // An RCMS failure is told first, as when the tables were read in turn.
    tables.rcms = rcms.get();
    if (hrFailure)
        std::rethrow_exception(hrFailure);
    return tables;
}

std::exception_ptr UserSyncFailure::of(const QString &userCode, std::exception_ptr cause)
{
    try {
        std::rethrow_exception(cause);
    } catch (const UserSyncFailure &) {
        return cause;
    } catch (const data::LumoError &e) {
        return std::make_exception_ptr(UserSyncFailure(userCode, e.message(), e.cause()));
    } catch (const std::exception &e) {
        return std::make_exception_ptr(UserSyncFailure(userCode, QString::fromUtf8(e.what()), QString()));
    } catch (...) {
        return cause;
    }
}

std::unique_lock<std::mutex> UserSync::holdStatements()
{
    return m_runner ? m_runner->hold() : std::unique_lock<std::mutex>();
}

void UserSync::run(const std::function<void(int, int)> &progress)
{
    const auto [source, target] = readUserTables(m_session, QStringLiteral(" Select * From p_User "));
    const Columns sourceColumns(*source);
    UserPairing pairing(*target, *source, m_session.HrCodesIgnoreCase, m_session.HrCodesIgnoreTrailingBlanks);

    source->First();
    const int total = source->RecordCount();
    progress(0, total);
    // Declared after the datasets, so that its statements have stopped before
    // they go, and before the caller rolls back.
    SyncStatementRunner statements(m_session);
    struct Running
    {
        SyncStatementRunner *&runner;
        ~Running() { runner = nullptr; }
    } running{m_runner = &statements};
    int workedOut = 0, reported = 0;
    QString alsoRows;  // the insert filling, with alsoCount rows
    int alsoCount = 0;
    QString lastWritten;
    const auto flushAlso = [&](int user, const QString &code) {
        if (alsoCount > 0)
            statements.add(user, code, std::move(alsoRows));
        alsoRows = QString();
        alsoCount = 0;
    };
    const auto reportDone = [&] {
        for (const int done = statements.usersDone(workedOut); reported < done;)
            progress(++reported, total);
        statements.raiseFailure();
    };
    while (!source->Eof()) {
        const int row = source->rowOfView(source->currentIndex());
        QString heldCode;
        const QStringView code = CodeRowIndex::textIn(*source, row, sourceColumns.userCode, heldCode);
        try {
            const std::optional<UserPairing::Paired> paired = pairing.findRow(code);
            if (paired && pairing.sameTexts(row, *paired)) {
                if (onUnchanged)
                    onUnchanged();
            } else {
                // The user's texts are made once and serve the statement, the
                // caller and the pairing alike.
                const QString codeText = code.toString();
                const Texts now = UserPairing::textsAt(*source, sourceColumns, row);
                std::optional<Texts> was;
                if (paired)
                    was = UserPairing::textsAt(*paired->dataSet, *paired->columns, paired->row);
                QString sql = statementFor(codeText, now, was ? &*was : nullptr);
                if (onUser)
                    onUser(codeText, was, now);
                lastWritten = codeText;
                statements.add(workedOut + 1, codeText, std::move(sql));
                if (alsoInsert) {
                    alsoRows += alsoRows.isEmpty() ? alsoInsert->head : QStringLiteral(", ");
                    alsoRows += alsoInsert->values(codeText, was, now);
                    if (++alsoCount == kAlsoRowsPerInsert)
                        flushAlso(workedOut + 1, codeText);
                }
                pairing.wroteCurrent();
            }
        } catch (...) {
            std::rethrow_exception(UserSyncFailure::of(code.toString(), std::current_exception()));
        }
        ++workedOut;
        reportDone();
        source->Next();
    }
    flushAlso(workedOut, lastWritten);
    statements.finish();
    reportDone();
}
