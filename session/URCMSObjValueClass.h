#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <memory>

#include "ClientDataSet.h"
#include "DataPacket.h"

// The session object the host hands to CreateModule. All database work, messages
// and host services of the module go through it. Its operations keep the host's
// slot numbers: the unnamed slots are reserved so that a slot keeps its meaning.
//
// Failures raise data::LumoError carrying the database's message and the statement.
// Datasets are returned owned by the caller.
class HostSession
{
public:
    virtual ~HostSession() = default;

    // RCMS database: slots 1-9 and 12.
    virtual data::DataPacket OpenRcmsData(const QString &sql) = 0;                        // 1
    virtual std::unique_ptr<data::ClientDataSet> OpenRcmsQuery(const QString &sql) = 0;   // 2
    virtual QVariant GetRcmsValue(const QString &sql) = 0;                                // 3: first column of first row; no row gives an empty text
    virtual bool ExecRcmsSql(const QString &sql) = 0;                                     // 4
    virtual void Reserved5() {}                                                           // 5
    virtual void Reserved6() {}                                                           // 6
    virtual void BeginRcmsTrans() = 0;                                                    // 7
    virtual void CommitRcmsTrans() = 0;                                                   // 8
    virtual void RollbackRcmsTrans() = 0;                                                 // 9
    virtual void Reserved10() {}                                                          // 10
    virtual void Reserved11() {}                                                          // 11
    virtual std::unique_ptr<data::ClientDataSet> OpenRcmsDataSet(const QString &sql) = 0; // 12
    virtual void Reserved13() {}
    virtual void Reserved14() {}
    virtual void Reserved15() {}
    virtual void Reserved16() {}
    virtual void Reserved17() {}
    virtual void Reserved18() {}
    virtual void Reserved19() {}
    virtual void Reserved20() {}

    // Health-record database: slots 21-29.
    virtual data::DataPacket OpenHrData(const QString &sql) = 0;                          // 21
    virtual std::unique_ptr<data::ClientDataSet> OpenHrQuery(const QString &sql) = 0;     // 22
    virtual QVariant GetHrValue(const QString &sql) = 0;                                  // 23
    virtual bool ExecHrSql(const QString &sql) = 0;                                       // 24
    virtual void Reserved25() {}                                                          // 25
    virtual void Reserved26() {}                                                          // 26
    virtual void BeginHrTrans() = 0;                                                      // 27
    virtual void CommitHrTrans() = 0;                                                     // 28
    virtual void RollbackHrTrans() = 0;                                                   // 29
    virtual void Reserved30() {}                                                          // 30

    // Slot 31: every occurrence of placeholder in source replaced by value.
    virtual QString ReplacePlaceholder(const QString &source, const QString &value,
                                       const QString &placeholder) = 0;

    // Fields.
    QString AppPath;       // directory of the host's ini files, no trailing separator
    QString UserCode;      // logged-in user
    QString OrgCode;       // logged-in user's unit
    QString RcmsAreaCode;  // the unit's area in RCMS numbering
    data::ClientDataSet *RightsData = nullptr;  // columns ModFunTyp, ModFunID; not owned
    QList<QIcon> Images;   // the host's tool-bar images: add, edit, delete, synchronise
    // Automation objects, called late-bound by member name (see HostCall.h):
    // HostDispatch: Prompt(QString), Confirm(QString) -> int, MimeDecode(QString) -> QString,
    //   GetPYM(QString) -> QString, GetWBM(QString) -> QString, GetSRM() -> QVariant,
    //   conMain() -> QVariant.
    // CodePicker: Init(), properties Table, Where, OrderBy, FieldList, Spell, Wbx, Code,
    //   SearchTime, CodeType, conType; SetPosition(int,int,int), Show(),
    //   GetCodeValue(QString) -> QString.
    QPointer<QObject> HostDispatch;
    QPointer<QObject> CodePicker;

    // How the health-record database's key compares user codes, for the
    // synchronisation to pair users the same way: the SQLite files (NOCASE)
    // and SQL Server's default collation ignore letter case, and SQL Server
    // also ignores trailing blanks. The host sets them for its connection.
    bool HrCodesIgnoreCase = true;
    bool HrCodesIgnoreTrailingBlanks = false;

    // Whether an RCMS query may run on another thread while a health-record
    // one runs on the caller's (the two databases have connections of their
    // own and share nothing): the synchronisation then reads both user tables
    // at once. A session that cannot promise it leaves it false.
    bool RcmsReadsBesideHr = false;

    // Whether ExecHrSql may be called on another thread, one call at a time,
    // while the caller's thread makes no call to the session: the
    // synchronisation then runs its statements there while it works out the
    // next users. A session whose calls must stay on the caller's thread (one
    // whose hooks show windows, say) leaves it false.
    bool HrWritesAside = false;
};
