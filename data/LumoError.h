#pragma once

#include <QString>
#include <QByteArray>
#include <exception>

#include "DataExport.h"

namespace data {

// The one exception type that crosses between the host and the module. A failing
// step raises it with a message; the save procedures and commands catch it and
// show their fixed texts. Both sides link this library, so they agree on its type.
class DATA_EXPORT LumoError : public std::exception
{
public:
    explicit LumoError(QString message);
    // cause: what a person is told went wrong, in a few words and without the
    // statement (say, "数据库正忙, 请稍后再试"); the message keeps every detail.
    LumoError(QString message, QString cause);
    ~LumoError() override;
    // error itself when it is a LumoError, else its what() as the message.
    static LumoError of(const std::exception &error);

    const QString &message() const noexcept { return m_message; }
    // The cause when one was given, else the message's first line (statements
    // follow on lines of their own).
    QString cause() const;
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QString m_cause;
    QByteArray m_utf8;
};

} // namespace data
