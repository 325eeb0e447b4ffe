#include "LumoError.h"

namespace data {

LumoError::LumoError(QString message)
    : m_message(std::move(message)), m_utf8(m_message.toUtf8())
{
}

LumoError::LumoError(QString message, QString cause)
    : m_message(std::move(message)), m_cause(std::move(cause)), m_utf8(m_message.toUtf8())
{
}

LumoError::~LumoError() = default;

LumoError LumoError::of(const std::exception &error)
{
    if (const auto *lumo = dynamic_cast<const LumoError *>(&error))
        return *lumo;
    return LumoError(QString::fromUtf8(error.what()));
}

QString LumoError::cause() const
{
    if (!m_cause.isEmpty())
        return m_cause;
    return m_message.section(QLatin1Char('\n'), 0, 0).trimmed();
}

} // namespace data
