#pragma once

class HostSession;
class QWidget;

// The module-wide values: the session the host handed over and the window that
// CreateModule made. Both start null and are never cleared by the module; a
// second CreateModule overwrites them.
namespace UGlobalValue {

extern HostSession *HostSessionRef;
extern QWidget *UserInfoMagForm;

// The session, or a LumoError when no session has been handed over yet.
HostSession &Session();

} // namespace UGlobalValue
