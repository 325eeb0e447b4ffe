#include "CompositeSession.h"

#include "LumoError.h"

namespace {

HostSession &side(const std::unique_ptr<HostSession> &session)
{
    if (!session)
        throw data::LumoError(QStringLiteral("组合会话需要两个数据库的会话"));
    return *session;
}

} // namespace

// The sides are checked and bound before they are moved in: moving a
// unique_ptr leaves the session where it is.
CompositeSession::CompositeSession(std::unique_ptr<HostSession> hrSide, std::unique_ptr<HostSession> rcmsSide)
    : ForwardingSession(side(hrSide), side(rcmsSide)), m_hr(std::move(hrSide)), m_rcms(std::move(rcmsSide))
{
}

CompositeSession::~CompositeSession() = default;
