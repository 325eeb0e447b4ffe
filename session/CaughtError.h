#pragma once

#include <exception>

#include "LumoError.h"

// A caught exception of any type as a data::LumoError, for the handlers that
// tell a failure (its cause) and log it (its message): itself, a
// std::exception's what(), or "未知错误" for anything else.
inline data::LumoError caughtError(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &e) {
        return data::LumoError::of(e);
    } catch (...) {
        return data::LumoError(QStringLiteral("未知错误"));
    }
}
