#pragma once
// A sensor window opened on a virtual sensor the way start-up opens it: the whole image
// read, the window filled and shown live, on the virtual clock.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "files/definition_file.h"
#include "model/platform_profile.h"
#include "support/virtual_sensor_rig.h"
#include "windows/fake_window_host.h"
#include "windows/sensor_window.h"
#include "windows/sensor_windows.h"

namespace kelvo::test {

// A platform and software version, and its name in a parameterised test, which also names
// any other parameter that has the two.
struct SensorKind {
    int platform;
    int version;
};
struct KindName {
    template <typename Param>
    std::string operator()(const ::testing::TestParamInfo<Param>& info) const {
        return "Platform" + std::to_string(info.param.platform) + "v" +
               std::to_string(info.param.version);
    }
};
inline constexpr KindName kindName{};

// Every window start-up makes, and the name it carries.
inline constexpr std::pair<WindowKind, const char*> kWindowNames[] = {
    {WindowKind::Frm5, "frm5"},
    {WindowKind::Frm5Chart, "frm5Chart"},
    {WindowKind::Frm6, "frm6"},
    {WindowKind::Frm61, "frm61"}};

// The bytes that differ between two images, each as " address: before -> after".
template <typename Image>
std::string changes(const Image& before, const Image& after) {
    std::string text;
    for (size_t a = 0; a < before.size(); ++a) {
        if (before[a] != after[a])
            text += " " + std::to_string(a) + ": " + std::to_string(int(before[a])) + " -> " +
                    std::to_string(int(after[a]));
    }
    return text;
}

struct WindowOnSensor {
    // prepare: what the sensor holds beyond its factory image, set before anything is read.
    WindowOnSensor(int platform, int version,
                   const std::function<void(virtualsensor::SensorMemory&)>& prepare = {},
                   virtualsensor::LineTiming timing = virtualsensor::LineTiming::Instant)
        : rig(platform, version, timing) {
        if (prepare) prepare(rig.sensor.memory());
        rig.ctx().AppDir = KELVO_SOURCE_DIR "/data/";
        windows = createSensorWindows(rig.ctx(), host);
        const PlatformProfile* profile =
            FindProfile(static_cast<uint8_t>(platform), static_cast<float>(version));
        window = windows.at(profile->window).get();
        if (platform == kPlatform5) {
            EXPECT_TRUE(LoadDefinition(rig.ctx())) << rig.ctx().ErrorText;
        }
        EXPECT_TRUE(ReadSpans(rig.ctx(), WholeImageReads(static_cast<uint8_t>(platform))))
            << rig.ctx().ErrorText;
        EXPECT_TRUE(window->FormUpdateInit() && window->FormUpdate()) << rig.ctx().ErrorText;
        window->SimMode(false);
        window->show();
        window->activationPass();  // the first values, polled as soon as the window shows
        rig.ctx().ErrorText.clear();
        rig.sensor.clearRecord();
    }

    Context& ctx() { return rig.ctx(); }
    // What the loop does when a menu item sets this code: run it now.
    void run(int16_t code) {
        ctx().PendingAction = code;
        window->activationPass();
    }
    // Lets the time between two polls pass and runs the loop once.
    void poll() {
        rig.t.clock.advance(2100);
        window->activationPass();
    }
    // The user presses Cancel once this many more events have been processed.
    void cancelAfterEvents(int events) {
        cancelCountdown = events;
        if (!cancelHooked) {
            cancelHooked = true;
            rig.t.pump.onEvents([this] {
                if (cancelCountdown > 0 && --cancelCountdown == 0) ctx().ErrorText = "Avbryt";
            });
        }
    }

    VirtualSensorRig rig;
    FakeWindowHost host;
    SensorWindowSet windows;
    SensorWindow* window = nullptr;
    int cancelCountdown = 0;
    bool cancelHooked = false;
};

// A window opened on a sensor of each kind the test is instantiated with.
class OnEachSensor : public ::testing::TestWithParam<SensorKind> {
protected:
    const SensorKind kind = GetParam();
    WindowOnSensor w{kind.platform, kind.version};
};

}  // namespace kelvo::test
