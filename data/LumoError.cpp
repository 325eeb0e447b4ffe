#include "LumoError.h"

namespace data {

LumoError::LumoError(QString message)
    : m_message(std::move(message)), m_utf8(m_message.toUtf8())
{
}

LumoError::~LumoError() = default;

} // namespace data
