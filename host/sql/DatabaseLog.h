#pragma once

#include <QLoggingCategory>

// Database failures with their statements and the driver's full text; every
// engine's session writes to it, the host's log keeps it.
Q_DECLARE_LOGGING_CATEGORY(lcHostDatabase)
