// The actions every sensor window runs from its activation loop. What a platform moves to
// and from the sensor comes from its profile.
#include <QStatusBar>
#include <QString>

#include "calibration/calibration.h"
#include "calibration/reference_value.h"
#include "common/context.h"
#include "common/id_byte.h"
#include "common/values.h"
#include "files/platform_settings_file.h"
#include "files/settings_file.h"
#include "link/sensor_command.h"
#include "link/sensor_link.h"
#include "model/channels.h"
#include "model/identification.h"
#include "model/platform_profile.h"
#include "model/tables.h"
#include "windows/calibration_question.h"
#include "windows/measurement_views.h"
#include "windows/sensor_window.h"
#include "windows/window_host.h"

namespace kelvo {

namespace {
constexpr uint8_t kTwaIdByte = 231;
constexpr float kO2Channel = 6;

// What the CO2 span and the temperature calibration rewrite differs by platform: a word on
// platform 5, a linearisation table elsewhere.
std::string spanChange(uint8_t platform) {
    if (platform == kPlatform5) return "the CO2 span word";
    if (platform == kPlatform7) return "the CO2 linearisation table";
    return "the CO2 linearisation table, fitted in two passes";
}
std::string temperatureChange(uint8_t platform) {
    return platform == kPlatform5 ? "the temperature offset word"
                                  : "every entry of the temperature table, shifted alike";
}
const char* const kSetFilter = "(*.Set)|*.Set";
}  // namespace

SensorWindow::Answer SensorWindow::checkAnswer(const std::string& answer) {
    if (answer.empty()) return Answer::Cancelled;
    return ReferenceNumber(ctx_, answer) ? Answer::Number : Answer::NotANumber;
}

bool SensorWindow::ActionSensorRead() {
    host_.ShowProgress(QStringLiteral("Reading from sensor"));
    const uint8_t platform = GetPlatform(ctx_);
    // Simulated while the image is empty, so nothing polls a half-read sensor.
    SimMode(true);
    // The sensor keeps the address it was opened at: on a network, address 30 reaches no one.
    SensorLinkInit(ctx_, static_cast<uint8_t>(ctx_.SensorAddress));
    if (!ReadSpans(ctx_, WholeImageReads(platform))) return false;
    SimMode(false);
    // SimMode(false) marks its change as nothing to report; the read itself went well.
    if (isCancelled(ctx_)) ctx_.ErrorText.clear();
    if (!FormUpdate()) return false;
    reportSuccess(
        QStringLiteral("Read from sensor %1.").arg(QString::fromStdString(SerialText(ctx_))));
    return true;
}

bool SensorWindow::ActionSensorWrite() {
    const std::vector<WriteRequest> steps = SettingsSendSteps(GetPlatform(ctx_), GetVersion(ctx_));
    if (steps.empty()) return failWith(ctx_, kUnknownSensorMessage);
    // Bytes a cancelled read left empty are fetched before the window stores its fields
    // over them, so the send carries the sensor's own values there, never zeros.
    if (!ReadUnknownBytes(ctx_, SpansOf(steps))) return false;
    if (!FormRead()) return false;
    host_.ShowProgress(QStringLiteral("Sending to sensor"));
    ctx_.BytesWritten = 0;
    if (!SendSettings(ctx_, steps)) return false;
    reportSuccess(QStringLiteral("Sent %1 bytes to sensor %2.")
                      .arg(ctx_.BytesWritten)
                      .arg(QString::fromStdString(SerialText(ctx_))));
    return true;
}

bool SensorWindow::ActionSettingsLoad() {
    const auto path = ctx_.prompt.openFile(kSetFilter);
    if (!path) return false;
    host_.ShowProgress(QStringLiteral("Loading settings"), true);
    if (path->empty()) return true;
    const PlatformProfile* profile = FindPlatform(GetPlatform(ctx_));
    if (!LoadSettings(ctx_, *path, profile ? profile->loadList : 0)) return false;
    FormUpdate();
    reportSuccess(QStringLiteral("Settings loaded from %1.").arg(QString::fromStdString(*path)));
    return true;
}

bool SensorWindow::ActionSettingsSave() {
    const auto path = ctx_.prompt.saveFile(kSetFilter);
    if (!path) return false;
    host_.ShowProgress(QStringLiteral("Saving settings"), true);
    const uint8_t platform = GetPlatform(ctx_);
    // The file holds the window's edits on top of what the sensor holds: read afresh, or,
    // where the window saves what it holds, with nothing left unread.
    const PlatformProfile* profile = FindPlatform(platform);
    const bool current = (!profile || profile->saveReadsWholeImage)
                             ? ReadSpans(ctx_, WholeImageReads(platform))
                             : ReadUnknownBytes(ctx_, WholeImageReads(platform));
    if (!current) return false;
    if (!FormRead()) return false;
    if (path->empty()) return true;
    if (!SavePlatformSettings(ctx_, *path)) return false;
    reportSuccess(QStringLiteral("Settings saved to %1.")
                      .arg(QString::fromStdString(SettingsFileName(*path))));
    return true;
}

std::string SensorWindow::answerUnit(AnswerIn quantity) const {
    // A prompt must not talk to the sensor: without an identified image there is no unit
    // to say, rather than a read before the question.
    if (!ctx_.RamRead[kRamIdByte]) return {};
    const float channel = quantity == AnswerIn::Temperature ? PlatformTempChannel(ctx_)
                          : quantity == AnswerIn::CO2       ? PlatformCO2Channel(ctx_)
                                                            : kO2Channel;
    const std::string unit = GetUnitText(ctx_, channel);
    return unit == "C" || unit == "F" ? "\xC2\xB0" + unit : unit;
}

bool SensorWindow::ActionTWAReset() {
    if (GetPlatform(ctx_) != kPlatform5 || GetIdByte(ctx_) != kTwaIdByte) {
        // Nothing goes to the sensor; the user still learns why nothing happened.
        reportSuccess(QStringLiteral("This sensor keeps no TWA; nothing was reset."));
        return true;
    }
    return resetTwa();
}

bool SensorWindow::resetTwa() {
    host_.ShowProgress(QStringLiteral("TWA reset"));
    // The older protocol has no TWA reset frame: "Can't reset TWA" would blame a sensor
    // that was never asked.
    if (ctx_.RamRead[kRamIdByte] && ProtocolOfIdByte(GetIdByte(ctx_)) == 1)
        return failWith(ctx_, "This sensor speaks protocol 1, which has no TWA reset command. "
                              "Nothing was sent to the sensor.");
    if (!SensorCommand(ctx_, kTwaReset, false)) return false;
    reportSuccess(QStringLiteral("TWA reset: the sensor acknowledged it."));
    return true;
}

bool SensorWindow::askBeforeCalibrating(const CalibrationPlan& plan) {
    if (AskBeforeCalibrating(ctx_, plan, measurementViews()->steadiness(shownIdOf(plan.channel))))
        return true;
    if (isCancelled(ctx_))
        statusBar()->showMessage(
            QStringLiteral("Calibration cancelled: nothing was sent to the sensor."));
    return false;
}

bool SensorWindow::ActionCalCO2Zero(int32_t calType) {
    // A sensor without reference calibrations (platform 7) is never zeroed by one; the
    // window's image knows which sensor it shows.
    if (calType != kCalZero && ctx_.RamRead[kRamIdByte]) {
        const PlatformProfile* profile = FindPlatform(PlatformOfIdByte(GetIdByte(ctx_)));
        if (profile && !profile->co2ReferenceCalibrations) return true;
    }
    std::string concentration;
    if (calType == kCalOther) {
        concentration = ctx_.prompt.input(
            promptInUnit("Please enter CO2 concentration", answerUnit(AnswerIn::CO2)));
        noteReference(concentration);
        if (checkAnswer(concentration) != Answer::Number) return false;
    }
    const float channel = PlatformCO2Channel(ctx_);
    CalibrationPlan plan{"CO2 zero", CalQuantity::CO2, channel, 0,
                         "zero gas (nitrogen or CO2-free air) flowing over the sensor",
                         "the CO2 zero word"};
    if (calType == kCalFreshAir) {
        const float air = GetZeroReference(ctx_, 0);
        if (!ctx_.ErrorText.empty()) return false;
        plan.title = "CO2 in fresh air";
        plan.reference = ParseNumber(FormatChannelValue(ctx_, air, channel, false, true));
        plan.gas = "fresh outdoor air around the sensor";
    } else if (calType == kCalOther) {
        plan.title = "CO2 to a known gas";
        plan.reference = ParseNumber(concentration);
        plan.gas = "the gas of that CO2 concentration around the sensor";
    }
    if (!askBeforeCalibrating(plan)) return false;
    host_.ShowProgress(QStringLiteral("Calibrating CO2 zero point"));
    if (!CalCO2SinglePoint(ctx_, kPlatformChannel, false, calType, concentration)) return false;
    reportSuccess(
        calType == kCalZero ? QStringLiteral("CO2 zero calibrated.")
        : calType == kCalFreshAir
            ? QStringLiteral("CO2 calibrated in fresh air.")
            : QStringLiteral("CO2 calibrated to %1.").arg(QString::fromStdString(concentration)));
    return true;
}

bool SensorWindow::ActionCalTempZero() {
    const std::string answer = ctx_.prompt.input(
        promptInUnit("Please enter correct temperature", answerUnit(AnswerIn::Temperature)));
    noteReference(answer);
    if (checkAnswer(answer) != Answer::Number) return false;
    if (!askBeforeCalibrating({"temperature", CalQuantity::Temperature, PlatformTempChannel(ctx_),
                               ParseNumber(answer),
                               "what a reference thermometer beside the sensor reads",
                               temperatureChange(GetPlatform(ctx_))}))
        return false;
    host_.ShowProgress(calTempProgress_);
    // The platform's own temperature channel: on platform 5 that is channel 0, elsewhere
    // channel 0 is no temperature at all.
    if (!kelvo::CalTemp(ctx_, static_cast<float>(ParseNumber(answer)), kPlatformChannel, false))
        return false;
    reportSuccess(QStringLiteral("Temperature calibrated."));
    return true;
}

bool SensorWindow::ActionCalCO2span() {
    if (!host_.showSpanCalNote() || !ctx_.ErrorText.empty()) return false;
    const std::string answer = ctx_.prompt.input(
        promptInUnit("Please enter span gas concentration", answerUnit(AnswerIn::CO2)));
    noteReference(answer);
    if (checkAnswer(answer) != Answer::Number) return false;
    const float channel = PlatformCO2Channel(ctx_);
    if (!askBeforeCalibrating({"CO2 span", CalQuantity::CO2, channel, ParseNumber(answer),
                               "span gas flowing over the sensor", spanChange(GetPlatform(ctx_))}))
        return false;
    host_.ShowProgress(QStringLiteral("Calibrating CO2 span"));
    const float raw = ParseChannelValue(ctx_, answer, channel, false);
    if (!CalCO2Span(ctx_, channel, NumberText(raw), false)) return false;
    reportSuccess(QStringLiteral("CO2 span calibrated."));
    return true;
}

}  // namespace kelvo
