// The statement of the trail's viewer built from the filter as typed: what
// each field adds, and the texts of a filter that cannot be read.
#include <gtest/gtest.h>

#include "AuditQuery.h"

namespace {

struct Case
{
    const char *name;
    const char *from, *to, *operatorCode, *user, *kind;
    const char *where;  // the statement's condition, or the reason given
};

const Case cases[] = {
    {"none", "", "", " ", "", "", ""},
    {"days", " 2026-03-01", "20260302 ", "", "", "",
     " Where AuditTime >= '2026-03-01 00:00:00' And AuditTime < '2026-03-03 00:00:00'"},
    {"quoted", "", "", "o'k", " 王'五 ", "删除",
     " Where OperatorCode = 'o''k' And (UserCode = '王''五' Or UserName = '王''五') And Kind = '删除'"},
    {"bad from", "2026-02-30", "", "", "", "", "起始日期 \"2026-02-30\" 无效, 请按 yyyy-MM-dd 输入"},
    {"bad to", "", "x", "", "", "", "截止日期 \"x\" 无效, 请按 yyyy-MM-dd 输入"},
    {"upside down", "2026-03-02", "2026-03-01", "", "", "", "起始日期不能晚于截止日期"},
};

class AuditQueryTest : public ::testing::TestWithParam<Case>
{
};

TEST_P(AuditQueryTest, BuildsTheFirstPageNewestFirstOrSaysWhy)
{
    const Case &c = GetParam();
    AuditQuery query;
    const QString reason = AuditQuery::parse(QString::fromUtf8(c.from), QString::fromUtf8(c.to),
                                             QString::fromUtf8(c.operatorCode), QString::fromUtf8(c.user),
                                             QString::fromUtf8(c.kind), query);
    const QString head = QStringLiteral("Select Top 1000 AuditID, AuditTime, OperatorCode, MachineName, Kind, "
                                        "UserCode, UserName, Changes From TSys_UserAudit");
    const QString tail = QStringLiteral(" Order By AuditTime Desc, AuditID Desc");
    const QString expected = QString::fromUtf8(c.where);
    if (expected.startsWith(QLatin1String(" Where")) || expected.isEmpty())
        EXPECT_EQ((reason + query.sql()).toStdString(), (head + expected + tail).toStdString());
    else
        EXPECT_EQ(reason.toStdString(), expected.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Filters, AuditQueryTest, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<Case> &info) {
                             std::string name = info.param.name;
                             for (char &ch : name)
                                 if (ch == ' ')
                                     ch = '_';
                             return name;
                         });

} // namespace
