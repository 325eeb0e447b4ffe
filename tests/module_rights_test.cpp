// Rights: which rights-controlled controls a window shows, from the logged-in
// user's rights dataset.
#include <gtest/gtest.h>

#include <QWidget>

#include "ClientDataSet.h"
#include "FormFactory.h"
#include "LumoError.h"
#include "RecordingSession.h"
#include "TdxBarManager.h"
#include "TestHostObjects.h"
#include "UBaseFrm.h"
#include "UGlobalValue.h"
#include "UUserInfoMagFrm.h"

namespace {

using data::FieldType;

// Rights rows (ModFunTyp, ModFunID), as the host reads them from its table.
data::DataPacket rightsPacket(const QVector<QPair<int, QString>> &rows)
{
    data::DataPacket packet;
    packet.fields = {{QStringLiteral("ModFunTyp"), FieldType::Integer, 0},
                     {QStringLiteral("ModFunID"), FieldType::String, 20}};
    for (const auto &row : rows)
        packet.rows.append({row.first, row.second});
    return packet;
}

class Rights : public ::testing::Test
{
protected:
    void SetUp() override
    {
        session.HostDispatch = &dispatch;
        session.CodePicker = &picker;
        session.RightsData = &rights;
        UGlobalValue::HostSessionRef = &session;
    }
    void TearDown() override { UGlobalValue::HostSessionRef = nullptr; }

    RecordingSession session;
    TestHostDispatch dispatch;
    TestCodePicker picker;
    data::ClientDataSet rights;
};

bool shown(TdxBarButton *b)
{
    return b->Visible() == TdxBarItemVisible::ivAlways;
}

} // namespace

TEST_F(Rights, ButtonShownExactlyWithAFunctionOfTypeThree)
{
    // 255 is held only as a type 2 function, 256 not at all.
    rights.SetData(rightsPacket({{3, QStringLiteral("254")}, {2, QStringLiteral("255")}, {3, QStringLiteral("257")}}));
    std::unique_ptr<TUserInfoMagForm, void (*)(QWidget *)> form(CreateForm<TUserInfoMagForm>(), DestroyForm);
    form->ApplyRights();
    EXPECT_TRUE(shown(form->BtnAdd));
    EXPECT_TRUE(shown(form->BtnImport)) << "批量导入 goes with 新增's right";
    EXPECT_FALSE(shown(form->BtnEdit));
    EXPECT_FALSE(shown(form->BtnDel));
    EXPECT_TRUE(shown(form->BtnSyh));
    EXPECT_TRUE(rights.Filtered()) << "the rights stay filtered on type 3";
    EXPECT_EQ(rights.Filter(), QStringLiteral("ModFunTyp = 3"));
}

TEST_F(Rights, ImportIsHiddenWithoutTheRightToAdd)
{
    rights.SetData(rightsPacket({{3, QStringLiteral("255")}, {3, QStringLiteral("256")}, {3, QStringLiteral("257")}}));
    std::unique_ptr<TUserInfoMagForm, void (*)(QWidget *)> form(CreateForm<TUserInfoMagForm>(), DestroyForm);
    form->ApplyRights();
    EXPECT_FALSE(shown(form->BtnImport));
}

TEST_F(Rights, HidesAgainWhatADescendantShowedAndLooksUpTagZeroAsText)
{
    rights.SetData(rightsPacket({{3, QStringLiteral("0")}}));
    TBaseForm *form = CreateForm<TBaseForm>();
    auto *plain = new QWidget(form);
    plain->setProperty("Tag", 0);
    auto *other = new QWidget(form);
    other->setProperty("Tag", 12);
    other->setVisible(true);
    form->RightControls()->append(plain);
    form->RightControls()->append(other);
    form->ApplyRights();
    EXPECT_FALSE(plain->isHidden());
    EXPECT_TRUE(other->isHidden());
    DestroyForm(form);
}

TEST_F(Rights, AnEmptyListLeavesTheRightsUntouched)
{
    rights.SetData(rightsPacket({{2, QStringLiteral("254")}}));
    TBaseForm *form = CreateForm<TBaseForm>();
    form->ApplyRights();
    EXPECT_FALSE(rights.Filtered());
    EXPECT_TRUE(rights.Filter().isEmpty());
    DestroyForm(form);
}

TEST_F(Rights, AnEntryThatIsNeitherButtonNorControlIsRefused)
{
    rights.SetData(rightsPacket({{3, QStringLiteral("1")}}));
    TBaseForm *form = CreateForm<TBaseForm>();
    QObject notAControl;
    form->RightControls()->append(&notAControl);
    EXPECT_THROW(form->ApplyRights(), data::LumoError);
    form->RightControls()->clear();
    DestroyForm(form);
}

TEST(FormLifecycle, FormCreateRunsOnTheWholeObjectAndFormDestroyOnce)
{
    struct Probe : TBaseForm
    {
        int *created;
        int *destroyed;
        Probe(int *c, int *d) : created(c), destroyed(d) {}
        void FormCreate(QObject *sender) override
        {
            TBaseForm::FormCreate(sender);
            ++*created;
        }
        void FormDestroy(QObject *sender) override
        {
            ++*destroyed;
            TBaseForm::FormDestroy(sender);
        }
    };
    int created = 0, destroyed = 0;
    Probe *probe = CreateForm<Probe>(&created, &destroyed);
    EXPECT_EQ(created, 1) << "a descendant's FormCreate runs, which a base constructor could not reach";
    ASSERT_NE(probe->RightControls(), nullptr);
    probe->runFormDestroy();
    DestroyForm(probe);
    EXPECT_EQ(destroyed, 1);
}
