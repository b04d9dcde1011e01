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
#include "model/identification.h"
#include "windows/channel_panel.h"
#include "windows/platform5/frm5.h"
#include "settings/platform5_codecs.h"
#include "windows/platform5/shape_picture.h"

namespace kelvo {

namespace {
// RAM addresses of the platform-5 settings and measurements.
constexpr int kStatus = 14;
constexpr int kChannelValues = 20;
constexpr int kDisplayModeAddr = 31;
constexpr int kShiftAddr = 32;
constexpr int kOutputRanges = 57;
constexpr int kTriggerTime = 187;
constexpr int kTriggerLevel = 188;
constexpr int kOutputConfig = 189;  // + 4j
constexpr int kBaseLine = 190;      // + 4j
constexpr int kIntTime = 192;       // + 4j
constexpr int kOutputLevels = 197;
constexpr int kTempUnit = 205;
constexpr int kShiftChannel = 207;
constexpr int kNetworkId = 208;

constexpr int kMeasuredChannels = 4;
constexpr int kHighestNetworkId = 29;
constexpr int kCelsiusByte = 16;     // unit code 1, channel 0
constexpr int kFahrenheitByte = 32;  // unit code 2, channel 0
constexpr int kDigitalBit = 64;
constexpr int kTriggerBit = 32;

std::string text(const QLineEdit* field) {
    return field->text().toStdString();
}
double number(const QLineEdit* field) {
    return ParseNumber(text(field));
}
}  // namespace

uint8_t frm5::ram(int address) const {
    const float value = ctx_.RamImage[address];
    return static_cast<uint8_t>(std::clamp(value, 0.0f, 255.0f));
}

uint16_t frm5::ramWord(int address) const {
    return static_cast<uint16_t>(ram(address) * 256 + ram(address + 1));
}

void frm5::setRam(int address, int value) {
    ctx_.RamImage[address] = static_cast<float>(std::clamp(value, 0, 255));
}

QString frm5::channelCaption(int channel) const {
    return channel >= 0 && channel < kChannels ? mCHannel[channel]->text() : QString();
}

void frm5::buildFieldTable() {
    makeEditable(txbID, [](QLineEdit* field) {
        const double id = std::clamp(ParseNumber(text(field)), 0.0, double(kHighestNetworkId));
        field->setText(QString::fromStdString(NumberText(id)));
        return false;  // the ID is stored when the window is read, not now
    });
    fields_.push_back({txbID, [this] { return QString::number(ram(kNetworkId)); },
                       [this](const QString& t) {
                           setRam(
                               kNetworkId,
                               static_cast<int>(ToInteger(std::clamp(
                                   ParseNumber(t.toStdString()), 0.0, double(kHighestNetworkId)))));
                       }});
    makeEditable(txbShiftBamount);
    fields_.push_back(
        {txbShiftBamount,
         [this] {
             const int c = ram(kShiftChannel) & 15;
             return QString::fromStdString(
                 FormatChannelValue(ctx_, float(p5::shiftAmount(ram(kShiftAddr))), c, true, false));
         },
         [this](const QString& t) {
             const int c = ram(kShiftChannel) & 15;
             setRam(kShiftAddr,
                    p5::shiftByte(c, ParseChannelValue(ctx_, t.toStdString(), float(c), true)));
         }});
    for (int j = 0; j < kOutputs; ++j) {
        makeEditable(txbOutBaseLine[j]);
        fields_.push_back(
            {txbOutBaseLine[j],
             [this, j] {
                 return QString::fromStdString(p5::baseLineText(ramWord(kBaseLine + 4 * j)));
             },
             [this, j](const QString& t) {
                 // A digital output has no base line: it rests at 0 %.
                 const uint16_t word = optOut5Digital[j]->isChecked()
                                           ? 32768
                                           : p5::baseLineWord(ParseNumber(t.toStdString()));
                 setRam(kBaseLine + 4 * j, word >> 8);
                 setRam(kBaseLine + 4 * j + 1, word & 255);
             }});
        makeEditable(txbOutIntTime[j], [](QLineEdit* field) {
            if (number(field) < 2) field->setText(QStringLiteral("2"));
            return true;
        });
        fields_.push_back(
            {txbOutIntTime[j],
             [this, j] { return QString::fromStdString(p5::intTimeText(ram(kIntTime + 4 * j))); },
             [this, j](const QString& t) {
                 setRam(kIntTime + 4 * j, p5::intTimeByte(ParseNumber(t.toStdString())));
             }});
    }
    makeEditable(txbDigTtime);
    fields_.push_back(
        {txbDigTtime,
         [this] { return QString::fromStdString(p5::triggerTimeText(ram(kTriggerTime))); },
         [this](const QString& t) {
             setRam(kTriggerTime, p5::triggerTimeByte(ParseNumber(t.toStdString()),
                                                      lblDigTunit->text() == mTimeUnitMin->text()));
         }});
    makeEditable(txbDigTlevel);
    fields_.push_back(
        {txbDigTlevel,
         [this] { return QString::fromStdString(p5::triggerLevelText(ram(kTriggerLevel))); },
         [this](const QString& t) {
             setRam(kTriggerLevel, p5::triggerLevelByte(ParseNumber(t.toStdString())));
         }});
}

bool frm5::FormUpdateInit() {
    const bool clean = ctx_.ErrorText.empty();
    for (int c = 0; c < kChannels; ++c) {
        const bool present = ChannelPresent(ctx_, float(c), false, false);
        mCHannel[c]->setText(QString::fromStdString(ChannelName(ctx_, float(c), false)));
        mCHannel[c]->setVisible(present);
        pctChannels->setRowChannel(c, present ? c : -1, ctx_);
    }
    cbxSimulated->setVisible(true);
    // A model routine that failed on the way has left its reason.
    return !(clean && !ctx_.ErrorText.empty());
}

bool frm5::FormUpdate() {
    txbSN->setText(QString::fromStdString(SerialText(ctx_)));
    for (int c = 0; c < 3; ++c) {
        pctChannels->lblCH_Type[c]->setText(QString::fromStdString(GetUnitText(ctx_, float(c))));
    }
    const int mode = ram(kDisplayModeAddr);
    lblDisplayMode->setText(mode < kDisplayModes ? mDisplayMode[mode]->text() : QString());
    const int shiftChannel = ram(kShiftChannel) & 15;
    lblShiftb->setText(channelCaption(shiftChannel));
    lblShiftb_Type->setText(QString::fromStdString(GetUnitText(ctx_, float(shiftChannel))));

    for (const BoundField& f : fields_) f.field->setText(f.show());

    for (int j = 0; j < kOutputs; ++j) {
        const bool digital = ram(kOutputConfig + 4 * j) & kDigitalBit;
        const bool range20 = ram(kOutputRanges) & (2 << j);
        (digital ? optOut5Digital[j] : range20 ? optOut5mA[j] : optOut5V[j])->setChecked(true);
        for (QWidget* w :
             {static_cast<QWidget*>(txbOutBaseLine[j]), static_cast<QWidget*>(txbOutIntTime[j]),
              static_cast<QWidget*>(lblOutBaseLine[j]),
              static_cast<QWidget*>(lblOutBaseLineUnit[j]), static_cast<QWidget*>(lblOutIntTime[j]),
              static_cast<QWidget*>(lblOutIntTimeUnit[j])}) {
            w->setVisible(!digital);
        }
    }

    updateFunctions();

    cbxDigTout[0]->setChecked(ram(kOutputConfig) & kTriggerBit);
    cbxDigTout[1]->setChecked(ram(kOutputConfig + 4) & kTriggerBit);
    lblDigTunit->setText((ram(kTriggerTime) & 128) ? mTimeUnitMin->text() : mTimeUnitSec->text());
    const bool negative = ram(kTriggerLevel) & 128;
    pctDigTPsign->setVisible(!negative);
    pctDigTNsign->setVisible(negative);
    if (cbxSimulated->isChecked()) Simulate();
    return true;
}

void frm5::storeShiftChannel() {
    for (int c = 0; c < kMeasuredChannels; ++c) {
        if (lblShiftb->text() == mCHannel[c]->text()) {
            setRam(kShiftChannel, ctx_.Definition.unitCode[c] * 16 + c);
        }
    }
}

bool frm5::FormRead() {
    // The label-driven settings first: the shift amount below depends on its channel.
    for (int i = 0; i < kDisplayModes; ++i) {
        if (lblDisplayMode->text() == mDisplayMode[i]->text()) {
            setRam(kDisplayModeAddr, i);
            break;
        }
    }
    storeShiftChannel();
    readFunctions();

    int ranges = ram(kOutputRanges);
    for (int j = 0; j < kOutputs; ++j) {
        const int bit = 2 << j;
        ranges = optOut5mA[j]->isChecked() ? (ranges | bit) : (ranges & ~bit);
        int config = ram(kOutputConfig + 4 * j);
        config = optOut5Digital[j]->isChecked() ? (config | kDigitalBit) : (config & ~kDigitalBit);
        config = cbxDigTout[j]->isChecked() ? (config | kTriggerBit) : (config & ~kTriggerBit);
        for (int i = 0; i < kFunctions; ++i) {
            const bool drives = (j == 0 ? cbxFout1[i] : cbxFout2[i])->isChecked();
            config = drives ? (config | (1 << i)) : (config & ~(1 << i));
        }
        setRam(kOutputConfig + 4 * j, config);
    }
    setRam(kOutputRanges, ranges);

    for (const BoundField& f : fields_) f.store(f.field->text());
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

void frm5::pickShiftChannel() {
    FormRead();
    popUp(lblShiftb, mChannels);
    storeShiftChannel();
    FormUpdate();
}

void frm5::pickTempUnit() {
    FormRead();
    QLabel* unit = pctChannels->lblCH_Type[0];
    popUp(unit, mTempUnit);
    if (unit->text() == QLatin1String("F")) setRam(kTempUnit, kFahrenheitByte);
    if (unit->text() == QLatin1String("C")) setRam(kTempUnit, kCelsiusByte);
    FormUpdate();
}

}  // namespace kelvo
