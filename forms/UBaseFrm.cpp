#include "UBaseFrm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QPointer>
#include <QShowEvent>
#include <QWidget>

#include "BusyInputFilter.h"
#include "CaughtError.h"
#include "ClientDataSet.h"
#include "FormFactory.h"
#include "LumoError.h"
#include "TcxCustomEdit.h"
#include "TcxLookAndFeelController.h"
#include "TcxStyle.h"
#include "TcxStyleRepository.h"
#include "TdxBarManager.h"
#include "UGlobalFunUnt.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"

namespace {

// Colours are given as stored colour values, 0x00BBGGRR.
QColor fromBgr(quint32 bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

} // namespace

TBaseForm::TBaseForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("BaseForm"));
    setWindowTitle(QStringLiteral("基类窗体"));
    resize(636, 446);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(13);
    setFont(font);

    cxLookAndFeelController1 = new TcxLookAndFeelController(this);
    cxLookAndFeelController1->setObjectName(QStringLiteral("cxLookAndFeelController1"));
    cxLookAndFeelController1->SetKind(TcxLookAndFeelKind::lfOffice11);
    cxLookAndFeelController1->SetNativeStyle(true);

    cxStyleRepository1 = new TcxStyleRepository(this);
    cxStyleRepository1->setObjectName(QStringLiteral("cxStyleRepository1"));
    cxStyle1 = cxStyleRepository1->CreateStyle(QStringLiteral("cxStyle1"));
    cxStyle1->SetColor(fromBgr(0x00FBEED4));  // 16510676
    cxStyle2 = cxStyleRepository1->CreateStyle(QStringLiteral("cxStyle2"));
    cxStyle2->SetColor(fromBgr(0x00FFFBF0));  // 16776176
}

TBaseForm::~TBaseForm()
{
    // A window deleted inside a busy scope still gives back the cursor and input.
    if (m_busyDepth > 0) {
        m_busyDepth = 1;
        leaveBusy();
    }
}

void TBaseForm::AllowWhileBusy(QWidget *widget)
{
    if (!m_busyFilter)
        m_busyFilter = new BusyInputFilter(this);
    m_busyFilter->allow(widget);
}

void TBaseForm::enterBusy()
{
    if (m_busyDepth++ > 0)
        return;
    if (!m_busyFilter)
        m_busyFilter = new BusyInputFilter(this);
    qApp->installEventFilter(m_busyFilter);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    emit BusyChanged(true);
}

void TBaseForm::leaveBusy()
{
    if (m_busyDepth == 0 || --m_busyDepth > 0)
        return;
    qApp->removeEventFilter(m_busyFilter);
    QApplication::restoreOverrideCursor();
    emit BusyChanged(false);
}

void TBaseForm::closeEvent(QCloseEvent *event)
{
    if (Busy()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TBaseForm::FormCreate(QObject *)
{
    // An editor's own validation message is one of the module's messages: it
    // goes to the host like every other.
    TcxCustomEdit::ErrorReporter = [](const QString &text) { ShowInfo(text); };
    cxLookAndFeelController1->SetKind(TcxLookAndFeelKind::lfOffice11);
    cxLookAndFeelController1->SetNativeStyle(true);
    FRightControls = std::make_unique<QList<QObject *>>();
}

void TBaseForm::FormDestroy(QObject *)
{
    FRightControls.reset();
}

void TBaseForm::FormShow(QObject *)
{
    ApplyRights();
}

void TBaseForm::NextObject(QObject *)
{
    focusNextChild();
}

void TBaseForm::ApplyRights()
{
    if (!FRightControls)
        return;
    HostSession &session = UGlobalValue::Session();
    for (QObject *entry : std::as_const(*FRightControls)) {
        // The filter is set again for every entry and stays in force afterwards.
        FilterDataSet(session.RightsData, QStringLiteral("ModFunTyp = 3"));
        auto *button = qobject_cast<TdxBarButton *>(entry);
        auto *control = button ? nullptr : qobject_cast<QWidget *>(entry);
        if (!button && !control)
            throw data::LumoError(QStringLiteral("无效的类型转换: %1").arg(
                entry ? QString::fromLatin1(entry->metaObject()->className()) : QStringLiteral("nil")));
        int tag = 0;
        if (button)
            tag = button->Tag();
        else if (auto *editor = qobject_cast<TcxCustomEdit *>(control))
            tag = editor->Tag();
        else
            tag = control->property("Tag").toInt();
        const bool granted = session.RightsData
            && session.RightsData->Locate(QStringLiteral("ModFunID"), QString::number(tag));
        if (button)
            button->SetVisible(granted ? TdxBarItemVisible::ivAlways : TdxBarItemVisible::ivNever);
        else
            control->setVisible(granted);
    }
}

void TBaseForm::runFormDestroy()
{
    if (m_destroyed || !m_created)
        return;
    m_destroyed = true;
    FormDestroy(this);
}

void TBaseForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        guardEvent([this] { FormShow(this); });
}

void runFormCreate(TBaseForm *form)
{
    form->FormCreate(form);
    form->m_created = true;
}

namespace {

QList<QPointer<QWidget>> &ownedForms()
{
    static QList<QPointer<QWidget>> forms;
    return forms;
}

} // namespace

void registerOwnedForm(QWidget *form)
{
    ownedForms().removeAll(nullptr);
    ownedForms().append(form);
}

bool isOwnedFormAlive(QWidget *form)
{
    ownedForms().removeAll(nullptr);
    return form && ownedForms().contains(form);
}

void DestroyForm(QWidget *form)
{
    if (auto *base = qobject_cast<TBaseForm *>(form))
        base->runFormDestroy();
    delete form;
}

namespace {

QString causeOf(std::exception_ptr error)
{
    return caughtError(error).cause();
}

void show(const QString &message)
{
    try {
        ShowInfo(message);
    } catch (...) {
        qWarning("%s", qUtf8Printable(message));
    }
}

} // namespace

void HandleFormException(std::exception_ptr error)
{
    show(causeOf(error));
}

void ShowFailure(const QString &what, std::exception_ptr error)
{
    show(what + QStringLiteral("原因:") + causeOf(error));
}
