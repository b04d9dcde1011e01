#pragma once
// Time stamps for logs: ISO 8601 local time with its offset from UTC, so that rows from
// either side of a daylight-saving change still sort and compare correctly.

#include <QDateTime>
#include <QString>

namespace kelvo {

// "2026-12-08T13:05:09+01:00"
QString IsoLocalTimestamp(const QDateTime& local = QDateTime::currentDateTime());

}  // namespace kelvo
