#include "UGlobalValue.h"

#include "LumoError.h"

namespace UGlobalValue {

HostSession *HostSessionRef = nullptr;
QWidget *UserInfoMagForm = nullptr;

HostSession &Session()
{
    if (!HostSessionRef)
        throw data::LumoError(QStringLiteral("没有宿主会话对象"));
    return *HostSessionRef;
}

} // namespace UGlobalValue
