// The statement of the trail's viewer built from the filter as typed: what
// each field adds (days whole, quotes doubled, spaces trimmed), and a filter
// that cannot be read (the viewer's test shows the other reasons).
#include <gtest/gtest.h>

#include "AuditQuery.h"

TEST(AuditQueryTest, BuildsTheFirstPageNewestFirstOrSaysWhy)
{
    struct
    {
        const char *from, *to, *operatorCode, *user, *kind;
        const char *said;  // the statement's condition, or the reason given
    } const cases[] = {
        {"", "", " ", "", "", ""},
        {" 2026-03-01", "20260302 ", "o'k", " 王'五 ", "删除",
         " Where AuditTime >= '2026-03-01 00:00:00' And AuditTime < '2026-03-03 00:00:00' And OperatorCode = 'o''k' And (UserCode = '王''五' Or UserName = '王''五') And Kind = '删除'"},
        {"", "x", "", "", "", "截止日期 \"x\" 无效, 请按 yyyy-MM-dd 输入"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.said);
        AuditQuery query;
        const QString reason = AuditQuery::parse(QString::fromUtf8(c.from), QString::fromUtf8(c.to),
                                                 QString::fromUtf8(c.operatorCode), QString::fromUtf8(c.user),
                                                 QString::fromUtf8(c.kind), query);
        const QString said = QString::fromUtf8(c.said);
        if (!reason.isEmpty())
            EXPECT_EQ(reason.toStdString(), c.said);
        else
            EXPECT_EQ(query.sql().toStdString(),
                      ("Select Top 1000 AuditID, AuditTime, OperatorCode, MachineName, Kind, UserCode, UserName, "
                       "Changes From TSys_UserAudit" + said + " Order By AuditTime Desc, AuditID Desc").toStdString());
    }
}
