#include "windows/platform5/platform5_window.h"

#include <QAction>
#include <QMenu>

#include "common/context.h"
#include "settings/field_binding.h"

namespace kelvo {

Platform5Window::Platform5Window(Context& ctx, WindowHost& host, QWidget* parent)
    : SensorWindow(ctx, host, parent) {
    mTempUnit = makeTempUnitPopup(mTempUnitCelsius, mTempUnitFarenheit);
    mChannels = makeChannelPopup(QStringLiteral("mChannels"), QStringLiteral("Channels"),
                                 "mCHannel", mCHannel.data(), kChannels);
    mDisplayModes = makeDisplayModePopup(mDisplayMode);
    // "Off" is shown when the sensor holds it but cannot be chosen.
    mDisplayMode[0]->setVisible(false);
}

void Platform5Window::buildGeneralPanel(GeneralPanelLayout layout) {
    layout.displayMode = true;
    general_ = new GeneralPanel(*this, layout, {mChannels, mCHannel, mDisplayModes, mDisplayMode});
    general_->bind(kPlatform5);
}

uint8_t Platform5Window::ram(int address) const {
    return static_cast<uint8_t>(readField(ctx_, ramByte(address)));
}

uint16_t Platform5Window::ramWord(int address) const {
    return static_cast<uint16_t>(ram(address) * 256 + ram(address + 1));
}

}  // namespace kelvo
