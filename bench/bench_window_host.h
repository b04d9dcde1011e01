#pragma once
// The shell's part, reduced to what a sensor window asks of it while it polls.

#include <iostream>

#include "common/context.h"
#include "model/identification.h"
#include "model/platform_profile.h"
#include "windows/sensor_windows.h"
#include "windows/window_host.h"

namespace kelvo::bench {

class BenchHost : public WindowHost {
public:
    void RestartOrEnd() override {}
    bool dontShowSetupDialog() const override { return false; }
    void setDontShowSetupDialog(bool) override {}
    void ShowProgress(const QString&, bool, QWidget*, bool, bool, bool) override {}
    bool showSpanCalNote() override { return false; }
    void openDocument(const QString&) override {}
};

// As start-up does: the identification, then the whole image the sensor's window shows,
// then the window, shown live. Null, with the reason on stderr, when the sensor did not
// answer.
inline SensorWindow* OpenLiveWindow(Context& ctx, WindowHost& host, SensorWindowSet& windows) {
    const uint8_t platform = GetPlatform(ctx);
    const PlatformProfile* profile = FindProfile(platform, GetVersion(ctx));
    if (!profile || !ReadSpans(ctx, WholeImageReads(platform))) {
        std::cerr << "the virtual sensor did not answer: " << ctx.ErrorText << "\n";
        return nullptr;
    }
    windows = createSensorWindows(ctx, host);
    SensorWindow* window = windows.at(profile->window).get();
    window->FormUpdateInit();
    window->FormUpdate();
    window->SimMode(false);
    ctx.ErrorText.clear();
    window->show();
    return window;
}

}  // namespace kelvo::bench
