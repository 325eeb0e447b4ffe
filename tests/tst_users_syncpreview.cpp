// The synchronisation preview on the real SQLite session: it foretells exactly
// what the synchronisation then does, writes nothing, and can start the run.
#include <QtTest>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include <map>
#include <memory>

#include "ClientDataSet.h"
#include "FormFactory.h"
#include "SyncPreview.h"
#include "SyncPreviewDialog.h"
#include "TdxBarManager.h"
#include "UUserInfoMagFrm.h"
#include "UserDatabases.h"

namespace {

using Window = std::unique_ptr<TUserInfoMagForm, void (*)(QWidget *)>;
using Users = std::map<QString, QStringList>;

// The health-record users: code -> the compared texts in the preview's column order.
Users hrUsers(HostSession &session)
{
    const data::DataPacket packet = session.OpenHrData(QStringLiteral(
        "Select UserCode, UserName, Spell, FiveStrokes, OrgCode, Grade, PassWord, ContactType From p_User"));
    Users users;
    for (const auto &row : packet.rows) {
        QStringList texts;
        for (int i = 1; i < row.size(); ++i)
            texts << row.at(i).toString();
        users[row.at(0).toString()] = texts;
    }
    return users;
}

// Every kind of difference: new users, identical ones, each column changed on
// its own, several at once, a change of letter case only, NULL against an
// empty text (the same to both), and health-record users RCMS lacks.
void generateDifferences(UserDatabases &db)
{
    const char *const columns[] = {"UserName", "Spell", "FiveStrokes", "OrgCode", "Grade", "PassWord", "ContactType"};
    QStringList hrRows, rcmsRows;
    for (int i = 0; i < 40; ++i) {
        const QString code = QStringLiteral("g%1").arg(i, 3, 10, QLatin1Char('0'));
        QStringList base{QStringLiteral("名%1").arg(i), QStringLiteral("mz"), QStringLiteral("qt"),
                         QStringLiteral("A1"), QStringLiteral("3"), QStringLiteral("pw%1").arg(i),
                         QStringLiteral("138")};
        QStringList source = base;
        const int kind = i % 10;
        if (kind < 7)
            source[kind] += QStringLiteral("x");
        else if (kind == 7)
            source[0] += QStringLiteral("y"), source[5] += QStringLiteral("y"), source[3] = QStringLiteral("A2");
        else if (kind == 8)
            source[1] = source[1].toUpper();
        auto values = [&](const QStringList &t) {
            QStringList quoted{QLatin1Char('\'') + code + QLatin1Char('\'')};
            for (const QString &v : t)
                quoted << QLatin1Char('\'') + v + QLatin1Char('\'');
            return QLatin1Char('(') + quoted.join(QLatin1Char(',')) + QLatin1Char(')');
        };
        if (i % 13 != 5)  // some users only RCMS has
            hrRows << values(base);
        rcmsRows << values(source);
    }
    const QString insert = QStringLiteral("Insert Into p_User (UserCode, %1) Values ").arg(
        QStringList{columns[0], columns[1], columns[2], columns[3], columns[4], columns[5], columns[6]}.join(QLatin1Char(',')));
    db.hr(insert + hrRows.join(QLatin1Char(',')));
    db.rcms(insert + rcmsRows.join(QLatin1Char(',')));
    // The fixture's own users: one identical in RCMS, one NULL contact against ''.
    db.rcms(QStringLiteral("Insert Into p_User (UserCode, UserName, Spell, FiveStrokes, OrgCode, Grade, ContactType, "
                           "PassWord) Values ('51010100100001', '张三', 'ZS', 'XD', 'A1', '3', '13800000001', 'p1'),"
                           " ('51010100100003', '王五', 'WW', 'GG', 'A1', '3', Null, 'p3')"));
}

QByteArray bytesOf(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class UsersSyncPreview : public QObject
{
    Q_OBJECT

private slots:
    void foretellsExactlyWhatTheSynchronisationDoes();
    void dialogFiltersByKindAndStartsTheSynchronisation();
};

void UsersSyncPreview::foretellsExactlyWhatTheSynchronisationDoes()
{
    UserDatabases db;
    generateDifferences(db);
    const QByteArray hrBefore = bytesOf(db.hrFile());
    const QByteArray rcmsBefore = bytesOf(db.rcmsFile());
    const Users before = hrUsers(db.session());

    const SyncPreview preview = SyncPreview::read(db.session());
    QVERIFY2(bytesOf(db.hrFile()) == hrBefore && bytesOf(db.rcmsFile()) == rcmsBefore, "the preview wrote");

    Window w(CreateForm<TUserInfoMagForm>(), DestroyForm);
    w->show();
    w->BtnSyhClick(w->BtnSyh);
    QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("同步农合用户信息数据成功")});
    const Users after = hrUsers(db.session());

    // What the run did, worked out from the table before and after.
    QStringList done, foretold;
    int changedUsers = 0, sameUsers = 0;
    for (const auto &[code, texts] : after) {
        const auto was = before.find(code);
        if (was == before.end()) {
            done << QStringLiteral("新增 ") + code;
            continue;
        }
        bool differs = false;
        for (int c = 0; c < SyncPreview::ColumnCount; ++c)
            if (was->second.at(c) != texts.at(c)) {
                differs = true;
                done << QStringLiteral("%1 %2 %3 -> %4")
                            .arg(code, SyncPreview::columnCaption(SyncPreview::Column(c)),
                                 c == SyncPreview::Password ? QString() : was->second.at(c),
                                 c == SyncPreview::Password ? QString() : texts.at(c));
            }
        changedUsers += differs;
    }
    for (const SyncPreview::Change &c : preview.changes)
        foretold << (c.added ? QStringLiteral("新增 ") + c.userCode
                             : QStringLiteral("%1 %2 %3 -> %4")
                                   .arg(c.userCode, SyncPreview::columnCaption(c.column), c.oldValue, c.newValue));
    done.sort();
    foretold.sort();
    QCOMPARE(foretold, done);
    QCOMPARE(preview.added, int(after.size() - before.size()));
    QCOMPARE(preview.changed, changedUsers);
    sameUsers = 40 - preview.added - preview.changed + 2;  // the generated users and the fixture's two
    QCOMPARE(preview.same, sameUsers);
    QCOMPARE(preview.withoutSource, 3);  // admin, 51010100100002, 51010200000001
    QCOMPARE(preview.changedPerColumn[SyncPreview::Password], 3 + 4);  // alone (g005 is new), and with name and unit
    QVERIFY(preview.added > 0 && preview.changed > 0 && preview.same > 0);
}

void UsersSyncPreview::dialogFiltersByKindAndStartsTheSynchronisation()
{
    UserDatabases db;
    generateDifferences(db);
    Window w(CreateForm<TUserInfoMagForm>(), DestroyForm);
    w->show();
    QVERIFY(w->BtnPreview->Enabled());

    QStringList shownKinds;
    QString passwordShown;
    int addedRows = -1;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = w->findChild<SyncPreviewDialog *>();
        QVERIFY(dialog);
        auto *table = dialog->findChild<QTableView *>(QStringLiteral("TblPreviewChanges"));
        auto *filter = dialog->findChild<QComboBox *>(QStringLiteral("CmbPreviewFilter"));
        filter->setFocus();
        // Down once: new users only.
        QTest::keyClick(filter, Qt::Key_Down);
        addedRows = table->model()->rowCount();
        for (int r = 0; r < table->model()->rowCount(); ++r)
            shownKinds << table->model()->index(r, 2).data().toString();
        shownKinds.removeDuplicates();
        filter->setCurrentIndex(SyncPreviewDialog::FirstColumn + SyncPreview::Password);
        passwordShown = table->model()->index(0, 5).data().toString() + QLatin1Char('|')
            + table->model()->index(0, 4).data().toString();
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("BtnPreviewSync")), Qt::LeftButton);
    });
    QTest::mouseClick(w->dxbrTool->widgetForAction(w->BtnPreview->action()), Qt::LeftButton);
    QTRY_COMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("同步农合用户信息数据成功")});
    QCOMPARE(shownKinds, QStringList{QStringLiteral("新增")});
    QCOMPARE(addedRows, 3);
    QCOMPARE(passwordShown, QStringLiteral("已更改|"));
    QCOMPARE(db.hrValue(QStringLiteral("Select Count(*) From p_User Where UserCode = 'g005'")).toInt(), 1);
}

QTEST_MAIN(UsersSyncPreview)
#include "tst_users_syncpreview.moc"
