// Where the platform-5 settings live in the sensor's RAM and which control shows them.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>

#include "common/context.h"
#include "common/values.h"
#include "link/sensor_mem_read.h"
#include "model/channels.h"
#include "model/definition_access.h"
#include "model/identification.h"
#include "settings/platform5_codecs.h"
#include "windows/channel_panel.h"
#include "windows/field_controls.h"
#include "windows/platform5/frm5.h"
#include "windows/platform5/platform5_fields.h"
#include "windows/platform5/shape_picture.h"

namespace kelvo {

namespace {
// RAM addresses of the platform-5 settings and measurements.
constexpr int kStatus = 14;
constexpr int kChannelValues = 20;
constexpr int kOutputRanges = 57;
constexpr int kTriggerTime = 187;
constexpr int kTriggerLevel = 188;
constexpr int kOutputConfig = 189;  // + 4j
constexpr int kBaseLine = 190;      // + 4j
constexpr int kIntTime = 192;       // + 4j
constexpr int kOutputLevels = 197;
constexpr int kTempUnit = 205;

constexpr int kMeasuredChannels = 4;
constexpr uint8_t kDigitalBit = 64;
constexpr uint8_t kTriggerBit = 32;
constexpr uint8_t kMinutesBit = 128;
constexpr uint8_t kQuarterBits = 127;
constexpr uint16_t kZeroBaseLine = 32768;

// The options of an output, in the order its choice control counts them.
enum OutputOption { kOption0To100, kOption20To100, kOptionDigital };

std::string text(const QLineEdit* field) {
    return field->text().toStdString();
}
double number(const QLineEdit* field) {
    return ParseNumber(text(field));
}

// A byte shown as a number, stored from the number typed.
FieldCodec numberCodec(std::string (*show)(uint8_t), uint8_t (*fromNumber)(double)) {
    return {[show](uint32_t bits) { return show(static_cast<uint8_t>(bits)); },
            [fromNumber](const std::string& t) -> std::optional<uint32_t> {
                return fromNumber(ParseNumber(t));
            }};
}
}  // namespace

void frm5::setRam(int address, int value) {
    ctx_.RamImage[address] = static_cast<float>(std::clamp(value, 0, 255));
}

FieldCodec frm5::channelCodec() const {
    return pickListCodec([this](int c) { return mCHannel[c]->text().toStdString(); },
                         kMeasuredChannels);
}

FieldTable::Id frm5::bindText(QLineEdit* field, FieldPlace place, FieldCodec codec,
                              FieldCheck check) {
    makeEditable(field, std::move(check));
    return fields_.add(textControl(field), std::move(place), std::move(codec));
}

void frm5::buildFieldTable() {
    for (int j = 0; j < kOutputs; ++j) buildOutputFields(j);
    for (int i = 0; i < kFunctions; ++i) buildFunctionFields(i);
    buildTriggerFields();
}

void frm5::buildOutputFields(int j) {
    // The option lives in two bytes: the 20-100 % bit of 57 and the digital bit of the
    // output's configuration. A digital output is stored with its range bit clear.
    const uint8_t rangeBit = uint8_t(2 << j);
    outputOptionField_[j] = fields_.add(
        choiceControl(pctOut5[j]->objectName(), {optOut5V[j], optOut5mA[j], optOut5Digital[j]}),
        {Memory::Ram, {{kOutputRanges, rangeBit}, {kOutputConfig + 4 * j, kDigitalBit}}},
        {[](uint32_t bits) {
             const int option = (bits & kDigitalBit) ? kOptionDigital
                                : (bits >> 8)        ? kOption20To100
                                                     : kOption0To100;
             return std::to_string(option);
         },
         [](const std::string& option) -> std::optional<uint32_t> {
             if (option == std::to_string(kOptionDigital)) return kDigitalBit;
             if (option == std::to_string(kOption20To100)) return 0xFF00;
             if (option == std::to_string(kOption0To100)) return 0;
             return std::nullopt;
         }});
    baseLineField_[j] = bindText(txbOutBaseLine[j], kelvo::ramWord(kBaseLine + 4 * j),
                                 {[](uint32_t word) { return p5::baseLineText(uint16_t(word)); },
                                  [](const std::string& t) -> std::optional<uint32_t> {
                                      return p5::baseLineWord(ParseNumber(t));
                                  }});
    bindText(txbOutIntTime[j], ramByte(kIntTime + 4 * j),
             numberCodec(p5::intTimeText, p5::intTimeByte), [](QLineEdit* field) {
                 if (number(field) < 2) field->setText(QStringLiteral("2"));
                 return true;
             });
}

void frm5::buildTriggerFields() {
    for (int j = 0; j < kOutputs; ++j) {
        fields_.add(checkControl(cbxDigTout[j]), ramByte(kOutputConfig + 4 * j, kTriggerBit),
                    flagCodec());
    }
    bindText(
        txbDigTtime, ramByte(kTriggerTime, kQuarterBits),
        numberCodec(p5::triggerTimeText, [](double t) { return p5::triggerTimeByte(t, false); }));
    fields_.add(textControl(lblDigTunit), ramByte(kTriggerTime, kMinutesBit),
                {[this](uint32_t minutes) {
                     return (minutes ? mTimeUnitMin : mTimeUnitSec)->text().toStdString();
                 },
                 [this](const std::string& unit) -> std::optional<uint32_t> {
                     return unit == mTimeUnitMin->text().toStdString() ? kMinutesBit : 0;
                 }});
    bindText(txbDigTlevel, ramByte(kTriggerLevel),
             numberCodec(p5::triggerLevelText, p5::triggerLevelByte));
}

bool frm5::FormUpdateInit() {
    // The channels are named by the sensor's production definition; a sensor whose image is
    // no platform-5 image, or whose definition cannot be had, cannot be shown. A reason the
    // model gave stays the one the user sees.
    const bool clean = ctx_.ErrorText.empty();
    if (GetPlatform(ctx_) != kPlatform5 || !EnsureDefinition(ctx_))
        return failWith(ctx_, kCorruptSensorMessage);
    for (int c = 0; c < kChannels; ++c) {
        const bool present = ChannelPresent(ctx_, float(c), false, false);
        mCHannel[c]->setText(QString::fromStdString(ChannelName(ctx_, float(c), false)));
        mCHannel[c]->setVisible(present);
        pctChannels->setRowChannel(c, present ? c : -1, ctx_);
    }
    cbxSimulated->setVisible(true);
    // A model routine that failed on the way has left its reason.
    if (clean && !ctx_.ErrorText.empty()) return false;
    // The image was read whole a moment ago: its measured values are shown now rather than
    // after the first poll.
    if (ramKnown(ctx_, kChannelValues, 2 * kMeasuredChannels) && ramKnown(ctx_, kOutputLevels, 4))
        FormUpdateM();
    return true;
}

bool frm5::FormUpdate() {
    general_->show();
    for (int c = 0; c < 3; ++c) {
        pctChannels->lblCH_Type[c]->setText(QString::fromStdString(GetUnitText(ctx_, float(c))));
    }
    fields_.show(ctx_);

    // What the table's fields imply for the rest of the window.
    for (int j = 0; j < kOutputs; ++j) {
        const bool digital = ram(kOutputConfig + 4 * j) & kDigitalBit;
        for (QWidget* w :
             {static_cast<QWidget*>(txbOutBaseLine[j]), static_cast<QWidget*>(txbOutIntTime[j]),
              static_cast<QWidget*>(lblOutBaseLine[j]),
              static_cast<QWidget*>(lblOutBaseLineUnit[j]), static_cast<QWidget*>(lblOutIntTime[j]),
              static_cast<QWidget*>(lblOutIntTimeUnit[j])}) {
            w->setVisible(!digital);
        }
    }
    showFunctionUnits();
    const bool negative = ram(kTriggerLevel) & 128;
    pctDigTPsign->setVisible(!negative);
    pctDigTNsign->setVisible(negative);
    if (cbxSimulated->isChecked()) Simulate();
    return true;
}

bool frm5::FormRead() {
    general_->store();
    fields_.store(ctx_);
    // A digital output has no base line: when it is made digital, or its hidden base line
    // is changed, it rests at 0 %.
    for (int j = 0; j < kOutputs; ++j) {
        const bool changed =
            fields_.edited(outputOptionField_[j]) || fields_.edited(baseLineField_[j]);
        if (optOut5Digital[j]->isChecked() && changed) {
            writeField(ctx_, kelvo::ramWord(kBaseLine + 4 * j), kZeroBaseLine);
        }
    }
    return true;
}

bool frm5::FormUpdateM() {
    for (int c = 0; c < kMeasuredChannels; ++c) {
        const float raw = ramWord(kChannelValues + 2 * c);
        pctChannels->txbCHact[c]->setText(
            QString::fromStdString(FormatChannelValue(ctx_, raw, float(c), false, false)));
    }
    for (int j = 0; j < kOutputs; ++j) {
        txbOutOut[j]->setText(
            QString::fromStdString(p5::outputLevelText(ramWord(kOutputLevels + 2 * j))));
    }
    return true;
}

bool frm5::ActionSensorReadM() {
    const struct {
        int address;
        uint8_t count;
    } reads[] = {{kStatus, 1}, {kChannelValues, 8}, {kOutputLevels, 4}};
    for (const auto& r : reads) {
        if (!SensorMemRead(ctx_, 0, float(r.address), r.count, false, true)) return false;
    }
    return FormUpdateM();
}

void frm5::pickTempUnit(int c) {
    QLabel* unit = pctChannels->lblCH_Type[c];
    // Only a unit shown as changeable is a pick list, and only on a platform-5 sensor.
    if (!shownEditable(unit) || GetPlatform(ctx_) != kPlatform5) return;
    FormRead();
    popUp(unit, mTempUnit);
    if (c == 0 && unit->text() == QLatin1String("F")) setRam(kTempUnit, kFahrenheitByte);
    if (c == 0 && unit->text() == QLatin1String("C")) setRam(kTempUnit, kCelsiusByte);
    FormUpdate();
}

}  // namespace kelvo
