#include "windows/sensor_windows.h"

#include "windows/generic_window.h"
#include "windows/platform5/frm5.h"

namespace kelvo {

std::vector<std::unique_ptr<SensorWindow>> createSensorWindows(Context& ctx, WindowHost& host) {
    std::vector<std::unique_ptr<SensorWindow>> windows;
    windows.push_back(std::make_unique<frm5>(ctx, host));
    for (const char* name : {"frm5Chart", "frm6", "frm61"}) {
        windows.push_back(
            std::make_unique<GenericSensorWindow>(QString::fromLatin1(name), ctx, host));
    }
    return windows;
}

}  // namespace kelvo
