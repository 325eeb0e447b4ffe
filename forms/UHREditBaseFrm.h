#pragma once

#include <QPoint>
#include <QPointer>

#include <functional>

#include "UEditBaseFrm.h"

class QPainter;
class QResizeEvent;
class QWheelEvent;
class TcxCustomDateEdit;
class TcxGridDBTableView;
class TcxLabel;
class THRDictDataClass;
struct TcxIndicatorCellInfo;

// OnMouseWheel of a window: wheelDelta < 0 is a step towards the user.
using TMouseWheelEvent = std::function<void(QObject *sender, Qt::KeyboardModifiers shift,
                                            int wheelDelta, QPoint mousePos, bool &handled)>;
// OnCanResize of a window: the new size; resize = false would refuse it.
using TCanResizeEvent =
    std::function<void(QObject *sender, int &newWidth, int &newHeight, bool &resize)>;

// The add/edit dialog base of the health-record database: reads, makes keys
// and runs its transaction there. Its bottom bar keeps OK and Cancel in view
// while the editor area scrolls; a large centred title sits above the editors;
// the wheel scrolls the editor area one line per step; a date can be checked
// against a person's birthday.
//
// The save differs from the RCMS one: the transaction begins before the key is
// made and the statement built, and BuildSaveSql both builds and executes (the
// multi-table base does; a dialog derived directly from this class overrides
// BuildSaveSql, as the inherited one only builds).
class THREditBaseForm : public TEditBaseForm
{
    Q_OBJECT

public:
    explicit THREditBaseForm(QWidget *parent = nullptr);
    ~THREditBaseForm() override;

    // ---- components -------------------------------------------------------
    TcxLabel *lblMasterLab = nullptr;   // the title, centred over the editors
    TcxTabControl *TabCtlBot = nullptr; // bottom bar below the scrolling area
    data::DataSource *dsAreaLst = nullptr;  // over FCDSDetail, for a list grid

    // ---- configuration ------------------------------------------------------
    QPointer<QWidget> FTitleAlignCtl;          // the title takes its left and width
    THRDictDataClass *FHRDict = nullptr;       // lent by the opening window
    QPointer<TcxCustomDateEdit> FCheckDateEdit;  // must lie between birthday and today
    QPointer<data::DataSource> FPersonSource;    // its dataset holds "Birthday"

    // Window events; a descendant may unbind them (set them empty).
    TMouseWheelEvent OnMouseWheel;
    TCanResizeEvent OnCanResize;

    // ---- overrides -----------------------------------------------------------
    bool CheckData() override;
    bool SaveData() override;
    void LoadData() override;
    void AssignNewKey() override;

    // ---- event handlers ---------------------------------------------------------
    void FormMouseWheel(QObject *sender, Qt::KeyboardModifiers shift, int wheelDelta,
                        QPoint mousePos, bool &handled);
    void FormShow(QObject *sender) override;
    void FormCanResize(QObject *sender, int &newWidth, int &newHeight, bool &resize);
    void FormCreate(QObject *sender) override;
    // For a descendant's grid view (OnCustomDrawIndicatorCell): numbers the
    // data rows from 1, drawn like header cells, the focused row "hot".
    void grdvwFamLstCustomDrawIndicatorCell(TcxGridDBTableView *sender, QPainter *canvas,
                                            const TcxIndicatorCellInfo &viewInfo, bool &done);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
};
