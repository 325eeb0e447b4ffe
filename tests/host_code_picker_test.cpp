// The code picker's search on the host's real SQLite session: what each typed
// text finds, in which order, with the wildcards of Like typed as plain text.
#include <QLineEdit>
#include <QAbstractItemModel>

#include <gtest/gtest.h>

#include "CodePicker.h"
#include "SqliteSession.h"
#include "TempDatabases.h"

namespace {

class CodePickerSearch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        files.hr(QStringLiteral(
            "Insert Into P_YLFWDW (OrgCode, OrgName, AreaCode, Spell, FiveStrokes) Values "
            "('411', '青山卫生院', '41', 'QSWSY', 'GMBB'), ('412', '临江100%卫生室', '41', 'LJWSS', 'JIBP'), "
            "('413', '张庄_卫生室', '41', 'ZZWSS', 'XABP'), ('414', '李集[一]卫生室', '41', 'LJWSS', 'SWBP'), "
            "('415', 'O''Neil诊所', '41', 'ONZS', 'YR'), ('Q01', '第一站', '41', 'DYZ', 'TGU'), "
            "('416', '青年站', '99', 'QNZ', 'GRU')"));
        session = std::make_unique<SqliteSession>(files.hrFile(), files.rcmsFile());
        picker = std::make_unique<CodePicker>(session.get());
        picker->Init();
        picker->setProperty("Table", QStringLiteral("p_YLFWDW"));
        picker->setProperty("Where", QStringLiteral(" 1=1  And AreaCode = '41'"));
        picker->setProperty("OrderBy", QStringLiteral("OrgCode Asc"));
        picker->setProperty("FieldList", QStringLiteral("OrgCode As 单位编码, OrgName As 单位名称"));
        picker->setProperty("Spell", QStringLiteral("Spell"));
        picker->setProperty("Wbx", QStringLiteral("FiveStrokes"));
    }

    QStringList codesFound(const QString &text)
    {
        CodePickerDialog dialog(picker.get(), session.get(), true, 0, nullptr);
        dialog.searchEdit()->setText(text);
        dialog.search();
        QStringList codes;
        for (int r = 0; r < dialog.model()->rowCount(); ++r)
            codes << dialog.model()->index(r, 0).data().toString();
        return codes;
    }

    TempDatabases files;
    std::unique_ptr<SqliteSession> session;
    std::unique_ptr<CodePicker> picker;
};

TEST_F(CodePickerSearch, NamesAfterCodesAndSearchCodesWildcardsLiteral)
{
    const struct
    {
        QString typed;
        QStringList found;
    } cases[] = {
        // q: the code Q01 and the pinyin QSWSY, in any letter case.
        {QStringLiteral("q"), {"411", "Q01"}},
        // 卫生: by name only, in code order.
        {QStringLiteral("卫生"), {"411", "412", "413", "414"}},
        // Units of other areas stay out (416 青年站).
        {QStringLiteral("站"), {"Q01"}},
        {QStringLiteral("%"), {"412"}},
        {QStringLiteral("_"), {"413"}},
        {QStringLiteral("[一]"), {"414"}},
        {QStringLiteral("'"), {"415"}},
        {QStringLiteral("!"), {}},
        {QStringLiteral("Neil"), {"415"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(codesFound(c.typed), c.found) << qPrintable(c.typed);
}

TEST_F(CodePickerSearch, CodeMatchesComeBeforeNameMatches)
{
    files.hr(QStringLiteral("Insert Into P_YLFWDW (OrgCode, OrgName, AreaCode, Spell, FiveStrokes) Values "
                            "('400', '站前ZZ所', '41', 'ZQS', 'URR')"));
    // ZZ: 413 by pinyin, 400 by its name; the pinyin match is listed first.
    EXPECT_EQ(codesFound(QStringLiteral("zz")), (QStringList{"413", "400"}));
}

} // namespace
