// The viewer of the trail of user changes on a large trail: the demo set with
// 100,000 users and a trail of N rows (1,000,000 by default), the viewer
// opened as the window opens it, then asked with each filter as a person
// types it. Only the newest page is ever read, so the figures should not
// grow with the trail.
//
//   bench_audit [trail rows]
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

#include "AuditLogDialog.h"
#include "BenchHost.h"
#include "DemoData.h"
#include "HostApplication.h"
#include "HostDispatch.h"
#include "SearchCodes.h"
#include "SqliteSession.h"
#include "UGlobalValue.h"
#include "UserAudit.h"

namespace {

struct Filter
{
    const char *name;
    const char *from, *to, *operatorCode, *user;
    int kind;  // the kind list's entry; 0 for all
};

} // namespace

int main(int argc, char **argv)
{
    startAsTheHost();
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    QTemporaryDir dir;
    const QString hr = dir.filePath(QStringLiteral("hr.db")), rcms = dir.filePath(QStringLiteral("rcms.db"));
    DemoData::Options options;
    options.areas = 100000;
    options.users = 100000;
    options.trailRows = rows;
    DemoData::create(hr, rcms, options);

    SqliteSession session(hr, rcms);
    data::ClientDataSet rights;
    HostApplication::logIn(session, DemoData::AdminCode, rights);
    HostDispatch dispatch;
    dispatch.setResponder([](const QString &, bool) { return 1; });
    session.HostDispatch = &dispatch;
    UGlobalValue::HostSessionRef = &session;
    UserAudit audit;
    const int kept = session.GetHrValue(QStringLiteral("Select Count(*) From TSys_UserAudit")).toInt();
    const QString someUser = session.GetHrValue(QStringLiteral("Select UserCode From p_User Order By UserCode Limit 1")).toString();
    const QString someName = session.GetHrValue(QStringLiteral("Select UserName From p_User Order By UserCode Limit 1")).toString();
    const QByteArray user = someUser.toUtf8(), name = someName.toUtf8();
    const QString lastDay = session.GetHrValue(QStringLiteral("Select Max(AuditTime) From TSys_UserAudit"))
                                .toDateTime().date().toString(Qt::ISODate);
    const QByteArray day = lastDay.toUtf8();

    const Filter filters[] = {
        {"kind 修改", "", "", "", "", 2},
        {"operator clerk", "", "", "clerk", "", 0},
        {"user code", "", "", "", user.constData(), 0},
        {"user name", "", "", "", name.constData(), 0},
        {"last day", day.constData(), day.constData(), "", "", 0},
        {"operator, kind and days", "2000-01-01", day.constData(), "admin", "", 4},
    };
    double worst = 0;
    for (const Filter &f : filters) {
        QElapsedTimer timer;
        timer.start();
        AuditLogDialog dialog(session, audit, true);
        dialog.show();
        QCoreApplication::processEvents();
        dialog.findChild<QLineEdit *>(QStringLiteral("EdtAuditFrom"))->setText(QString::fromUtf8(f.from));
        dialog.findChild<QLineEdit *>(QStringLiteral("EdtAuditTo"))->setText(QString::fromUtf8(f.to));
        dialog.findChild<QLineEdit *>(QStringLiteral("EdtAuditOperator"))->setText(QString::fromUtf8(f.operatorCode));
        dialog.findChild<QLineEdit *>(QStringLiteral("EdtAuditUser"))->setText(QString::fromUtf8(f.user));
        dialog.findChild<QComboBox *>(QStringLiteral("CmbAuditKind"))->setCurrentIndex(f.kind);
        dialog.findChild<QPushButton *>(QStringLiteral("BtnAuditQuery"))->click();
        QCoreApplication::processEvents();
        const double seconds = timer.nsecsElapsed() / 1e9;
        worst = std::max(worst, seconds);
        std::printf("  opened, then %-24s %.3f s\n", f.name, seconds);
    }
    std::printf("audit %d rows: %.3f s (target 1; the slowest filter, viewer opened and asked)\n", kept, worst);
    return 0;
}
