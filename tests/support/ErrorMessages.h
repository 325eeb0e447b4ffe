#pragma once

#include <functional>
#include <string>

#include "LumoError.h"

// The message of the data::LumoError that action raises; "(no error)" when it
// raises none.
inline std::string messageOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const data::LumoError &e) {
        return e.message().toStdString();
    }
    return "(no error)";
}
