#pragma once

// Names the system's time zone file in TZ when TZ is unset. Without TZ the C
// library looks at /etc/localtime again on every conversion of a local time,
// which made reading a table's date-time column (a QDateTime in local time
// per row) cost five times what it does with the zone named once. The zone
// is the same; only a change of the system's zone while the host runs goes
// unnoticed until the next start. Call before any thread or time conversion.
void pinLocalTimeZone();
