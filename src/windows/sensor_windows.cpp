#include "windows/sensor_windows.h"

#include <functional>

#include "windows/platform5/frm5.h"
#include "windows/platform5/frm5chart.h"
#include "windows/platform6/frm6.h"
#include "windows/platform61/frm61.h"

namespace kelvo {

namespace {
using WindowMaker = std::function<std::unique_ptr<SensorWindow>(Context&, WindowHost&)>;

template <typename Window>
WindowMaker make() {
    return [](Context& ctx, WindowHost& host) { return std::make_unique<Window>(ctx, host); };
}

// Every window kind and how its window is made; a new window registers here and nowhere
// else. The platform profile says which kind a sensor needs.
const std::map<WindowKind, WindowMaker>& registry() {
    static const std::map<WindowKind, WindowMaker> makers{
        {WindowKind::Frm5, make<frm5>()},
        {WindowKind::Frm5Chart, make<frm5Chart>()},
        {WindowKind::Frm6, make<frm6>()},
        {WindowKind::Frm61, make<frm61>()},
    };
    return makers;
}
}  // namespace

SensorWindowSet createSensorWindows(Context& ctx, WindowHost& host) {
    SensorWindowSet windows;
    for (const auto& [kind, make] : registry()) windows.emplace(kind, make(ctx, host));
    return windows;
}

}  // namespace kelvo
