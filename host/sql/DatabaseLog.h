#pragma once

#include <QLoggingCategory>

// Database failures with their statements and the driver's full text; every
// engine's session writes to it, the host's log keeps it. The statements are
// written through maskSecrets (session/SqlSecrets.h): no password's value.
Q_DECLARE_LOGGING_CATEGORY(lcHostDatabase)
