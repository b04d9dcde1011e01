// The actions every sensor window runs from its activation loop. Windows whose sensor keeps
// its settings elsewhere override the read, write and file hooks, not the actions.
#include <QString>

#include "calibration/calibration.h"
#include "common/context.h"
#include "common/values.h"
#include "files/settings_file.h"
#include "link/sensor_command.h"
#include "link/sensor_link.h"
#include "link/sensor_mem_read.h"
#include "link/sensor_mem_write.h"
#include "model/channels.h"
#include "model/identification.h"
#include "windows/sensor_window.h"
#include "windows/window_host.h"

namespace kelvo {

namespace {
constexpr int32_t kListWholeRam = 8;
constexpr int32_t kListPlatform5Settings = 6;
constexpr uint8_t kPlatform5Writer = 255;
constexpr uint8_t kTwaIdByte = 231;
constexpr float kCO2Channel = 1;
const char* const kSetFilter = "(*.Set)|*.Set";
}  // namespace

bool SensorWindow::readWholeImage() {
    return SensorMemRead(ctx_, kListWholeRam, 0, 0, false, false);
}

bool SensorWindow::writeSettings() {
    return SensorMemWrite(ctx_, kListPlatform5Settings, 0, 0, false, true, false, true, true, true);
}

int32_t SensorWindow::settingsLoadList() const {
    return kListPlatform5Settings;
}

uint8_t SensorWindow::settingsWriterFlag() const {
    return kPlatform5Writer;
}

bool SensorWindow::ActionSensorRead() {
    host_.ShowProgress(QStringLiteral("Reading from sensor"));
    // Simulated while the image is empty, so nothing polls a half-read sensor.
    SimMode(true);
    SensorLinkInit(ctx_, static_cast<uint8_t>(kSingleSensorAddress));
    if (!readWholeImage()) return false;
    SimMode(false);
    // SimMode(false) marks its change as nothing to report; the read itself went well.
    if (ctx_.ErrorText == "Avbryt") ctx_.ErrorText.clear();
    return FormUpdate();
}

bool SensorWindow::ActionSensorWrite() {
    if (!FormRead()) return false;
    host_.ShowProgress(QStringLiteral("Sending to sensor"));
    return writeSettings();
}

bool SensorWindow::ActionSettingsLoad() {
    const auto path = ctx_.prompt.openFile(kSetFilter);
    if (!path) return false;
    host_.ShowProgress(QStringLiteral("Loading settings"), true);
    if (path->empty()) return true;
    if (!LoadSettings(ctx_, *path, settingsLoadList())) return false;
    FormUpdate();
    return true;
}

bool SensorWindow::ActionSettingsSave() {
    const auto path = ctx_.prompt.saveFile(kSetFilter);
    if (!path) return false;
    host_.ShowProgress(QStringLiteral("Saving settings"), true);
    // The file holds the window's edits on top of what the sensor holds now.
    if (!readWholeImage()) return false;
    if (!FormRead()) return false;
    if (path->empty()) return true;
    return SaveSettings(ctx_, 0, *path, settingsWriterFlag(), true);
}

bool SensorWindow::ActionTWAReset() {
    if (GetPlatform(ctx_) != 5 || GetIdByte(ctx_) != kTwaIdByte) return true;
    host_.ShowProgress(QStringLiteral("TWA reset"));
    return SensorCommand(ctx_, kTwaReset, false);
}

bool SensorWindow::ActionCalCO2Zero(int32_t calType) {
    std::string concentration;
    if (calType == kCalOther) {
        concentration = ctx_.prompt.input("Please enter CO2 concentration");
        if (concentration.empty()) return false;
    }
    host_.ShowProgress(QStringLiteral("Calibrating CO2 zero point"));
    return CalCO2SinglePoint(ctx_, kPlatformChannel, false, calType, concentration);
}

bool SensorWindow::ActionCalTempZero() {
    const std::string answer = ctx_.prompt.input("Please enter correct temperature");
    if (answer.empty()) return false;
    host_.ShowProgress(QStringLiteral("Calibrating temperature"));
    return kelvo::CalTemp(ctx_, static_cast<float>(ParseNumber(answer)), 0, false);
}

bool SensorWindow::ActionCalCO2span() {
    if (!host_.showSpanCalNote() || !ctx_.ErrorText.empty()) return false;
    const std::string answer = ctx_.prompt.input("Please enter span gas concentration");
    if (answer.empty()) return false;
    host_.ShowProgress(QStringLiteral("Calibrating CO2 span"));
    const float raw = ParseChannelValue(ctx_, answer, kCO2Channel, false);
    return CalCO2Span(ctx_, kCO2Channel, NumberText(raw), false);
}

}  // namespace kelvo
