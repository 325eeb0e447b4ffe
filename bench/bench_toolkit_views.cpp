// Loading the user window's views over large datasets: the area tree with
// 100,000 areas and the user grid with 100,000 users (a lookup column over
// the units included), then moving the cursor through the grid. The tree must
// build in well under a second; the grid must not do per-row work on load.
//
// Usage: bench_toolkit_views [rows...]   (default: 25000 50000 100000)

#include <QApplication>
#include <QTableView>
#include <QTreeView>

#include <chrono>
#include <cstdio>

#include "BenchSizes.h"
#include "ClientDataSet.h"
#include "DataSource.h"
#include "TcxDBTreeList.h"
#include "TcxGrid.h"
#include "TcxGridDBColumn.h"
#include "TcxGridDBTableView.h"
#include "TcxTreeListColumn.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

data::FieldDef text(const char *name)
{
    return data::FieldDef{QString::fromLatin1(name), data::FieldType::String, 50};
}

// A county, its towns, and villages below the towns (about 100 per town).
data::DataPacket areas(int rows)
{
    data::DataPacket p;
    p.fields = {text("AreaCode"), text("StaAreaCode"), text("AreaName"), text("PAreaCode")};
    p.rows.reserve(rows);
    p.rows.append({"5201", "5201", "[5201] 县", "52"});
    for (int i = 1; i < rows; ++i) {
        const QString code = QStringLiteral("5201%1").arg(i, 8, 10, QLatin1Char('0'));
        const QString parent = i % 100 == 1 ? QStringLiteral("5201")
                                            : QStringLiteral("5201%1").arg(i - (i - 1) % 100, 8, 10, QLatin1Char('0'));
        p.rows.append({code, code, QStringLiteral("[%1] 区域%2").arg(code).arg(i), parent});
    }
    return p;
}

data::DataPacket users(int rows, int units)
{
    data::DataPacket p;
    p.fields = {text("UserCode"), text("UserName"), text("Spell"), text("OrgCode")};
    p.rows.reserve(rows);
    for (int i = 0; i < rows; ++i)
        p.rows.append({QStringLiteral("U%1").arg(i, 9, 10, QLatin1Char('0')), QStringLiteral("用户%1").arg(i),
                       QStringLiteral("YH%1").arg(i), QStringLiteral("O%1").arg(i % units)});
    return p;
}

data::DataPacket orgs(int units)
{
    data::DataPacket p;
    p.fields = {text("OrgCode"), text("OrgName")};
    for (int i = 0; i < units; ++i)
        p.rows.append({QStringLiteral("O%1").arg(i), QStringLiteral("单位%1").arg(i)});
    return p;
}

void benchTree(int rows)
{
    data::ClientDataSet dataSet;
    data::DataSource source;
    source.SetDataSet(&dataSet);
    TcxDBTreeList tree;
    tree.SetKeyField("StaAreaCode");
    tree.SetParentField("PAreaCode");
    tree.SetRootValue(-1);
    tree.CreateColumn("ColAreaName")->SetFieldName("AreaName");
    tree.SetDataSource(&source);
    tree.resize(300, 700);
    tree.show();

    const data::DataPacket packet = areas(rows);
    const auto start = Clock::now();
    tree.BeginUpdate();
    dataSet.SetData(packet);
    tree.EndUpdate();
    tree.ExpandTopNode(0);
    QApplication::processEvents();
    const double loadMs = msSince(start);

    const auto moveStart = Clock::now();
    for (int i = 0; i < 1000; ++i)
        dataSet.SetRecNo(1 + (i * 97) % rows);
    const double moveMs = msSince(moveStart);
    std::printf("tree  %7d areas: load+expand %8.1f ms, 1000 cursor moves %7.1f ms (top nodes %d)\n", rows, loadMs,
                moveMs, tree.TopNodeCount());
}

void benchGrid(int rows)
{
    data::ClientDataSet userSet, orgSet;
    data::DataSource userSource, orgSource;
    userSource.SetDataSet(&userSet);
    orgSource.SetDataSet(&orgSet);
    orgSet.SetData(orgs(2000));
    TcxGrid grid;
    TcxGridDBTableView *view = grid.CreateView("grdvwGrdVwData");
    view->CreateColumn("colUserCode")->SetFieldName("UserCode");
    view->CreateColumn("colUserName")->SetFieldName("UserName");
    TcxGridDBColumn *orgName = view->CreateColumn("colOrgName");
    orgName->SetFieldName("OrgCode");
    orgName->SetListSource(&orgSource);
    orgName->SetKeyFieldNames("OrgCode");
    orgName->SetListFieldNames("OrgName");
    view->CreateColumn("colUserCount")->SetFooterSummary(skCount, QStringLiteral("记录数: 0"));
    view->SetFooter(true);
    view->SetIndicator(true);
    view->SetDataSource(&userSource);
    grid.resize(1000, 700);
    grid.show();

    const data::DataPacket packet = users(rows, 2000);
    const auto start = Clock::now();
    view->BeginUpdate();
    userSet.SetData(packet);
    view->EndUpdate();
    QApplication::processEvents();
    const double loadMs = msSince(start);

    const auto moveStart = Clock::now();
    for (int i = 0; i < 1000; ++i)
        userSet.SetRecNo(1 + (i * 97) % rows);
    const double moveMs = msSince(moveStart);

    // Painting is Qt's own cost (text shaping of the visible cells); it is
    // measured apart so that it does not hide the view's share.
    const auto paintStart = Clock::now();
    for (int i = 0; i < 20; ++i) {
        userSet.SetRecNo(1 + (i * 4099) % rows);
        grid.repaint();
    }
    const double paintMs = msSince(paintStart) / 20;
    std::printf("grid  %7d users: load+paint  %8.1f ms, 1000 cursor moves %7.1f ms, one scroll+repaint %5.1f ms\n",
                rows, loadMs, moveMs, paintMs);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QList<int> sizes = benchSizes(argc, argv);
    for (int rows : sizes) {
        if (rows < 2)
            continue;
        benchTree(rows);
        benchGrid(rows);
    }
    return 0;
}
