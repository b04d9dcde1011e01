#include "windows/platform5/platform5_window.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

#include "common/context.h"
#include "settings/field_binding.h"
#include "windows/edit_field.h"

namespace kelvo {

Platform5Window::Platform5Window(Context& ctx, WindowHost& host,
                                 const GeneralPanel::Captions& captions, QWidget* parent)
    : SensorWindow(ctx, host, parent), general_(this, captions) {
    mTempUnit = makeTempUnitPopup(mTempUnitCelsius, mTempUnitFarenheit);
    mChannels = makeChannelPopup(QStringLiteral("mChannels"), QStringLiteral("Channels"),
                                 "mCHannel", mCHannel.data(), kChannels);
    mDisplayModes = makeDisplayModePopup(mDisplayMode);
    // "Off" is shown when the sensor holds it but cannot be chosen.
    mDisplayMode[0]->setVisible(false);

    pctGeneral = general_.pctGeneral;
    pctDisplay5 = general_.pctDisplay5;
    txbSN = general_.txbSN;
    txbID = general_.txbID;
    lblDisplayMode = general_.lblDisplayMode;
    lblShiftb = general_.lblShiftb;
    txbShiftBamount = general_.txbShiftBamount;
    lblShiftb_Type = general_.lblShiftb_Type;
    styleDisplayLabel(lblDisplayMode, QColor(255, 255, 0));
    lblDisplayMode->installEventFilter(this);
}

uint8_t Platform5Window::ram(int address) const {
    return static_cast<uint8_t>(readField(ctx_, ramByte(address)));
}

uint16_t Platform5Window::ramWord(int address) const {
    return static_cast<uint16_t>(ram(address) * 256 + ram(address + 1));
}

}  // namespace kelvo
