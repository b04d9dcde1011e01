#pragma once
// What the two platform-5 windows (frm5 and the TWA-alarm window frm5Chart) have alike:
// the pick lists of channels, display modes and temperature units, and the sensor's RAM as
// the image holds it.

#include <array>

#include "windows/general_panel.h"
#include "windows/sensor_window.h"

class QAction;
class QMenu;

namespace kelvo {

class Platform5Window : public SensorWindow {
    Q_OBJECT

public:
    static constexpr int kChannels = 5;

    // Hidden pop-up pick lists.
    QMenu* mTempUnit = nullptr;
    QAction* mTempUnitCelsius = nullptr;
    QAction* mTempUnitFarenheit = nullptr;
    QMenu* mChannels = nullptr;
    std::array<QAction*, kChannels> mCHannel{};
    QMenu* mDisplayModes = nullptr;
    std::array<QAction*, kDisplayModes> mDisplayMode{};

protected:
    explicit Platform5Window(Context& ctx, WindowHost& host, QWidget* parent = nullptr);

    // The general panel with the parts the window shows, bound to the platform-5 RAM.
    void buildGeneralPanel(GeneralPanelLayout layout);

    // The image byte at a RAM address, as the whole number the sensor would take.
    uint8_t ram(int address) const;
    uint16_t ramWord(int address) const;
};

}  // namespace kelvo
