// Every INSERT and UPDATE the builders make, run through the host's SQLite
// session, must store exactly the cleaned text and run as exactly one
// statement, whatever the user typed: quotes, statement separators, comment
// starters, line breaks, tabs, GBK and non-GBK characters.

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sqlite3.h>

#include "ClientDataSet.h"
#include "Field.h"
#include "RecordingSession.h"
#include "SqliteSession.h"
#include "TsqlTranslator.h"
#include "UGlobalFunUnt.h"

using data::FieldType;

namespace {

// Pieces that have broken hand-built SQL somewhere: quoting, separators,
// comments, the translator's own keywords, line breaks, and characters outside
// GBK (which no 8-bit code page the stored data came from can carry).
const QStringList kPieces = {
    QStringLiteral("'"), QStringLiteral("''"), QStringLiteral("\""), QStringLiteral(";"),
    QStringLiteral("--"), QStringLiteral("/*"), QStringLiteral("*/"), QStringLiteral("\r"),
    QStringLiteral("\n"), QStringLiteral("\r\n"), QStringLiteral("\t"), QStringLiteral(" "),
    QStringLiteral("+"), QStringLiteral("||"), QStringLiteral("char(13)"), QStringLiteral("%"),
    QStringLiteral("\\"), QStringLiteral("["), QStringLiteral("]"), QStringLiteral("N'"),
    QStringLiteral("With(RowLock)"), QStringLiteral("Isnull("), QStringLiteral("Select Top 1 "),
    QStringLiteral("); Delete From p_User; --"), QStringLiteral("张三"), QStringLiteral("卫生院"),
    QStringLiteral("€"), QStringLiteral("한국"), QStringLiteral("\U0001F600"), QStringLiteral("\U00020000"),
    QStringLiteral("ẞ"), QStringLiteral("\u3000"), QStringLiteral("abc"), QStringLiteral("0"),
    QStringLiteral("Null"), QStringLiteral("\x01"),
};

QString randomText(QRandomGenerator &random)
{
    QString text;
    const int pieces = random.bounded(0, 12);
    for (int i = 0; i < pieces; ++i)
        text += kPieces.at(random.bounded(kPieces.size()));
    return text;
}

// How many statements SQLite finds in a text (prepared, never stepped).
int statementCount(sqlite3 *db, const QString &sqliteText)
{
    const QByteArray utf8 = sqliteText.toUtf8();
    const char *cursor = utf8.constData();
    const char *end = cursor + utf8.size();
    int count = 0;
    while (cursor < end) {
        sqlite3_stmt *statement = nullptr;
        const char *tail = nullptr;
        if (sqlite3_prepare_v2(db, cursor, int(end - cursor), &statement, &tail) != SQLITE_OK)
            return -1;
        if (statement) {
            ++count;
            sqlite3_finalize(statement);
        }
        if (tail == cursor)
            break;
        cursor = tail;
    }
    return count;
}

class BuildersOnSqlite : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const QString hr = dir.filePath(QStringLiteral("hr.db"));
        const QString rcms = dir.filePath(QStringLiteral("rcms.db"));
        SqliteSession::createDatabases(hr, rcms);
        session = std::make_unique<SqliteSession>(hr, rcms);
        // A row that a second statement smuggled in a value could delete.
        session->ExecHrSql(QStringLiteral("Insert Into p_User (UserCode, UserName) Values ('canary', 'x')"));
        dataSet.SetData(RecordingSession::packet({{QStringLiteral("UserCode"), FieldType::String, 20},
                                                  {QStringLiteral("UserName"), FieldType::String, 50},
                                                  {QStringLiteral("ContactType"), FieldType::String, 100},
                                                  {QStringLiteral("PassWord"), FieldType::String, 50}},
                                                 {}));
        // One transaction for the whole run: the texts are what is tested, not
        // the disk, and a commit per statement would make the run slow.
        session->BeginHrTrans();
    }

    void TearDown() override
    {
        if (session)
            session->RollbackHrTrans();
    }

    void setRow(const QString &code, const QString &name, const QString &contact, const QString &password)
    {
        dataSet.Edit();
        dataSet.FieldByName(QStringLiteral("UserCode"))->SetAsString(code);
        dataSet.FieldByName(QStringLiteral("UserName"))->SetAsString(name);
        dataSet.FieldByName(QStringLiteral("ContactType"))->SetAsString(contact);
        dataSet.FieldByName(QStringLiteral("PassWord"))->SetAsString(password);
        dataSet.Post();
    }

    // The stored row as texts (a null column reads as a null QVariant).
    QVector<QVariant> storedRow(const QString &code)
    {
        auto rows = session->OpenHrQuery(
            QStringLiteral("Select UserName, ContactType, PassWord From p_User Where UserCode = ")
            + QuotedStr(code));
        EXPECT_EQ(rows->RecordCount(), 1);
        QVector<QVariant> values;
        for (int i = 0; i < 3; ++i)
            values.append(rows->FieldAt(i)->Value());
        return values;
    }

    void expectRunsAsOneStatement(const QString &sql)
    {
        sqlite3 *db = session->hrDatabase().handle();
        EXPECT_EQ(statementCount(db, translateTsqlToSqlite(sql)), 1) << sql.toStdString();
        const int before = sqlite3_total_changes(db);
        EXPECT_TRUE(session->ExecHrSql(sql));
        EXPECT_EQ(sqlite3_total_changes(db) - before, 1) << sql.toStdString();
        EXPECT_EQ(session->GetHrValue(QStringLiteral("Select Count(*) From p_User Where UserCode = 'canary'")).toInt(), 1);
    }

    static QVariant expectedStored(const QString &typed)
    {
        const QString cleaned = CleanSqlText(typed);
        return cleaned.isEmpty() ? QVariant() : QVariant(cleaned);
    }

    QTemporaryDir dir;
    std::unique_ptr<SqliteSession> session;
    data::ClientDataSet dataSet;
};

} // namespace

TEST_F(BuildersOnSqlite, KnownHardTextsRoundTrip)
{
    const QStringList texts = {
        QStringLiteral("O'Neil"), QStringLiteral("a\r\n\r\nb"), QStringLiteral("say \"hi\"; --x"),
        QStringLiteral("x'); Delete From p_User; --"), QStringLiteral("/* 'a' */ b"),
        QStringLiteral("张\t三\r李四\n王五"), QStringLiteral("\U0001F600\U00020000"),
        QStringLiteral("'+char(13)+char(10)+'"),
    };
    dataSet.Append();
    dataSet.Post();
    int n = 0;
    for (const QString &text : texts) {
        const QString code = QStringLiteral("K%1").arg(++n);
        setRow(code, text, text, text);
        const QString sql = BuildInsertSql(&dataSet, QStringLiteral("p_User"), QStringLiteral("UserCode"),
                                           QString(), true, QStringLiteral("'NeedReplacePkeyValue'"));
        expectRunsAsOneStatement(sql);
        const QVariant expected = expectedStored(text);
        EXPECT_EQ(storedRow(code), QVector<QVariant>({expected, expected, expected})) << sql.toStdString();
    }
}

TEST_F(BuildersOnSqlite, RandomTextsStoreExactlyTheCleanedText)
{
    QRandomGenerator random(20240105);  // fixed: a failure can be replayed
    dataSet.Append();
    dataSet.Post();
    for (int i = 0; i < 400; ++i) {
        const QString code = QStringLiteral("R%1").arg(i, 4, 10, QChar(u'0'));
        const QString name = randomText(random);
        const QString contact = randomText(random);
        const QString password = randomText(random);
        setRow(code, name, contact, password);

        const QString insert = BuildInsertSql(&dataSet, QStringLiteral("p_User"), QStringLiteral("UserCode"),
                                              QString(), true, QStringLiteral("'NeedReplacePkeyValue'"));
        expectRunsAsOneStatement(insert);
        EXPECT_EQ(storedRow(code), QVector<QVariant>({expectedStored(name), expectedStored(contact),
                                                      expectedStored(password)}))
            << insert.toStdString();

        // The same record changed again goes through an UPDATE keyed on the code.
        const QString newName = randomText(random);
        setRow(code, newName, contact, password);
        const QString update = BuildUpdateSql(&dataSet, QStringLiteral("p_User"), QStringLiteral("UserCode"),
                                              QStringLiteral("ContactType;PassWord"), true);
        expectRunsAsOneStatement(update);
        EXPECT_EQ(storedRow(code).value(0), expectedStored(newName)) << update.toStdString();
        if (HasFailure())
            break;
    }
}
