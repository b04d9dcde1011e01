// What the platform-61 and platform-7 sensors measure, their status and alarms, the
// simulation of those from typed values, and the O2 calibrations.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "calibration/calibration.h"
#include "common/context.h"
#include "common/values.h"
#include "model/channels.h"
#include "model/identification.h"
#include "model/platform_profile.h"
#include "settings/field_binding.h"
#include "settings/platform61_codecs.h"
#include "windows/calibration_question.h"
#include "windows/channel_panel.h"
#include "windows/edit_field.h"
#include "windows/platform61/frm61.h"
#include "windows/window_host.h"

namespace kelvo {

namespace {
constexpr int kFirstChannel = 4;   // row k of the channel panel shows channel 4 + k
constexpr int kChannelWords = 20;  // RAM: the word of channel 4 + k at 20 + 2k
constexpr int kStatusByte = 67;
constexpr int kO2Channel = 6;

const QColor kGreen(0, 255, 0);
const QColor kRed(255, 0, 0);

// An alarm status field: "ALARM" on red, "OK" on green.
void showAlarm(QLineEdit* field, bool raised) {
    field->setText(QString::fromStdString(raised ? p61::kAlarmText : p61::kNoAlarmText));
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, raised ? kRed : kGreen);
    palette.setColor(QPalette::Text, Qt::black);
    field->setPalette(palette);
}

std::string text(const QLineEdit* field) {
    return field->text().toStdString();
}
}  // namespace

bool frm61::ActionSensorRead() {
    if (!SensorWindow::ActionSensorRead()) return false;
    rememberSensorAlarms();
    showAlarmStatus();
    return true;
}

bool frm61::ActionSensorWrite() {
    if (!SensorWindow::ActionSensorWrite()) return false;
    rememberSensorAlarms();
    showAlarmStatus();
    return true;
}

bool frm61::ActionSensorReadM() {
    if (!RunReads(ctx_, MeasurementReads(GetPlatform(ctx_)))) return false;
    return FormUpdateM();
}

bool frm61::FormUpdateM() {
    const bool clean = ctx_.ErrorText.empty();
    // Version 1 asks the model for each channel afresh; offline the image holds what was
    // typed, and nothing is asked of a sensor.
    const bool fresh = !platform7() && version_ == 1 && !cbxSimulated->isChecked();
    for (int k = 0; k < measuredRows_; ++k) {
        const int channel = kFirstChannel + k;
        const float raw = fresh ? GetChannelValue(ctx_, float(channel), false)
                                : float(readField(ctx_, ramWord(kChannelWords + 2 * k)));
        if (!ctx_.ErrorText.empty()) break;
        pctChannels->txbCHact[k]->setText(
            QString::fromStdString(FormatChannelValue(ctx_, raw, float(channel), false, false)));
    }
    showStatus();
    showAlarmStatus();
    return !(clean && !ctx_.ErrorText.empty());
}

bool frm61::FormReadM() {
    // Every version stores a typed value the way the sensor reports it, so that it shows
    // again as typed.
    for (int k = 0; k < measuredRows_; ++k) {
        const float raw = ParseChannelValue(ctx_, text(pctChannels->txbCHact[k]),
                                            float(kFirstChannel + k), false);
        writeField(ctx_, ramWord(kChannelWords + 2 * k),
                   uint32_t(std::clamp(double(raw), 0.0, 65535.0)));
    }
    return true;
}

void frm61::Simulate() {
    showAlarmStatus();
}

void frm61::showStatus() {
    const auto status = uint8_t(readField(ctx_, ramByte(kStatusByte)));
    QLineEdit* field = pctChannels->txbCHact[kStatusRow];
    field->setText(QString::fromStdString(p61::StatusShown(status)));
    setTextColour(field, p61::StatusIsError(status) ? kRed : kGreen);
}

const QLineEdit* frm61::valueOf(int channel) const {
    const int k = channel - kFirstChannel;
    return k >= 0 && k < measuredRows_ ? pctChannels->txbCHact[k] : nullptr;
}

std::vector<TrendMarker> frm61::trendMarkers() const {
    std::vector<TrendMarker> markers;
    auto add = [&markers](int row, const QLineEdit* level, const QString& label) {
        if (const auto value = NumberIn(text(level))) markers.push_back({row, *value, label});
    };
    if (platform7()) {
        for (int r = 0; r < kAlarmRows; ++r) {
            const auto channel =
                pickListCodec([this](int n) { return channelCaption(n); }, kChannelItems)
                    .store(lblAlarm7Channel[r]->text().toStdString());
            const int row = channel ? int(*channel) - kFirstChannel : -1;
            if (row < 0 || row >= measuredRows_) continue;
            add(row, lblAlarm7Level[r],
                QStringLiteral("%1 %2").arg(lblAlarm7Channel[r]->text(), lblAlarm7Slope[r]->text()));
        }
    } else if (version0()) {
        const char* names[kAlarmRows] = {"CO2 pre alarm", "CO2 main alarm", "O2 pre alarm",
                                         "O2 main alarm"};
        for (int r = 0; r < kAlarmRows; ++r) add(r < 2 ? 1 : 2, txbAlarm061Level[r], names[r]);
    }
    return markers;
}

std::vector<frm61::Alarm7Row> frm61::alarm7Rows() const {
    std::vector<Alarm7Row> rows;
    for (int r = 0; r < kAlarmRows; ++r) {
        rows.push_back({lblAlarm7Channel[r]->text().toStdString(), text(lblAlarm7Level[r]),
                        lblAlarm7Slope[r]->text().toStdString()});
    }
    return rows;
}

void frm61::rememberSensorAlarms() {
    if (platform7()) sensorAlarms7_ = alarm7Rows();
}

void frm61::showAlarmStatus() {
    if (platform7()) {
        // Live, the outputs follow the alarms the sensor holds, not edits it has not
        // received; offline the rows on screen are what is being tried out.
        const bool live = !cbxSimulated->isChecked();
        const std::vector<Alarm7Row> shown = alarm7Rows();
        const std::vector<Alarm7Row>& rows = live && !sensorAlarms7_.empty() ? sensorAlarms7_ : shown;
        std::vector<p61::AlarmRow> alarms;
        for (const Alarm7Row& row : rows) {
            const auto channel =
                pickListCodec([this](int n) { return channelCaption(n); }, kChannelItems)
                    .store(row.channel);
            const QLineEdit* value = channel ? valueOf(int(*channel)) : nullptr;
            alarms.push_back({value ? std::optional(text(value)) : std::nullopt, row.level, row.slope});
        }
        const p61::AlarmOutputs outputs = p61::Platform7Alarms(alarms);
        showAlarm(txbAlarm7StatusPre, outputs.pre);
        showAlarm(txbAlarm7StatusMain, outputs.main);
        const QString note = live && rows != shown
                                 ? QStringLiteral("As the sensor's own alarms give it; the edited "
                                                  "alarms count once sent to the sensor.")
                                 : QString();
        for (QLineEdit* field : {txbAlarm7StatusPre, txbAlarm7StatusMain}) field->setToolTip(note);
        return;
    }
    if (!version0()) return;
    // CO2 alarms go off above their levels, O2 alarms below theirs.
    for (int r = 0; r < kAlarmRows; ++r) {
        const bool co2 = r < 2;
        const std::string value = text(pctChannels->txbCHact[co2 ? 1 : 2]);
        showAlarm(txbAlarm061Status[r],
                  p61::AlarmRaised(value, text(txbAlarm061Level[r]),
                                   co2 ? p61::Slope::Above : p61::Slope::Below));
    }
}

bool frm61::ActionCalO2Zero() {
    // The menu item is disabled where there is no zero word; the code may come anyway.
    if (!mCalO2zero->isEnabled()) return failWith(ctx_, mCalO2zero->toolTip().toStdString());
    if (!askBeforeCalibrating({"O2 zero", CalQuantity::O2, float(kO2Channel), 0,
                               "zero gas (nitrogen) flowing over the O2 cell",
                               "the O2 zero word, from five readings over about 11 s"}))
        return false;
    host_.ShowProgress(QStringLiteral("Calibrating O2"));
    if (!CalO2Zero(ctx_)) return false;
    reportSuccess(QStringLiteral("O2 zero calibrated."));
    return true;
}

bool frm61::ActionCalO2Span() {
    const std::string answer =
        ctx_.prompt.input(promptInUnit("Enter correct O2 reading", answerUnit(AnswerIn::O2)));
    switch (checkAnswer(answer)) {
        case Answer::Cancelled:
            return true;
        case Answer::NotANumber:
            return false;
        case Answer::Number:
            break;
    }
    if (!askBeforeCalibrating({"O2 span", CalQuantity::O2, float(kO2Channel), ParseNumber(answer),
                               "a gas of known O2 content around the cell (fresh air holds 20.9 %)",
                               "the O2 span word"}))
        return false;
    const float raw = ParseChannelValue(ctx_, answer, float(kO2Channel), false);
    host_.ShowProgress(QStringLiteral("Calibrating O2 span"));
    if (!CalO2Span(ctx_, raw)) return false;
    reportSuccess(QStringLiteral("O2 span calibrated."));
    return true;
}

}  // namespace kelvo
