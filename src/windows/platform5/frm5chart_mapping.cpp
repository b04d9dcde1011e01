// Where the TWA-alarm window's settings live in the sensor's RAM: the alarm rows in the
// function slots, their relays in the output-1 configuration byte, their state in RAM 255.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "common/context.h"
#include "common/values.h"
#include "link/sensor_mem_read.h"
#include "model/channels.h"
#include "model/identification.h"
#include "windows/channel_panel.h"
#include "windows/edit_field.h"
#include "windows/field_controls.h"
#include "windows/platform5/frm5chart.h"
#include "windows/platform5/platform5_fields.h"

namespace kelvo {

namespace {
using namespace p5ram;

constexpr int kAlarmState = 255;  // bit k: row k is in alarm
constexpr uint8_t kCentralTempAlarmBit = 128;
constexpr int kTwaChannel = 3;
constexpr int kCO2Channel = 1;
constexpr int kTempChannel = 0;
// Address 162 says what row 0 watches; 205 then names the TWA channel's unit.
constexpr uint8_t kRowZeroOnTwa = 3;
constexpr uint8_t kRowZeroOnCO2 = 1;
constexpr uint8_t kTwaUnitByte = 243;

const QColor kAlarmRed(255, 0, 0);
const QColor kOkGreen(0, 255, 0);

// How each row's level makes its two parameters (raw steps of its channel): the CO2 alarms
// clear 10 below their level, the temperature alarms 100 beyond it.
struct AlarmRow {
    int inputChannel;
    int belowA;     // A = level - belowA
    int aboveB;     // B = level + aboveB
    bool levelIsA;  // the low alarm's level is its A; every other row's is its B
};
constexpr AlarmRow kAlarmRows[frm5Chart::kRows] = {
    {kCO2Channel, 10, 0, false},  {kCO2Channel, 10, 0, false},   {kCO2Channel, 0, 0, false},
    {kTempChannel, 0, 100, true}, {kTempChannel, 100, 0, false},
};
constexpr int kRowUnitChannel[frm5Chart::kRows] = {1, 1, 2, 0, 0};

// A and B of a row, each a 15-bit word beside its flag bit, as one field.
FieldPlace alarmPlace(int k) {
    FieldPlace place = ramWord(kParameterA + 5 * k, 127);
    const FieldPlace b = ramWord(kParameterB + 5 * k, 127);
    place.bytes.insert(place.bytes.end(), b.bytes.begin(), b.bytes.end());
    return place;
}

uint32_t unitByteOf(bool fahrenheit) {
    return fahrenheit ? kFahrenheitByte : kCelsiusByte;
}
}  // namespace

void frm5Chart::buildFieldTable() {
    // What row 0 watches and the temperature unit share three bytes: 162 says TWA or
    // momentary CO2, 205 holds the temperature unit or, with TWA, the TWA channel's unit,
    // and 207 keeps the temperature unit. Shown as the box and the unit label; stored
    // whole when either changes, and left as the sensor holds them otherwise.
    alarmSourceField_ = fields_.add(
        {"cbxTWAonP0",
         [this] {
             return std::string(cbxTWAonP0->isChecked() ? "1" : "0") +
                    pctChannels->lblCH_Type[0]->text().toStdString();
         },
         [this](const std::string& shown) {
             cbxTWAonP0->setChecked(!shown.empty() && shown[0] == '1');
             pctChannels->lblCH_Type[0]->setText(
                 QString::fromStdString(shown.empty() ? shown : shown.substr(1)));
         }},
        {Memory::Ram, {{kFunctionChannel, 0xFF}, {kTempUnit, 0xFF}, {kShiftChannel, 0xFF}}},
        {[this](uint32_t bits) {
             const bool twa = (bits >> 16) == kRowZeroOnTwa;
             return std::string(twa ? "1" : "0") + GetUnitText(ctx_, float(kTempChannel));
         },
         [](const std::string& shown) -> std::optional<uint32_t> {
             if (shown.empty()) return std::nullopt;
             const bool twa = shown[0] == '1';
             const uint32_t unit = unitByteOf(shown.substr(1) == "F");
             return uint32_t(twa ? kRowZeroOnTwa : kRowZeroOnCO2) << 16 |
                    (twa ? kTwaUnitByte : unit) << 8 | unit;
         }});
    connect(cbxTWAonP0, &QCheckBox::clicked, this, [this] {
        FormRead();
        FormUpdate();
    });

    for (int k = 0; k < kRows; ++k) buildAlarmFields(k);
}

void frm5Chart::buildAlarmFields(int k) {
    makeEditable(txbTolvaLevel[k]);
    const AlarmRow row = kAlarmRows[k];
    fields_.add(textControl(txbTolvaLevel[k]), alarmPlace(k),
                {[this, k, row](uint32_t bits) {
                     const uint32_t level = row.levelIsA ? bits >> 16 : bits & 0xFFFF;
                     // Row 0 shows its level as a value of what it watches.
                     int channel = row.inputChannel;
                     if (k == 0 && ram(kFunctionChannel) == kRowZeroOnTwa) channel = kTwaChannel;
                     return FormatChannelValue(ctx_, float(level), float(channel), false, false);
                 },
                 [this, row](const std::string& shown) -> std::optional<uint32_t> {
                     const float level =
                         ParseChannelValue(ctx_, shown, float(row.inputChannel), false);
                     const uint32_t a = parameterWord(level - float(row.belowA));
                     const uint32_t b = parameterWord(level + float(row.aboveB));
                     return a << 16 | b;
                 }});
    fields_.add(checkControl(cbxTolvarelay[k]), ramByte(kOutputConfig, uint8_t(1 << k)),
                flagCodec());
}

void frm5Chart::renameDisplayModes(bool twa) {
    mDisplayMode[1]->setText(twa ? QStringLiteral("CO2 TWA") : QStringLiteral("TEMP"));
    mDisplayMode[3]->setText(twa ? QStringLiteral("CO2 TWA + CO2") : QStringLiteral("TEMP + CO2"));
}

bool frm5Chart::FormUpdateInit() {
    // The rows keep their design captions; the image was read a moment ago, so its measured
    // values and alarm states are shown now rather than after the first poll.
    if (ramKnown(ctx_, kStatus, 1) && ramKnown(ctx_, kChannelValues, 8) &&
        ramKnown(ctx_, kAlarmState, 1)) {
        FormUpdateM();
    }
    return true;
}

bool frm5Chart::FormUpdate() {
    renameDisplayModes(ram(kFunctionChannel) == kRowZeroOnTwa);
    general_->show();
    txbVersion->setText(QString::fromStdString(NumberText(GetVersion(ctx_))));
    fields_.show(ctx_);
    for (int c = 0; c < kChannelRows; ++c) {
        pctChannels->lblCH_Type[c]->setText(QString::fromStdString(GetUnitText(ctx_, float(c))));
    }
    for (int k = 0; k < kRows; ++k) {
        lblFTolvaunit[k]->setText(
            QString::fromStdString(GetUnitText(ctx_, float(kRowUnitChannel[k]))));
    }
    if (cbxSimulated->isChecked()) Simulate();
    return true;
}

bool frm5Chart::FormRead() {
    // The version byte is left as the sensor holds it: marked as a version-3 sensor here, a
    // settings file saved from a version-1 or -2 sensor would turn it into one when sent
    // back with "Send file to sensor".
    general_->store();
    fields_.store(ctx_);
    return true;
}

void frm5Chart::showStatus(int k, bool alarm) {
    txbStatus[k]->setText(alarm ? QStringLiteral("ALARM") : QStringLiteral("OK"));
    QPalette palette = txbStatus[k]->palette();
    palette.setColor(QPalette::Base, alarm ? kAlarmRed : kOkGreen);
    palette.setColor(QPalette::Text, Qt::black);
    txbStatus[k]->setPalette(palette);
}

bool frm5Chart::FormUpdateM() {
    const int channels[kChannelRows] = {kTempChannel, kCO2Channel, kTwaChannel};
    for (int row = 0; row < kChannelRows; ++row) {
        const float raw = ramWord(kChannelValues + 2 * channels[row]);
        pctChannels->txbCHact[row]->setText(QString::fromStdString(
            FormatChannelValue(ctx_, raw, float(channels[row]), false, false)));
    }
    txbTolvaActTempAenable->setText((ram(kStatus) & kCentralTempAlarmBit)
                                        ? QStringLiteral("Enabled")
                                        : QStringLiteral("Disabled"));
    for (int k = 0; k < kRows; ++k) showStatus(k, ram(kAlarmState) & (1 << k));
    return true;
}

bool frm5Chart::ActionSensorReadM() {
    const struct {
        int address;
        uint8_t count;
        bool keepOpen;
    } reads[] = {{kStatus, 1, true}, {kChannelValues, 8, true}, {kAlarmState, 1, false}};
    for (const auto& r : reads) {
        if (!SensorMemRead(ctx_, 0, float(r.address), r.count, false, r.keepOpen)) {
            // The window says so itself before the loop does, and is simulated already when
            // the loop's own message comes.
            if (!isCancelled(ctx_)) {
                ctx_.prompt.message("No sensor detected, entering simulated mode.");
                SimMode(true);
            }
            return false;
        }
    }
    return FormUpdateM();
}

void frm5Chart::Simulate() {
    if (GetPlatform(ctx_) != kPlatform5) return;
    const auto number = [](const QLineEdit* field) {
        return ParseNumber(field->text().toStdString());
    };
    const double temperature = number(pctChannels->txbCHact[0]);
    const double co2 = number(pctChannels->txbCHact[1]);
    const double twa = number(pctChannels->txbCHact[2]);
    showStatus(0, !(number(txbTolvaLevel[0]) > (cbxTWAonP0->isChecked() ? twa : co2)));
    showStatus(1, !(number(txbTolvaLevel[1]) > co2));
    // The low alarm sounds at its level already; the high one only beyond it.
    showStatus(3, number(txbTolvaLevel[3]) >= temperature);
    showStatus(4, !(number(txbTolvaLevel[4]) > temperature));
}

void frm5Chart::pickTempUnit() {
    QLabel* unit = pctChannels->lblCH_Type[0];
    if (!shownEditable(unit) || GetPlatform(ctx_) != kPlatform5) return;
    FormRead();
    popUp(unit, mTempUnit);
    fields_.store(ctx_, alarmSourceField_);
    FormUpdate();
}

}  // namespace kelvo
