// The DB tree list: building the tree from key and parent fields, selection
// and the dataset cursor, update suspension.

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include "TcxDBTreeList.h"
#include "TcxDBTreeListModel.h"
#include "TcxTreeListColumn.h"
#include "toolkit_fixtures.h"

using namespace toolkittest;
using data::FieldType;

namespace {

QVector<data::FieldDef> areaFields()
{
    return {def("AreaCode"), def("StaAreaCode"), def("AreaName"), def("PAreaCode")};
}

// The start area 3301 (whose parent 33 is not loaded), two towns below it and
// a village below the second town, in an order that puts children first.
QVector<QVector<QVariant>> areaRows()
{
    return {
        {"R330101", "330101", "[330101] 城关镇", "3301"},
        {"330102", "330102", "[330102] 新华镇", "3301"},
        {"33010201", "33010201", "[33010201] 东村", "330102"},
        {"3301", "3301", "[3301] 某县", "33"},
    };
}

struct AreaTree
{
    BoundData areas{areaFields(), areaRows()};
    QWidget window;
    TcxDBTreeList *tree = new TcxDBTreeList(&window);
    TcxTreeListColumn *column = nullptr;
    QStringList selections;

    AreaTree()
    {
        tree->setObjectName("TreLstArea");
        tree->OnSelectionChanged = [this](QObject *sender) {
            QCOMPARE(sender, tree);
            selections << tree->FocusedNodeText();
        };
        tree->SetKeyField("StaAreaCode");
        tree->SetParentField("PAreaCode");
        tree->SetRootValue(-1);
        column = tree->CreateColumn("ColAreaName");
        column->SetCaption("行政区划");
        column->SetFieldName("AreaName");
        column->SetMinWidth(180);
        column->SetWidth(180);
        column->SetHeaderAlignment(Qt::AlignHCenter);
        tree->SetDataSource(&areas.source);
        window.resize(300, 400);
    }

    QString text(const QModelIndex &index) const { return index.data().toString(); }
};

} // namespace

class TestToolkitTreeList : public QObject
{
    Q_OBJECT

private slots:
    void rowsHangBelowTheirParents();
    void rootValueAndOrphansMakeTopLevelNodes();
    void cyclesAndSelfParentsStayVisible();
    void modelPassesTheTester();
    void selectionFollowsTheDatasetBothWays();
    void beginUpdateDefersRebuilding();
    void expandsTopNodes();
    void columnsAndReadOnlyLook();
};

void TestToolkitTreeList::rowsHangBelowTheirParents()
{
    AreaTree t;
    TcxDBTreeListModel *model = t.tree->treeModel();
    QCOMPARE(t.tree->TopNodeCount(), 1);
    const QModelIndex county = model->index(0, 0);
    QCOMPARE(t.text(county), QString("[3301] 某县"));
    QCOMPARE(model->rowCount(county), 2);
    QCOMPARE(t.text(model->index(0, 0, county)), QString("[330101] 城关镇"));
    const QModelIndex town = model->index(1, 0, county);
    QCOMPARE(t.text(town), QString("[330102] 新华镇"));
    QCOMPARE(model->rowCount(town), 1);
    QCOMPARE(t.text(model->index(0, 0, town)), QString("[33010201] 东村"));
    QCOMPARE(model->parent(model->index(0, 0, town)), town);
    QCOMPARE(model->rowOf(town), 1);
    QCOMPARE(model->indexOfRow(1), town);
}

void TestToolkitTreeList::rootValueAndOrphansMakeTopLevelNodes()
{
    AreaTree t;
    // Integer keys: the root value -1 marks top-level rows as well.
    t.areas.load({def("Id", FieldType::Integer), def("Parent", FieldType::Integer), def("AreaName")},
                 {{qint64(1), qint64(-1), "甲"}, {qint64(2), qint64(1), "乙"}, {qint64(3), qint64(99), "丙"},
                  {qint64(4), QVariant(), "丁"}, {qint64(-1), qint64(-1), "戊"}});
    t.tree->SetKeyField("Id");
    t.tree->SetParentField("Parent");
    TcxDBTreeListModel *model = t.tree->treeModel();
    QStringList top;
    for (int i = 0; i < model->rowCount(); ++i)
        top << t.text(model->index(i, 0));
    // A row whose parent equals the root value is top level even when a row
    // carries that value as its key.
    QCOMPARE(top, (QStringList{"甲", "丙", "丁", "戊"}));
    QCOMPARE(model->rowCount(model->index(0, 0)), 1);

    // Without a usable key or parent field the rows form a flat list.
    t.tree->SetParentField("NoSuchField");
    QCOMPARE(t.tree->TopNodeCount(), 5);
}

void TestToolkitTreeList::cyclesAndSelfParentsStayVisible()
{
    AreaTree t;
    t.areas.load(areaFields(), {{"a", "A", "[A]", "B"},
                                {"b", "B", "[B]", "C"},
                                {"c", "C", "[C]", "A"},
                                {"d", "D", "[D]", "D"},
                                {"e", "E", "[E]", "C"}});
    TcxDBTreeListModel *model = t.tree->treeModel();
    // Every row appears exactly once.
    int seen = 0;
    std::function<void(const QModelIndex &)> walk = [&](const QModelIndex &parent) {
        for (int i = 0; i < model->rowCount(parent); ++i) {
            ++seen;
            walk(model->index(i, 0, parent));
        }
    };
    walk(QModelIndex());
    QCOMPARE(seen, 5);
    QCOMPARE(t.tree->TopNodeCount(), 2);  // the cycle's first row and the self-parented one
    QCOMPARE(t.text(model->index(0, 0)), QString("[A]"));
    QCOMPARE(t.text(model->index(1, 0)), QString("[D]"));
}

void TestToolkitTreeList::modelPassesTheTester()
{
    AreaTree t;
    QAbstractItemModelTester tester(t.tree->treeModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    t.tree->FullExpand();
    t.areas.dataSet.Append();
    t.areas.dataSet.FieldByName("StaAreaCode")->SetAsString("33010202");
    t.areas.dataSet.FieldByName("PAreaCode")->SetAsString("330102");
    t.areas.dataSet.Post();
    QCOMPARE(t.tree->treeModel()->rowCount(t.tree->treeModel()->indexOfRow(1)), 2);
    t.areas.dataSet.SetFilter("PAreaCode = '3301'");
    t.areas.dataSet.SetFiltered(true);
    QCOMPARE(t.tree->TopNodeCount(), 2);
    t.areas.dataSet.Close();
    QCOMPARE(t.tree->TopNodeCount(), 0);
}

void TestToolkitTreeList::selectionFollowsTheDatasetBothWays()
{
    AreaTree t;
    // Loading selected the node of the dataset's current (first) row.
    QCOMPARE(t.tree->FocusedRecordIndex(), 0);
    QCOMPARE(t.selections, QStringList{"[330101] 城关镇"});

    t.areas.dataSet.SetRecNo(3);
    QCOMPARE(t.tree->FocusedRecordIndex(), 2);
    QCOMPARE(t.selections.last(), QString("[33010201] 东村"));
    QVERIFY(t.tree->treeView()->isExpanded(t.tree->treeModel()->indexOfRow(1)));  // brought into view

    QVERIFY(showActive(t.window));
    QTreeView *view = t.tree->treeView();
    const QRect county = view->visualRect(t.tree->treeModel()->indexOfRow(3));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, county.center());
    QCOMPARE(t.areas.dataSet.RecNo(), 4);
    QCOMPARE(t.areas.dataSet.FieldByName("StaAreaCode")->AsString(), QString("3301"));
    QCOMPARE(t.selections.last(), QString("[3301] 某县"));
    const int events = t.selections.size();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, county.center());
    QCOMPARE(t.selections.size(), events);  // the same node again: no change

    t.tree->SetFocusedRecordIndex(1);
    QCOMPARE(t.areas.dataSet.RecNo(), 2);
    QCOMPARE(t.selections.last(), QString("[330102] 新华镇"));

    // Emptying the dataset is a change of selection too.
    t.areas.load(areaFields(), {});
    QCOMPARE(t.tree->FocusedRecordIndex(), -1);
    QCOMPARE(t.selections.last(), QString());
}

void TestToolkitTreeList::beginUpdateDefersRebuilding()
{
    AreaTree t;
    t.selections.clear();
    QSignalSpy resets(t.tree->treeModel(), &QAbstractItemModel::modelReset);
    t.tree->BeginUpdate();
    t.areas.load(areaFields(), {{"1", "1", "[1] 甲", "0"}});
    t.areas.load(areaFields(), {{"2", "2", "[2] 乙", "0"}, {"3", "3", "[3] 丙", "2"}});
    QCOMPARE(resets.count(), 0);
    QVERIFY(t.selections.isEmpty());
    t.tree->EndUpdate();
    QCOMPARE(resets.count(), 1);
    QCOMPARE(t.tree->TopNodeCount(), 1);
    QCOMPARE(t.selections, QStringList{"[2] 乙"});
}

void TestToolkitTreeList::expandsTopNodes()
{
    AreaTree t;
    QTreeView *view = t.tree->treeView();
    const QModelIndex county = t.tree->treeModel()->index(0, 0);
    view->collapseAll();
    t.tree->ExpandTopNode(0);
    QVERIFY(view->isExpanded(county));
    QVERIFY(!view->isExpanded(t.tree->treeModel()->indexOfRow(1)));
    t.tree->ExpandTopNode(5);  // no such node: nothing happens
    t.tree->FullExpand();
    QVERIFY(view->isExpanded(t.tree->treeModel()->indexOfRow(1)));
    t.tree->FullCollapse();
    QVERIFY(!view->isExpanded(county));
}

void TestToolkitTreeList::columnsAndReadOnlyLook()
{
    AreaTree t;
    QCOMPARE(t.window.findChild<TcxTreeListColumn *>("ColAreaName"), t.column);
    QCOMPARE(t.column->TreeList(), t.tree);
    QTreeView *view = t.tree->treeView();
    QCOMPARE(view->header()->sectionSize(0), 180);
    view->header()->resizeSection(0, 50);
    QCOMPARE(view->header()->sectionSize(0), 180);  // held at its minimum
    QCOMPARE(t.tree->treeModel()->headerData(0, Qt::Horizontal).toString(), QString("行政区划"));
    QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(view->selectionBehavior(), QAbstractItemView::SelectRows);
    QVERIFY(!(t.tree->treeModel()->flags(t.tree->treeModel()->index(0, 0)) & Qt::ItemIsEditable));
}

QTEST_MAIN(TestToolkitTreeList)
#include "tst_toolkit_treelist.moc"
