// The pick lists the sensor windows share: one place, so that their captions and the names
// tests and start-up find them by cannot drift apart between windows.
#include <QMenu>

#include "windows/control_names.h"
#include "windows/sensor_window.h"

namespace kelvo {
QMenu* SensorWindow::makeTempUnitPopup(QAction*& celsius, QAction*& farenheit) {
    QMenu* popup = makePopup(QStringLiteral("mTempUnit"), QStringLiteral("TempUnit"));
    celsius = addPopupItem(popup, QStringLiteral("mTempUnitCelsius"), QStringLiteral("Celsius"),
                           QStringLiteral("C"));
    farenheit = addPopupItem(popup, QStringLiteral("mTempUnitFarenheit"),
                             QStringLiteral("Farenheit"), QStringLiteral("F"));
    return popup;
}

QMenu* SensorWindow::makeChannelPopup(const QString& name, const QString& title,
                                      const char* itemName, QAction** items, int count) {
    QMenu* popup = makePopup(name, title);
    for (int c = 0; c < count; ++c)
        items[c] = addPopupItem(popup, indexed(itemName, c), QStringLiteral("CH%1").arg(c));
    return popup;
}

QMenu* SensorWindow::makeDisplayModePopup(std::array<QAction*, kDisplayModes>& items) {
    QMenu* popup = makePopup(QStringLiteral("mDisplayModes"), QStringLiteral("DisplayModes"));
    const char* const modes[kDisplayModes] = {"Off", "TEMP", "CO2", "TEMP + CO2", "AN1 + AN2 + ID"};
    for (int i = 0; i < kDisplayModes; ++i)
        items[i] = addPopupItem(popup, indexed("mDisplayMode", i), QString::fromLatin1(modes[i]));
    return popup;
}

QMenu* SensorWindow::makeTimeUnitPopup(QAction*& minutes, QAction*& seconds) {
    QMenu* popup = makePopup(QStringLiteral("mTimeUnits"), QStringLiteral("TimeUnits"));
    minutes = addPopupItem(popup, QStringLiteral("mTimeUnitMin"), QStringLiteral("Min"));
    seconds = addPopupItem(popup, QStringLiteral("mTimeUnitSec"), QStringLiteral("Sec"));
    return popup;
}

}  // namespace kelvo
