#include "DatabaseLog.h"

Q_LOGGING_CATEGORY(lcHostDatabase, "lumo.host.database")
