// The add/edit dialog as a person uses it: shown modally, OK and Cancel,
// continuous adding, the title-bar close, required editors, Enter and the
// page keys, the wheel and the resize layout of the health-record dialogs.
#include <QApplication>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>

#include <functional>
#include <memory>

#include "FormFactory.h"
#include "ModuleClock.h"
#include "TcxButton.h"
#include "TcxCheckBox.h"
#include "TcxComboBox.h"
#include "TcxDateEdit.h"
#include "TcxEditStyleController.h"
#include "TcxLabel.h"
#include "TcxPageControl.h"
#include "TcxTabControl.h"
#include "TcxTabSheet.h"
#include "TestEditDialogs.h"
#include "TestHostObjects.h"

using namespace testdialogs;
using DialogPtr = std::unique_ptr<TestMultiDialog, void (*)(QWidget *)>;

namespace {

// Runs body while the dialog is up; whatever body does or fails, the dialog
// is closed afterwards, so exec() never waits for ever.
int execWith(QDialog *dialog, std::function<void()> body)
{
    QTimer::singleShot(0, dialog, [dialog, body] {
        const auto closeAnyway = qScopeGuard([dialog] {
            if (dialog->isVisible())
                dialog->done(-1);
        });
        body();
    });
    return dialog->exec();
}

bool hasFocus(QWidget *w)
{
    return w->hasFocus() || (QApplication::focusWidget() && w->isAncestorOf(QApplication::focusWidget()));
}

} // namespace

class TestEditDialogFlow : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_host = std::make_unique<TestHost>();
        m_host->session.OrgCode = QStringLiteral("ORG1");
        m_host->session.UserCode = QStringLiteral("U01");
        m_host->session.when(QStringLiteral(" Select *  From TMaster Where MKey = '' "),
                             RecordingSession::Reply::ofPacket(RecordingSession::packet(masterFields())));
        m_dialog.reset(CreateForm<TestMultiDialog>());
    }
    void cleanup()
    {
        m_dialog.reset();
        m_host.reset();
    }

    void continuousAddingStaysOpenAndCancelHandsBackTheLastKey()
    {
        m_dialog->ChkBContinue->SetChecked(true);
        const int result = execWith(m_dialog.get(), [this] {
            TestMultiDialog::type(m_dialog->EdtName, QStringLiteral("甲"));
            TestMultiDialog::type(m_dialog->EdtMemo, QStringLiteral("乙"));
            m_dialog->btnOK->click();
            QVERIFY(m_dialog->isVisible());
            QVERIFY(m_host->dispatch.prompts().isEmpty());
            QCOMPARE(m_dialog->FLastSavedKey, Stamp + "001");
            QCOMPARE(m_dialog->FKeyValue, QStringLiteral("0"));
            QCOMPARE(m_dialog->InitControlsRuns, 2);
            QCOMPARE(m_dialog->FRequiredEdits->size(), 2);
            QCOMPARE(m_dialog->FCDSMaster->RecordCount(), 1);
            QVERIFY(m_dialog->FCDSMaster->FieldByName("Name")->IsNull());
            QTRY_VERIFY(hasFocus(m_dialog->EdtName));
            m_dialog->btnCancel->click();
        });
        QCOMPARE(result, int(TEditBaseForm::mrCancel));
        QCOMPARE(m_dialog->FKeyValue, Stamp + "001");
        QCOMPARE(m_host->session.hrCommits(), 1);
    }

    void titleBarCloseKeepsTheCurrentKey()
    {
        m_dialog->ChkBContinue->SetChecked(true);
        execWith(m_dialog.get(), [this] {
            TestMultiDialog::type(m_dialog->EdtName, QStringLiteral("甲"));
            TestMultiDialog::type(m_dialog->EdtMemo, QStringLiteral("乙"));
            m_dialog->btnOK->click();
            m_dialog->close();
        });
        QCOMPARE(m_dialog->FKeyValue, QStringLiteral("0"));
    }

    void cancelAfterOpeningForEditEmptiesTheKey()
    {
        m_dialog->SetKeyValue(QStringLiteral("K9"));
        execWith(m_dialog.get(), [this] {
            QVERIFY(m_dialog->ChkBContinue->isHidden());
            m_dialog->btnCancel->click();
        });
        QVERIFY(m_dialog->FKeyValue.isEmpty());
    }

    void requiredEditorsOneMessagePerAttemptInListOrder()
    {
        const int result = execWith(m_dialog.get(), [this] {
            QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
            m_dialog->btnOK->click();
            QCOMPARE(m_host->dispatch.prompts(), QStringList({"名称不能为空!"}));
            QCOMPARE(m_dialog->EdtName->StyleController(), m_dialog->StyCtlError);
            TestMultiDialog::type(m_dialog->EdtName, QStringLiteral("甲"));
            m_dialog->btnOK->click();
            QCOMPARE(m_host->dispatch.prompts().last(), QStringLiteral("备注不能为空!"));
            QTRY_COMPARE(m_dialog->EdtName->StyleController(), m_dialog->StyCtlNormal);  // left: normal look again
            QCOMPARE(m_host->dispatch.prompts().size(), 2);
            QCOMPARE(m_host->session.hrBegins(), 0);
            TestMultiDialog::type(m_dialog->EdtMemo, QStringLiteral("乙"));
            m_dialog->btnOK->click();
        });
        QCOMPARE(result, int(TEditBaseForm::mrOk));
        QCOMPARE(m_host->dispatch.prompts().last(), QStringLiteral("数据保存成功!"));
    }

    void enterMovesOnAndPageKeysStepPages()
    {
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
        m_dialog->EdtName->SetFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(hasFocus(m_dialog->EdtMemo));
        QVERIFY2(m_host->dispatch.prompts().isEmpty(), "Enter is no default button's click");

        QChar enter(13), ctrlD(4), other('x');
        m_dialog->NextPage(m_dialog.get(), enter);  // no page control: nothing
        auto *pages = new TcxPageControl(m_dialog->TabCtlClient);
        for (int i = 0; i < 2; ++i)
            (new TcxTabSheet(pages))->SetPageControl(pages);
        m_dialog->FPageControl = pages;
        m_dialog->KeyPressToNextPage(m_dialog.get(), ctrlD);
        QCOMPARE(pages->ActivePageIndex(), 0);
        m_dialog->NextPage(m_dialog.get(), ctrlD);
        QCOMPARE(pages->ActivePageIndex(), 1);
        m_dialog->NextPage(m_dialog.get(), enter);  // past the last page it stays
        QCOMPARE(pages->ActivePageIndex(), 1);
        pages->SetActivePageIndex(0);
        m_dialog->KeyPressToNextPage(m_dialog.get(), other);
        m_dialog->KeyPressToNextPage(m_dialog.get(), enter);
        QCOMPARE(pages->ActivePageIndex(), 1);
        QCOMPARE(enter, QChar(13));  // the key still reaches the editor
    }

    void wheelScrollsOneLineAndShowingStartsAtTheTop()
    {
        m_dialog->resize(500, 300);
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
        QScrollBar *bar = m_dialog->scrlbxBack->verticalScrollBar();
        QVERIFY(bar->maximum() > 3 * bar->singleStep());
        // The scroll box leaves the wheel to the window, which scrolls one
        // line per event whatever the size of the step.
        QWheelEvent overBox(QPointF(10, 10), m_dialog->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
                            Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_dialog->scrlbxBack->viewport(), &overBox);
        QVERIFY(!overBox.isAccepted());
        QCOMPARE(bar->value(), 0);
        for (int delta : {-120, -720}) {
            const int before = bar->value();
            QWheelEvent wheel(QPointF(10, 10), m_dialog->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, delta),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(m_dialog.get(), &wheel);
            QCOMPARE(bar->value(), before + bar->singleStep());
        }
        bool handled = false;
        const int before = bar->value();
        m_dialog->FormMouseWheel(m_dialog.get(), Qt::NoModifier, 0, QPoint(), handled);
        QCOMPARE(bar->value(), before - bar->singleStep());

        m_dialog->hide();
        bar->setValue(bar->maximum());
        m_dialog->show();
        QCOMPARE(bar->value(), 0);
        QCOMPARE(m_dialog->TabCtlClient->y(), 0);
    }

    void wheelOverAnUnfocusedEditorScrollsAndKeepsItsValue()
    {
        auto *combo = new TcxComboBox(m_dialog->TabCtlClient);
        combo->SetItems({QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")});
        combo->SetItemIndex(1);
        combo->setGeometry(80, 180, 200, 24);
        m_dialog->EdtVisitDate->SetDate(QDate(2024, 3, 1));
        m_dialog->resize(500, 300);
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
        m_dialog->EdtName->SetFocus();
        QScrollBar *bar = m_dialog->scrlbxBack->verticalScrollBar();
        for (TcxCustomEdit *editor : {static_cast<TcxCustomEdit *>(m_dialog->EdtVisitDate),
                                      static_cast<TcxCustomEdit *>(combo)}) {
            bar->setValue(0);
            // A real wheel step: spontaneous, at the widget under the pointer,
            // so Qt hands it up the parents and may give the focus.
            const QPoint inDialog = editor->mapTo(m_dialog.get(), editor->rect().center());
            QWidget *under = m_dialog->childAt(inDialog);
            QVERIFY(under && (under == editor || editor->isAncestorOf(under)));
            QWheelEvent wheel(under->mapFrom(m_dialog.get(), QPointF(inDialog)),
                              m_dialog->mapToGlobal(QPointF(inDialog)), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QSpontaneKeyEvent::setSpontaneous(&wheel);
            QApplication::sendEvent(under, &wheel);
            QCOMPARE(bar->value(), bar->singleStep());
            QVERIFY(hasFocus(m_dialog->EdtName));
        }
        QCOMPARE(m_dialog->EdtVisitDate->Date(), QDate(2024, 3, 1));
        QCOMPARE(combo->ItemIndex(), 1);
    }

    void resizeLayoutFollowsTheScrollBox()
    {
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
        int w = 0, h = 0;
        bool resize = true;
        m_dialog->TabCtlClient->resize(400, 100);
        m_dialog->scrlbxBack->resize(300, 200);
        m_dialog->FTitleAlignCtl = m_dialog->EdtName;
        m_dialog->FormCanResize(m_dialog.get(), w, h, resize);
        QCOMPARE(m_dialog->TabCtlClient->size(), QSize(316, 200));
        QCOMPARE(m_dialog->lblMasterLab->geometry().left(), m_dialog->EdtName->x());
        QCOMPARE(m_dialog->lblMasterLab->width(), m_dialog->EdtName->width());
        m_dialog->TabCtlClient->resize(400, 500);
        m_dialog->FormCanResize(m_dialog.get(), w, h, resize);
        QCOMPARE(m_dialog->TabCtlClient->size(), QSize(284, 500));
        QVERIFY(resize);
    }

private:
    ScopedModuleClock m_clock{testNow};
    std::unique_ptr<TestHost> m_host;
    DialogPtr m_dialog{nullptr, DestroyForm};
};

QTEST_MAIN(TestEditDialogFlow)
#include "tst_forms_editdialog.moc"
