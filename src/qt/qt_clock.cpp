#include "qt/qt_clock.h"

#include <QTime>

namespace kelvo::qt {

double QtClock::secondsOfDay() const {
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

}  // namespace kelvo::qt
