#include "windows/sensor_windows.h"

#include "windows/generic_window.h"
#include "windows/platform5/frm5.h"

namespace kelvo {

std::array<SensorWindow*, 4> createSensorWindows(Context& ctx, WindowHost& host) {
    return {new frm5(ctx, host), new GenericSensorWindow(QStringLiteral("frm5Chart"), ctx, host),
            new GenericSensorWindow(QStringLiteral("frm6"), ctx, host),
            new GenericSensorWindow(QStringLiteral("frm61"), ctx, host)};
}

}  // namespace kelvo
