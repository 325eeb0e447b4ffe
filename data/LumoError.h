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
    ~LumoError() override;

    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace data
