// Dictionary lists: binding drop-down editors to a dictionary of the RCMS
// database, the typed-text check on leaving, and the health-record cache.

#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

#include "ClientDataSet.h"
#include "DataSource.h"
#include "Field.h"
#include "LumoError.h"
#include "TcxDBComboBox.h"
#include "TcxDBLookupComboBox.h"
#include "TcxLookupComboBox.h"
#include "TcxTextEdit.h"
#include "TestHostObjects.h"
#include "UDictDataListBaseClass.h"
#include "UHRDictDataClass.h"

using data::FieldType;

namespace {

data::DataPacket items(const QStringList &names)
{
    QVector<QVector<QVariant>> rows;
    int id = 1;
    for (const QString &name : names)
        rows.append({QString::number(id++), name});
    return RecordingSession::packet({{QStringLiteral("ItemID"), FieldType::String, 10},
                                     {QStringLiteral("ItemName"), FieldType::String, 50}},
                                    rows);
}

QString itemSql(int code)
{
    return QStringLiteral("Select ItemID, ItemName From TDict_CodDatDet Where DatCodID  = %1 And IsStop = '2'")
        .arg(code);
}

// A window with a data-bound combo over field "Sex" and a second editor to
// move the focus to.
struct ComboWindow
{
    ComboWindow()
    {
        dataSet.SetData(RecordingSession::packet({{QStringLiteral("Sex"), FieldType::String, 10}},
                                                 {{QStringLiteral("男")}}));
        source.SetDataSet(&dataSet);
        auto *layout = new QVBoxLayout(&window);
        combo = new TcxDBComboBox(&window);
        combo->setObjectName(QStringLiteral("EdtSex"));
        combo->SetDataSource(&source);
        combo->SetDataField(QStringLiteral("Sex"));
        other = new TcxTextEdit(&window);
        layout->addWidget(combo);
        layout->addWidget(other);
    }

    void show()
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    // Types text into the combo and leaves it for the other editor.
    void typeAndLeave(const QString &text)
    {
        combo->SetFocus();
        QTRY_VERIFY(combo->hasFocus());
        QLineEdit *line = combo->lineEdit();
        QVERIFY(line);
        line->selectAll();
        QTest::keyClick(line, Qt::Key_Delete);
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, line, Qt::Key_unknown, QString(c), Qt::NoModifier);
        other->SetFocus();
        QTRY_VERIFY(other->hasFocus());
    }

    QString field() const { return dataSet.FieldByName(QStringLiteral("Sex"))->AsString(); }

    data::ClientDataSet dataSet;
    data::DataSource source;
    QWidget window;
    TcxDBComboBox *combo;
    TcxTextEdit *other;
};

} // namespace

class TstFormsDictLists : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_host = std::make_unique<TestHost>(); }
    void cleanup() { m_host.reset(); }

    void noDictionaryCodeGivesAnEmptyList();
    void comboBoxGetsTheItemsInOrder();
    void emptyDictionaryEmptiesTheComboBox();
    void lookupEditorsReadTheBinderList();
    void refusedEditorStillLoads();
    void nullEditorStillLoads();
    void leavingWithBlanksKeepsThem();
    void leavingWithAnItemInOtherCaseKeepsIt();
    void leavingWithAnUnknownTextClearsTheField();
    void handlerOutlivesTheBinder();
    void databaseFailureReachesTheCaller();
    void healthRecordDictionaryIsReadOnce();

private:
    TestHost &host() { return *m_host; }
    std::unique_ptr<TestHost> m_host;
};

void TstFormsDictLists::noDictionaryCodeGivesAnEmptyList()
{
    TDictDataListBaseClass binder;
    TcxDBComboBox combo;
    combo.SetItems({QStringLiteral("stale")});
    binder.BindEdit(99999, &combo);
    QCOMPARE(binder.DictCode(), QStringLiteral("99999"));
    QCOMPARE(binder.Sql(), QStringLiteral("Select ItemID, ItemName From TDict_CodDatDet Where 1=2 "));
    QCOMPARE(host().session.statements(QStringLiteral("OpenRcmsData")), QStringList{binder.Sql()});
    QVERIFY(combo.Items().isEmpty());
}

void TstFormsDictLists::comboBoxGetsTheItemsInOrder()
{
    TDictDataListBaseClass binder;
    TcxDBComboBox combo;
    combo.SetItems({QStringLiteral("stale")});
    bool oldHandlerRan = false;
    combo.OnExit = [&](QObject *) { oldHandlerRan = true; };
    host().session.when(itemSql(12), RecordingSession::Reply::ofPacket(items({"汉族", "回族", "满族"})));

    binder.BindEdit(12, &combo);

    QCOMPARE(binder.Sql(), itemSql(12));
    QCOMPARE(host().session.calls().size(), size_t(1));
    QCOMPARE(host().session.calls()[0].slot, QStringLiteral("OpenRcmsData"));
    QCOMPARE(combo.Items(), QStringList({"汉族", "回族", "满族"}));
    QVERIFY(binder.Edit() == &combo);
    // The binder's check replaced the editor's own exit handler.
    QVERIFY(combo.OnExit);
    combo.OnExit(&combo);
    QVERIFY(!oldHandlerRan);
    QVERIFY(host().dispatch.prompts().isEmpty());
}

void TstFormsDictLists::emptyDictionaryEmptiesTheComboBox()
{
    TDictDataListBaseClass binder;
    TcxDBComboBox combo;
    host().session.queuePacket(items({"a", "b"}));
    binder.BindEdit(1, &combo);
    QCOMPARE(combo.Items().size(), 2);
    host().session.queuePacket(items({}));
    binder.BindEdit(2, &combo);
    QVERIFY(combo.Items().isEmpty());
    QCOMPARE(host().session.statements(), QStringList({itemSql(1), itemSql(2)}));
}

void TstFormsDictLists::lookupEditorsReadTheBinderList()
{
    TDictDataListBaseClass binder;
    TcxDBLookupComboBox dbLookup;
    TcxLookupComboBox lookup;
    bool lookupExitRan = false;
    lookup.OnExit = [&](QObject *) { lookupExitRan = true; };
    dbLookup.SetDropDownListStyle(lsFixedList);
    host().session.queuePacket(items({"已婚"}));
    host().session.queuePacket(items({"未婚", "离异"}));

    binder.BindEdit(3, &dbLookup);
    QCOMPARE(dbLookup.ListSource(), binder.DataSource());
    QCOMPARE(dbLookup.ListFieldNames(), QStringLiteral("ItemName"));
    QCOMPARE(dbLookup.KeyFieldNames(), QStringLiteral("ItemName"));
    QVERIFY(!dbLookup.ShowHeader());
    QCOMPARE(dbLookup.DropDownListStyle(), lsEditList);
    QVERIFY(dbLookup.OnExit);

    binder.BindEdit(4, &lookup);
    QCOMPARE(lookup.ListSource(), binder.DataSource());
    QVERIFY(binder.Edit() == &lookup);
    // The plain lookup keeps its own exit handler.
    lookup.OnExit(&lookup);
    QVERIFY(lookupExitRan);
    // Both read the same list: the latest binding's.
    QCOMPARE(binder.DataSet()->RecordCount(), 2);
    QCOMPARE(dbLookup.ListSource()->DataSet()->RecordCount(), 2);
}

void TstFormsDictLists::refusedEditorStillLoads()
{
    TDictDataListBaseClass binder;
    TcxDBComboBox combo;
    binder.BindEdit(5, &combo);
    TcxTextEdit text;
    host().session.queuePacket(items({"x", "y"}));
    binder.BindEdit(6, &text);
    QCOMPARE(host().dispatch.prompts(),
             QStringList{QStringLiteral("绑定非法的Combox对象!请绑定Lookupcombox对象!")});
    QVERIFY(binder.Edit() == &combo);
    QCOMPARE(binder.Sql(), itemSql(6));
    QCOMPARE(host().session.statements().last(), itemSql(6));
    QVERIFY(!text.OnExit);
}

void TstFormsDictLists::nullEditorStillLoads()
{
    TDictDataListBaseClass binder;
    binder.BindEdit(-7, nullptr);
    QCOMPARE(host().session.statements(),
             QStringList{QStringLiteral("Select ItemID, ItemName From TDict_CodDatDet Where DatCodID  = -7 And IsStop = '2'")});
    QVERIFY(host().dispatch.prompts().isEmpty());
}

void TstFormsDictLists::leavingWithBlanksKeepsThem()
{
    ComboWindow w;
    TDictDataListBaseClass binder;
    host().session.queuePacket(items({"男", "女"}));
    binder.BindEdit(1, w.combo);
    w.show();
    w.typeAndLeave(QStringLiteral("  "));
    QCOMPARE(w.combo->Text(), QStringLiteral("  "));
}

void TstFormsDictLists::leavingWithAnItemInOtherCaseKeepsIt()
{
    ComboWindow w;
    TDictDataListBaseClass binder;
    host().session.queuePacket(items({"Male", "Female"}));
    binder.BindEdit(1, w.combo);
    w.show();
    w.typeAndLeave(QStringLiteral("mALE"));
    QCOMPARE(w.combo->Text(), QStringLiteral("mALE"));
    QCOMPARE(w.field(), QStringLiteral("mALE"));
}

void TstFormsDictLists::leavingWithAnUnknownTextClearsTheField()
{
    ComboWindow w;
    TDictDataListBaseClass binder;
    host().session.queuePacket(items({"男", "女"}));
    binder.BindEdit(1, w.combo);
    w.show();
    w.typeAndLeave(QStringLiteral("未知"));
    QCOMPARE(w.combo->Text(), QString());
    QCOMPARE(w.field(), QString());
    // Written at once: the record is not left in edit state with the old text.
    QVERIFY(w.dataSet.FieldByName(QStringLiteral("Sex"))->AsString().isEmpty());
}

void TstFormsDictLists::handlerOutlivesTheBinder()
{
    ComboWindow w;
    auto binder = std::make_unique<TDictDataListBaseClass>();
    host().session.queuePacket(items({"男"}));
    binder->BindEdit(1, w.combo);
    w.show();
    binder.reset();  // a dialog frees its binder before its editors
    w.typeAndLeave(QStringLiteral("未知"));
    QCOMPARE(w.combo->Text(), QStringLiteral("未知"));
}

void TstFormsDictLists::databaseFailureReachesTheCaller()
{
    TDictDataListBaseClass binder;
    host().session.failOnStatement(1);
    QVERIFY_THROWS_EXCEPTION(data::LumoError, binder.BindEdit(1, nullptr));
    host().session.failOnStatement(2);
    QVERIFY_THROWS_EXCEPTION(data::LumoError, THRDictDataClass());
}

void TstFormsDictLists::healthRecordDictionaryIsReadOnce()
{
    host().session.queuePacket(RecordingSession::packet(
        {{QStringLiteral("DatCodID"), FieldType::Integer, 0},
         {QStringLiteral("ItemID"), FieldType::String, 10},
         {QStringLiteral("ItemName"), FieldType::String, 50},
         {QStringLiteral("IsStop"), FieldType::String, 2}},
        {{qint64(1), QStringLiteral("1"), QStringLiteral("男"), QStringLiteral("2")},
         {qint64(1), QStringLiteral("2"), QStringLiteral("女"), QStringLiteral("1")}}));
    THRDictDataClass dict;
    QCOMPARE(host().session.calls().size(), size_t(1));
    QCOMPARE(host().session.calls()[0].slot, QStringLiteral("OpenHrData"));
    QCOMPARE(host().session.calls()[0].sql, QStringLiteral("Select * From TDict_CodDatDet"));
    QCOMPARE(dict.DictData()->RecordCount(), 2);
    QCOMPARE(dict.DictData()->FieldCount(), 4);
}

QTEST_MAIN(TstFormsDictLists)
#include "tst_forms_dictlists.moc"
