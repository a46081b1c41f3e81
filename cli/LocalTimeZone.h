#pragma once

namespace tallimo::cli {

// Names the system's own time zone file in TZ when TZ is unset, which keeps the zone as it is.
// The ZIP library turns each entry's date into a time with mktime, and while TZ is unset glibc
// looks at /etc/localtime again on every call: opening a workbook of 100,000 sheets spent a
// second on that alone. With TZ set glibc reads the file once. Call it first thing in main,
// before any thread.
void nameLocalTimeZone();

}  // namespace tallimo::cli
