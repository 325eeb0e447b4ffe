#pragma once

#include <QString>

// A user as the commands on several users name them: by name and code.
struct UserRef
{
    QString code;
    QString name;
    // "张三(3401010000001)", as the questions and reports show a user.
    QString label() const { return QStringLiteral("%1(%2)").arg(name, code); }
};
