#include "PostgresRowLock.h"

#include <QRegularExpression>

QString withRowLockOfOneRowRead(const QString &postgresSql)
{
    static const QRegularExpression oneRowRead(
        QStringLiteral("^\\s*Select\\s+(\\*|[A-Za-z_][\\w.]*(\\s*,\\s*[A-Za-z_][\\w.]*)*)\\s+From\\s+[A-Za-z_]\\w*\\s+"
                       "Where\\s+[A-Za-z_]\\w*\\s*=\\s*'([^']|'')*'(\\s+And\\s+[A-Za-z_]\\w*\\s*=\\s*'([^']|'')*')*\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    if (!oneRowRead.match(postgresSql).hasMatch())
        return postgresSql;
    QString locked = postgresSql.trimmed();
    if (locked.endsWith(QLatin1Char(';')))
        locked.chop(1);
    return locked + QStringLiteral(" FOR UPDATE");
}
