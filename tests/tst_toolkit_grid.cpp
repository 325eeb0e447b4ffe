// The grid table view over a dataset: model, cursor, lookup columns, footer,
// indicator, update suspension.

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QPainter>
#include <QStandardItemModel>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include "Field.h"
#include "TcxGrid.h"
#include "TcxGridDBBandedColumn.h"
#include "TcxGridDBColumn.h"
#include "TcxGridDBTableView.h"
#include "TcxGridDataModel.h"
#include "TableColumnFit.h"
#include "TcxStyle.h"
#include "toolkit_fixtures.h"

using namespace toolkittest;

namespace {

QVector<QVector<QVariant>> userRows()
{
    return {{"0101", "张三", "A1"}, {"0102", "李四", "B2"}, {"0103", "王五", "ZZ"}, {"0104", "赵六", QVariant()}};
}

// The user window's grid in small: code, name and a lookup of the unit name.
struct UserGrid
{
    BoundData users{{def("UserCode"), def("UserName"), def("OrgCode")}, userRows()};
    BoundData orgs{{def("OrgCode"), def("OrgName")}, {{"A1", "城关卫生院"}, {"B2", "新华社区"}}};
    TcxGrid grid;
    TcxGridDBTableView *view = grid.CreateView("grdvwGrdVwData");
    TcxGridDBColumn *code = view->CreateColumn("colUserCode");
    TcxGridDBColumn *name = view->CreateColumn("colUserName");
    TcxGridDBColumn *orgName = view->CreateColumn("colOrgName");

    UserGrid()
    {
        code->SetCaption("用户代码");
        code->SetFieldName("UserCode");
        code->SetMinWidth(100);
        code->SetWidth(100);
        code->SetHeaderAlignment(Qt::AlignHCenter);
        name->SetCaption("姓   名");
        name->SetFieldName("UserName");
        orgName->SetCaption("所属部门名称");
        orgName->SetFieldName("OrgCode");
        orgName->SetListSource(&orgs.source);
        orgName->SetKeyFieldNames("OrgCode");
        orgName->SetListFieldNames("OrgName");
        view->SetDataSource(&users.source);
        grid.resize(600, 300);
    }
};

} // namespace

class TestToolkitGrid : public QObject
{
    Q_OBJECT

private slots:
    void showsColumnsAndCells();
    void modelStaysConsistentThroughDatasetChanges();
    void lookupColumnShowsListText();
    void currentRowFollowsTheDatasetBothWays();
    void footerCountsRecords();
    void rowsTakeEvenAndOddStyles();
    void indicatorHookDrawsDataRows();
    void updatesAreSuspendedUntilEndUpdate();
    void columnsAreFoundAndFocusedByName();
    void doubleClickRaisesOnDblClick();
    void viewsAreReadOnlyWholeRowViews();
    void bestFitShowsEveryTextWholeInTheCurrentFont();
    void plainTablesKeepTheirTextsWholeAndFillTheWidth();
};

void TestToolkitGrid::showsColumnsAndCells()
{
    UserGrid g;
    QCOMPARE(g.view->Control(), &g.grid);
    QCOMPARE(g.view->ColumnCount(), 3);
    QCOMPARE(g.view->RecordCount(), 4);
    QCOMPARE(g.view->DisplayText(1, g.name), QString("李四"));
    QAbstractItemModel *model = g.view->tableView()->model();
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString("用户代码"));
    QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
             Qt::AlignHCenter);
    QCOMPARE(g.view->tableView()->horizontalHeader()->sectionSize(0), 100);

    // A column below its minimum width is held at the minimum.
    g.view->tableView()->horizontalHeader()->resizeSection(0, 40);
    QCOMPARE(g.view->tableView()->horizontalHeader()->sectionSize(0), 100);

    g.name->SetVisible(false);
    QCOMPARE(model->columnCount(), 2);
    QCOMPARE(g.view->DisplayText(1, g.name), QString());
    g.name->SetVisible(true);

    // A column whose field the dataset lacks shows empty cells.
    auto *missing = g.view->CreateColumn("colMissing");
    missing->SetFieldName("NoSuchField");
    QCOMPARE(g.view->DisplayText(0, missing), QString());
    delete missing;
    QCOMPARE(g.view->ColumnCount(), 3);
}

void TestToolkitGrid::modelStaysConsistentThroughDatasetChanges()
{
    UserGrid g;
    QAbstractItemModelTester tester(g.view->tableView()->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    g.users.dataSet.Append();
    g.users.dataSet.FieldByName("UserCode")->SetAsString("0105");
    g.users.dataSet.Post();
    QCOMPARE(g.view->RecordCount(), 5);
    QCOMPARE(g.view->DisplayText(4, g.code), QString("0105"));

    g.users.dataSet.SetFilter("UserCode = '0102'");
    g.users.dataSet.SetFiltered(true);
    QCOMPARE(g.view->RecordCount(), 1);
    QCOMPARE(g.view->DisplayText(0, g.name), QString("李四"));
    g.users.dataSet.SetFiltered(false);

    g.users.dataSet.First();
    g.users.dataSet.Delete();
    QCOMPARE(g.view->RecordCount(), 4);
    g.users.dataSet.Close();
    QCOMPARE(g.view->RecordCount(), 0);
    g.users.load({def("UserCode")}, {{"9"}});
    QCOMPARE(g.view->DisplayText(0, g.code), QString("9"));

    data::DataSource other;
    g.view->SetDataSource(&other);
    QCOMPARE(g.view->RecordCount(), 0);
}

void TestToolkitGrid::lookupColumnShowsListText()
{
    UserGrid g;
    QVERIFY(g.orgName->IsLookup());
    QCOMPARE(g.view->DisplayText(0, g.orgName), QString("城关卫生院"));
    QCOMPARE(g.view->DisplayText(1, g.orgName), QString("新华社区"));
    QCOMPARE(g.view->DisplayText(2, g.orgName), QString());  // no such unit
    QCOMPARE(g.view->DisplayText(3, g.orgName), QString());  // null key

    // A reloaded list is used at once.
    g.orgs.load({def("OrgCode"), def("OrgName")}, {{"ZZ", "新设单位"}});
    QCOMPARE(g.view->DisplayText(0, g.orgName), QString());
    QCOMPARE(g.view->DisplayText(2, g.orgName), QString("新设单位"));

    // So is a list source pointed at another dataset.
    data::ClientDataSet other;
    other.SetData(data::DataPacket{{def("OrgCode"), def("OrgName")}, {{"A1", "另一个"}}});
    g.orgs.source.SetDataSet(&other);
    QCOMPARE(g.view->DisplayText(0, g.orgName), QString("另一个"));
}

void TestToolkitGrid::currentRowFollowsTheDatasetBothWays()
{
    UserGrid g;
    QTableView *table = g.view->tableView();
    QCOMPARE(g.view->FocusedRecordIndex(), 0);

    g.users.dataSet.Last();
    QCOMPARE(g.view->FocusedRecordIndex(), 3);
    QVERIFY(table->selectionModel()->isRowSelected(3, QModelIndex()));

    QVERIFY(showActive(g.grid));
    const QRect cell = table->visualRect(table->model()->index(1, 1));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QCOMPARE(g.users.dataSet.RecNo(), 2);
    QCOMPARE(g.users.dataSet.FieldByName("UserName")->AsString(), QString("李四"));

    QTest::keyClick(table, Qt::Key_Down);
    QCOMPARE(g.users.dataSet.RecNo(), 3);

    g.view->SetFocusedRecordIndex(0);
    QCOMPARE(g.users.dataSet.RecNo(), 1);
}

void TestToolkitGrid::footerCountsRecords()
{
    UserGrid g;
    g.view->SetFooter(true);
    g.code->SetFooterSummary(skCount, "记录数: 0");
    QCOMPARE(g.view->FooterText(g.code), QString("记录数: 4"));
    QCOMPARE(g.view->FooterText(g.name), QString());
    g.users.dataSet.Close();
    QCOMPARE(g.view->FooterText(g.code), QString("记录数: 0"));
    QVector<QVector<QVariant>> many;
    for (int i = 0; i < 1234; ++i)
        many.append({QString::number(i), "x", "A1"});
    g.users.load({def("UserCode"), def("UserName"), def("OrgCode")}, many);
    QCOMPARE(g.view->FooterText(g.code), QString("记录数: 1234"));
    QVERIFY(!g.view->grab().isNull());  // paints without trouble
}

void TestToolkitGrid::rowsTakeEvenAndOddStyles()
{
    UserGrid g;
    TcxStyle even, odd;
    even.SetColor(QColor(212, 238, 251));
    odd.SetColor(QColor(240, 251, 255));
    g.view->SetContentEven(&even);
    g.view->SetContentOdd(&odd);
    QAbstractItemModel *model = g.view->tableView()->model();
    QCOMPARE(model->index(0, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(212, 238, 251));
    QCOMPARE(model->index(1, 2).data(Qt::BackgroundRole).value<QColor>(), QColor(240, 251, 255));
    QCOMPARE(model->index(2, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(212, 238, 251));
}

void TestToolkitGrid::indicatorHookDrawsDataRows()
{
    UserGrid g;
    g.view->SetIndicator(true);
    g.view->SetIndicatorWidth(25);
    g.users.dataSet.SetRecNo(2);
    QList<TcxIndicatorCellInfo> cells;
    bool declineRow3 = true;
    g.view->OnCustomDrawIndicatorCell = [&](TcxGridDBTableView *view, QPainter *painter,
                                            const TcxIndicatorCellInfo &info, bool &done) {
        QCOMPARE(view, g.view);
        cells << info;
        if (declineRow3 && info.RecordIndex == 2)
            return;  // the grid draws this one itself
        TcxGridDBTableView::DrawHeaderCell(painter, info.Bounds, QString::number(info.RecordIndex + 1),
                                           info.Focused, info.Font, Qt::red, Qt::red);
        done = true;
    };
    const QImage image = g.grid.grab().toImage();
    QVERIFY(!cells.isEmpty());
    QCOMPARE(g.view->tableView()->verticalHeader()->width(), 25);

    QList<int> rows;
    for (const TcxIndicatorCellInfo &info : cells) {
        rows << info.RecordIndex;
        QVERIFY(info.IsDataRow);
        QCOMPARE(info.Focused, info.RecordIndex == 1);
        QCOMPARE(info.Selected, info.RecordIndex == 1);
        QVERIFY(info.Bounds.isValid());
    }
    for (int row = 0; row < 4; ++row)
        QVERIFY(rows.contains(row));

    // The hook's drawing reaches the screen: row 1's cell is red.
    QHeaderView *indicator = g.view->tableView()->verticalHeader();
    const QPoint inCell = indicator->mapTo(&g.grid, QPoint(3, indicator->sectionViewportPosition(0) + 3));
    QCOMPARE(image.pixelColor(inCell * image.devicePixelRatio()), QColor(Qt::red));
}

void TestToolkitGrid::updatesAreSuspendedUntilEndUpdate()
{
    UserGrid g;
    QSignalSpy resets(g.view->tableView()->model(), &QAbstractItemModel::modelReset);
    g.view->BeginUpdate();
    g.view->BeginUpdate();
    g.users.load({def("UserCode"), def("UserName"), def("OrgCode")}, {{"1", "a", ""}});
    g.users.load({def("UserCode"), def("UserName"), def("OrgCode")}, {{"1", "a", ""}, {"2", "b", ""}});
    QCOMPARE(resets.count(), 0);
    QCOMPARE(g.view->RecordCount(), 4);  // still the old rows
    g.view->EndUpdate();
    QCOMPARE(resets.count(), 0);
    g.view->EndUpdate();
    QCOMPARE(resets.count(), 1);
    QCOMPARE(g.view->RecordCount(), 2);
    g.view->EndUpdate();  // unbalanced: ignored
    QVERIFY(!g.view->IsUpdating());
}

void TestToolkitGrid::columnsAreFoundAndFocusedByName()
{
    UserGrid g;
    auto *banded = g.view->CreateColumnOf<TcxGridDBBandedColumn>("colBanded");
    QCOMPARE(g.grid.findChild<TcxGridDBColumn *>("colUserName"), g.name);
    QCOMPARE(g.grid.findChild<TcxGridDBTableView *>("grdvwGrdVwData"), g.view);
    QVERIFY(dynamic_cast<TcxGridDBColumn *>(banded));
    QCOMPARE(banded->GridView(), g.view);
    QCOMPARE(banded->Index(), 3);

    g.users.dataSet.SetRecNo(3);
    g.name->Focus();
    QVERIFY(g.name->Focused());
    QCOMPARE(g.view->FocusedColumn(), g.name);
    QCOMPARE(g.view->tableView()->currentIndex().column(), 1);
    QCOMPARE(g.view->FocusedRecordIndex(), 2);
    g.name->SetFocused(false);
    QCOMPARE(g.view->FocusedColumn(), nullptr);
}

void TestToolkitGrid::doubleClickRaisesOnDblClick()
{
    UserGrid g;
    int clicks = 0;
    g.view->OnDblClick = [&](QObject *sender) {
        QCOMPARE(sender, g.view);
        ++clicks;
    };
    QVERIFY(showActive(g.grid));
    QTableView *table = g.view->tableView();
    const QPoint at = table->visualRect(table->model()->index(2, 0)).center();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(clicks, 1);
    QCOMPARE(g.users.dataSet.RecNo(), 3);
}

void TestToolkitGrid::viewsAreReadOnlyWholeRowViews()
{
    UserGrid g;
    QTableView *table = g.view->tableView();
    QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(table->selectionBehavior(), QAbstractItemView::SelectRows);
    QVERIFY(!table->isSortingEnabled());
    QVERIFY(!(table->model()->flags(table->model()->index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(!g.view->GroupByBox());
}

// Best fit widens a column to its widest text, repeated texts included, and
// measures again in a font the grid took since.
void TestToolkitGrid::bestFitShowsEveryTextWholeInTheCurrentFont()
{
    UserGrid g;
    g.users.load({def("UserCode"), def("UserName"), def("OrgCode")},
                 {{"0101", "张三", "A1"}, {"0102", "欧阳东方明珠", "A1"}, {"0103", "张三", "B2"}, {"0104", "李四", "A1"}});
    QTableView *table = g.view->tableView();
    const auto fitsEveryText = [&] {
        const QFontMetrics metrics(table->font());
        for (TcxGridDBColumn *column : {g.code, g.name, g.orgName}) {
            for (int row = 0; row < g.view->RecordCount(); ++row) {
                const QString text = g.view->DisplayText(row, column);
                if (column->Width() < metrics.horizontalAdvance(text)) {
                    qWarning() << column->Caption() << text << column->Width() << metrics.horizontalAdvance(text);
                    return false;
                }
            }
        }
        return true;
    };
    for (TcxGridDBColumn *column : {g.name, g.orgName})
        column->SetWidth(10);
    g.view->ApplyBestFit();
    QVERIFY(fitsEveryText());
    QFont larger = table->font();
    larger.setPointSizeF(larger.pointSizeF() * 3);
    table->setFont(larger);
    g.view->ApplyBestFit();
    QVERIFY(fitsEveryText());
}

// The preview's and the log's tables: codes and long unit names whole, a
// hidden key column taking no room, the last column over the free width.
void TestToolkitGrid::plainTablesKeepTheirTextsWholeAndFillTheWidth()
{
    QStandardItemModel model(0, 4);
    model.setHorizontalHeaderLabels({"编号", "用户代码", "原值", "新值"});
    model.appendRow({new QStandardItem("7"), new QStandardItem("34010110100102"),
                     new QStandardItem("所属单位=青山县疾病预防控制中心慢性非传染性疾病防治科"),
                     new QStandardItem("所属单位=青山县人民医院")});
    QTableView table;
    table.setModel(&model);
    table.horizontalHeader()->setStretchLastSection(true);  // as tables usually are
    table.setColumnHidden(0, true);
    table.resize(400, 200);
    auto *fit = new TableColumnFit(&table, {0, 0, 0, 150});
    table.show();
    QHeaderView *header = table.horizontalHeader();
    const auto fits = [&] {
        for (int c = 1; c < 4; ++c)
            if (header->sectionSize(c) < static_cast<QAbstractItemView &>(table).sizeHintForColumn(c))
                return false;
        return header->sectionViewportPosition(1) == 0 && header->sectionSize(3) >= 150;
    };
    QVERIFY(fits());
    // Wider than the texts: the last column takes what is left.
    table.resize(1400, 200);
    QTRY_COMPARE(header->sectionViewportPosition(3) + header->sectionSize(3), table.viewport()->width());
    // A longer text after a refit.
    model.setItem(0, 3, new QStandardItem(QString(120, QChar(0x540D))));
    fit->refit();
    QVERIFY(fits());
}

QTEST_MAIN(TestToolkitGrid)
#include "tst_toolkit_grid.moc"
