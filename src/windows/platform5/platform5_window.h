#pragma once
// What the two platform-5 windows (frm5 and the TWA-alarm window frm5Chart) have alike:
// the pick lists of channels, display modes and temperature units, the general panel, and
// the sensor's RAM as the image holds it.

#include <array>

#include "windows/platform5/general_panel.h"
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

    // General panel.
    QFrame* pctGeneral = nullptr;
    QFrame* pctDisplay5 = nullptr;
    QLineEdit* txbSN = nullptr;
    QLineEdit* txbID = nullptr;
    QLabel* lblDisplayMode = nullptr;
    QLabel* lblShiftb = nullptr;
    QLineEdit* txbShiftBamount = nullptr;
    QLabel* lblShiftb_Type = nullptr;

protected:
    Platform5Window(Context& ctx, WindowHost& host, const GeneralPanel::Captions& captions,
                    QWidget* parent = nullptr);

    // The image byte at a RAM address, as the whole number the sensor would take.
    uint8_t ram(int address) const;
    uint16_t ramWord(int address) const;

    // The general panel, for rows a window adds before its columns are lined up.
    GeneralPanel general_;
};

}  // namespace kelvo
