#include "qt/local_timestamp.h"

#include <cstdlib>

namespace kelvo {

QString IsoLocalTimestamp(const QDateTime& local) {
    // Qt writes "Z" for a zero offset and nothing for some time specs; a log is easier
    // to read and to parse when every row has the same shape.
    const int offset = local.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace kelvo
