// Where the platform-6 settings live in the sensor's EEPROM, which control shows them, and
// which panels each version code shows.
#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <algorithm>

#include "common/context.h"
#include "common/values.h"
#include "model/channels.h"
#include "model/identification.h"
#include "settings/platform6_codecs.h"
#include "settings/platform6_panels.h"
#include "windows/channel_panel.h"
#include "windows/edit_field.h"
#include "windows/field_controls.h"
#include "windows/general_panel.h"
#include "windows/platform5/shape_picture.h"
#include "windows/platform6/frm6.h"

namespace kelvo {

namespace {
constexpr int kDigitalLevel = 96;
constexpr int kFunctionChannel = 106;  // + 5i
constexpr int kParameterA = 107;       // + 5i, bit 15: negative sign
constexpr int kParameterB = 109;       // + 5i, bit 15: positive slope
constexpr int kTriggerLevel = 136;
constexpr int kTriggerTime = 137;
constexpr int kOutputFirst = 138;   // + 3j
constexpr int kOutputBase = 139;    // + 3j
constexpr int kOutputSecond = 140;  // + 3j
// A function's A and B keep their flag in the top bit of the word.
constexpr long long kFifteenBits = 0x7FFF;
constexpr uint8_t kDigitalBit = 64;   // first byte: digital; second byte: TMO
constexpr uint8_t kTriggerBit = 32;   // first byte: the trigger drives the output
constexpr uint8_t kDigOutBit = 32;    // second byte: the digital output drives it
constexpr uint8_t kInvertBit = 16;
constexpr uint8_t kFunction5Bit = 128;
constexpr uint8_t kIntTimeBits = 7;
constexpr uint8_t kFlagBit = 128;
constexpr uint32_t kSignBits = 0x8000;
constexpr uint32_t kSlopeBits = 0x0080;
// The output channels whose levels each panel set shows.
constexpr int kOutputChannels[frm6::kOutputs] = {0, 1, 9, 10};

enum OutputOption { kOptionAnalog, kOptionDigital, kOptionTMO };

double number(const QLineEdit* field) {
    return ParseNumber(field->text().toStdString());
}

FieldCodec byteCodec(std::string (*show)(uint8_t), std::function<uint8_t(double)> store) {
    return {
        [show](uint32_t bits) { return show(uint8_t(bits)); },
        [store](const std::string& t) -> std::optional<uint32_t> { return store(ParseNumber(t)); }};
}

FieldControl groupControl(QLineEdit* field) {
    return textControl(field);
}
}  // namespace

uint8_t frm6::eeprom(int address) const {
    return static_cast<uint8_t>(readField(ctx_, eepromByte(address)));
}

FieldTable::Id frm6::bindText(FieldTable& table, QLineEdit* field, FieldPlace place,
                              FieldCodec codec, FieldCheck check) {
    makeEditable(field, std::move(check));
    return table.add(textControl(field), std::move(place), std::move(codec));
}

void frm6::buildFieldTables() {
    // The outputs come before the functions: a function's shapes depend on whether it
    // drives a digital output.
    for (int j = 0; j < kOutputs; ++j) buildOutputFields(j);
    for (int i = 0; i < kFunctions; ++i) buildFunctionFields(i);
    buildLevelFields();
    buildPanelGroups();
}

void frm6::buildOutputFields(int j) {
    const int first = kOutputFirst + 3 * j;
    const int second = kOutputSecond + 3 * j;
    // TMO (second byte) wins over digital (first byte) when the sensor holds both.
    standard_.add(choiceControl(pctOut6[j]->objectName(),
                                {optOut6Analog[j], optOut6Digital[j], optOut6TMO[j]}),
                  {Memory::Eeprom, {{first, kDigitalBit}, {second, kDigitalBit}}},
                  {[](uint32_t bits) {
                       const int option = (bits & kDigitalBit)          ? kOptionTMO
                                          : (bits & (kDigitalBit << 8)) ? kOptionDigital
                                                                        : kOptionAnalog;
                       return std::to_string(option);
                   },
                   [](const std::string& option) -> std::optional<uint32_t> {
                       if (option == std::to_string(kOptionDigital))
                           return uint32_t(kDigitalBit) << 8;
                       if (option == std::to_string(kOptionTMO)) return kDigitalBit;
                       if (option == std::to_string(kOptionAnalog)) return 0;
                       return std::nullopt;
                   }});
    standard_.add(checkControl(cbxOut6Invert[j]), eepromByte(second, kInvertBit), flagCodec());
    bindText(standard_, txbOutIntTime[j], eepromByte(second, kIntTimeBits),
             byteCodec(p6::intTimeText, p6::intTimeCode), [this](QLineEdit* field) {
                 // Only powers of two from 2 s are stored: say which one a typed time became.
                 showHeld(field,
                          QString::fromStdString(p6::intTimeText(p6::intTimeCode(number(field)))));
                 return true;
             });
    bindText(standard_, txbOutBaseLine[j], eepromByte(kOutputBase + 3 * j),
             byteCodec(p6::baseLineText, p6::baseLineByte), [](QLineEdit* field) {
                 const double p = number(field);
                 if (p > 200) field->setText(QStringLiteral("200"));
                 if (p < -200) field->setText(QStringLiteral("-200"));
                 return true;
             });
    standard_.add(checkControl(cbxDigTout[j]), eepromByte(first, kTriggerBit), flagCodec());
    standard_.add(checkControl(cbxDigout[j]), eepromByte(second, kDigOutBit), flagCodec());
}

void frm6::buildFunctionFields(int i) {
    const int base = 5 * i;
    const int channelAddr = kFunctionChannel + base;
    functionChannelField_[i] =
        standard_.add(textControl(lblFchannel[i]), eepromByte(channelAddr),
                      pickListCodec([this](int k) { return mFchannel[k]->text().toStdString(); },
                                    kFunctionChannelItems));
    // A and B are raw values of the function's channel, 15 bits beside the flag bit.
    // Held at the nearest value the 15 bits can store: masked, 70000 ppm came back as 4464.
    const auto heldRaw = [this, channelAddr](const std::string& t) {
        const float raw = ParseChannelValue(ctx_, t, float(eeprom(channelAddr) + 2), false);
        return uint32_t(std::clamp<long long>(ToInteger(raw), 0, kFifteenBits));
    };
    const auto shownRaw = [this, channelAddr](uint32_t raw) {
        return FormatChannelValue(ctx_, float(raw), float(eeprom(channelAddr) + 2), false, false);
    };
    for (auto [field, address] : {std::pair{txbFa[i], kParameterA}, {txbFb[i], kParameterB}}) {
        bindText(
            standard_, field, eepromWord(address + base, 127),
            {shownRaw,
             [heldRaw](const std::string& t) -> std::optional<uint32_t> { return heldRaw(t); }},
            [this, heldRaw, shownRaw](QLineEdit* field) {
                const std::string typed = field->text().toStdString();
                const uint32_t raw = heldRaw(typed);
                if (raw == 0 || raw == kFifteenBits)
                    showHeld(field, QString::fromStdString(shownRaw(raw)));
                return true;
            });
    }
    for (int j = 0; j < kOutputs; ++j) {
        const FieldPlace route = i < 5 ? eepromByte(kOutputFirst + 3 * j, uint8_t(1 << i))
                                       : eepromByte(kOutputSecond + 3 * j, kFunction5Bit);
        standard_.add(checkControl(cbxFout[j][i]), route, flagCodec());
    }
    // The shape shows the sign flag of A and the slope flag of B; which picture stands for
    // them depends on the routing above. The full-range shapes show no sign: while the
    // picture shown is still the one chosen for the bits, the bits are what it holds.
    standard_.add(
        {pctFunction[i]->objectName().toStdString(),
         [this, i] {
             if (visibleShape(i) == shownShape_[i].first) return shownShape_[i].second;
             const uint32_t sign = FunkTypeRead(float(i), false, true) ? kSignBits : 0;
             const uint32_t slope = FunkTypeRead(float(i), true, false) ? kSlopeBits : 0;
             return std::to_string(sign | slope);
         },
         [this, i](const std::string& shown) {
             const uint32_t bits = uint32_t(std::stoul(shown));
             FunkTypeUpdate(float(i), false, !(bits & kSignBits), bits & kSlopeBits);
             shownShape_[i] = {visibleShape(i), shown};
         }},
        {Memory::Eeprom, {{kParameterA + base, kFlagBit}, {kParameterB + base, kFlagBit}}},
        bitsCodec());
}

void frm6::buildLevelFields() {
    bindText(
        standard_, txbDigTtime, eepromByte(kTriggerTime, 127),
        byteCodec(p6::triggerTimeText, [](double t) { return p6::triggerTimeByte(t, false); }));
    standard_.add(textControl(lblDigTunit), eepromByte(kTriggerTime, kFlagBit),
                  {[this](uint32_t minutes) {
                       return (minutes ? mTimeUnitMin : mTimeUnitSec)->text().toStdString();
                   },
                   [this](const std::string& unit) -> std::optional<uint32_t> {
                       return unit == mTimeUnitMin->text().toStdString() ? kFlagBit : 0;
                   }});
    bindText(standard_, txbDigTlevel, eepromByte(kTriggerLevel),
             byteCodec(p6::levelText, p6::levelByte));
    bindText(standard_, txbDigLevel, eepromByte(kDigitalLevel),
             byteCodec(p6::levelText, p6::levelByte));
}

void frm6::buildPanelGroups() {
    // VAV: its maximum and minimum go to the sensor as a test position when left; the other
    // fields commit like any field.
    for (QLineEdit* field : {txbSetPV1CO2, txbSetPV1Temp, txbOutV1IntTimeVAV, txbOutV1IntTime})
        makeEditable(field);
    new EditFieldBehaviour(txbUseMax, [this] { leaveVavField(txbUseMax, kActionVAVMax); });
    new EditFieldBehaviour(txbUseMin, [this] { leaveVavField(txbUseMin, kActionVAVMin); });
    vav_ = std::make_unique<FieldGroup>(
        std::vector<FieldControl>{groupControl(txbUseMax), groupControl(txbUseMin),
                                  groupControl(txbSetPV1Temp), groupControl(txbSetPV1CO2),
                                  groupControl(txbOutV1IntTimeVAV), groupControl(txbOutV1IntTime),
                                  checkControl(optV1SlopePos)},
        [](Context& ctx) {
            const p6::VavTexts t = p6::showVav(ctx);
            return FieldGroup::Texts(t.begin(), t.end());
        },
        [](Context& ctx, const FieldGroup::Texts& texts) {
            p6::VavTexts t;
            std::copy_n(texts.begin(), t.size(), t.begin());
            p6::storeVav(ctx, t);
        });

    for (QLineEdit* field : {txbV4SetPCO2, txbV4SetPtemp, txbV4PrangeVentTemp, txbV4PrangeCoolTemp,
                             txbV4PrangeVentCO2, txbV4MinVent})
        makeEditable(field);
    sequential_ = std::make_unique<FieldGroup>(
        std::vector<FieldControl>{groupControl(txbV4SetPCO2), groupControl(txbV4SetPtemp),
                                  groupControl(txbV4PrangeVentTemp),
                                  groupControl(txbV4PrangeCoolTemp),
                                  groupControl(txbV4PrangeVentCO2), groupControl(txbV4MinVent)},
        [](Context& ctx) {
            const p6::SequentialTexts t = p6::showSequential(ctx);
            return FieldGroup::Texts(t.begin(), t.end());
        },
        [](Context& ctx, const FieldGroup::Texts& texts) {
            p6::SequentialTexts t;
            std::copy_n(texts.begin(), t.size(), t.begin());
            p6::storeSequential(ctx, t);
        });

    std::vector<FieldControl> sixV3;
    for (QLineEdit* field : txb6v3) {
        makeEditable(field);
        sixV3.push_back(groupControl(field));
    }
    for (QLineEdit* mirror : {txb6v3A2, txb6v3D2, txb6v3G2}) makeEditable(mirror);
    sixV3_ = std::make_unique<FieldGroup>(
        std::move(sixV3),
        [this](Context&) {
            FieldGroup::Texts texts;
            for (double v : sixV3ValuesOf(limits_)) texts.push_back(NumberText(v));
            return texts;
        },
        [this](Context& ctx, const FieldGroup::Texts& texts) {
            SixV3Values values{};
            for (size_t k = 0; k < values.size(); ++k) values[k] = ParseNumber(texts[k]);
            std::string why;
            const std::optional<FunctionLimits> kept =
                p6::storeSixV3(ctx, values, sixV3ValuesOf(limits_), why);
            if (!kept) {
                // Stored as something else, the settings would change under the user's
                // eyes at the next read; the panel goes back to what the sensor will keep.
                statusBar()->showMessage(
                    QStringLiteral("The sensor cannot keep these 6v3 settings (%1): they were "
                                   "left as they were.")
                        .arg(QString::fromStdString(why)));
                return;
            }
            limits_ = *kept;
            if (!why.empty())
                statusBar()->showMessage(
                    QStringLiteral("Kept; the sensor's functions could not hold these 6v3 "
                                   "settings before either: %1.")
                        .arg(QString::fromStdString(why)));
        });
}

bool frm6::FormUpdateInit() {
    const float version = GetVersion(ctx_);
    version_ = version == float(int(version)) ? int(version) : -1;
    product_ = GetIdByte(ctx_);
    int row = 0;
    for (int c = 0; c < kChannelItems; ++c) {
        const bool listed = ChannelPresent(ctx_, float(c), true, false);
        const QString name = QString::fromStdString(ChannelName(ctx_, float(c), false));
        mCHannel[c]->setVisible(listed);
        if (listed) mCHannel[c]->setText(name);
        if (c >= 2) {
            mFchannel[c - 2]->setVisible(listed);
            if (listed) mFchannel[c - 2]->setText(name);
        }
        // Output channels (0, 1, 9, 10) are shown with their outputs, not as rows.
        if (ChannelPresent(ctx_, float(c), true, true) && row < kChannelRows)
            pctChannels->setRowChannel(row++, c, ctx_);
    }
    for (; row < kChannelRows; ++row) pctChannels->setRowChannel(row, -1, ctx_);
    if (version_ == 3) limits_ = p6::loadFunctionLimits(ctx_);
    showPanels();
    showOutputCaptions();
    cbxSimulated->setText(QStringLiteral("Off line"));
    return true;
}

void frm6::showPanels() {
    const bool standard = version_ == 0 || version_ == 2 || version_ < 0 || version_ > 5;
    const bool threeOutputs = version_ == 2;
    for (QFrame* f : pctFunction) f->setVisible(standard);
    for (int j = 0; j < kOutputs; ++j) pctOut[j]->setVisible(standard && !(threeOutputs && j == 3));
    pctD->setVisible(standard);
    pctDT->setVisible(standard);
    for (int i = 0; i < kFunctions; ++i) cbxFout[3][i]->setVisible(!threeOutputs);
    cbxDigout[3]->setVisible(!threeOutputs);
    cbxDigTout[3]->setVisible(!threeOutputs);
    for (QFrame* f : {pctSetpV1, pctOutV1VAV, pctOutV1}) f->setVisible(version_ == 1);
    pct6v3Settings->setVisible(version_ == 3);
    pctSecCont->setVisible(version_ == 4);
}

void frm6::showOutputCaptions() {
    // On these sensors the first output record drives the terminal marked "Out 2".
    const bool swapped = version_ == 2 || product_ == p6::kProductVavOut2;
    for (int j = 0; j < kOutputs; ++j) {
        const int shown = (swapped && j < 2) ? 2 - j : j + 1;
        const QString name = QStringLiteral("Out %1").arg(shown);
        lblOutName[j]->setText(name);
        for (int i = 0; i < kFunctions; ++i) cbxFout[j][i]->setText(name);
        cbxDigout[j]->setText(name);
        cbxDigTout[j]->setText(name);
    }
    // Read left to right, the panel captioned "Out 1" comes first.
    for (int j : {0, 1}) outputRow_->removeWidget(pctOut[j]);
    outputRow_->insertWidget(0, pctOut[swapped ? 1 : 0]);
    outputRow_->insertWidget(1, pctOut[swapped ? 0 : 1]);
}

bool frm6::FormUpdate() {
    general_->show();
    switch (version_) {
        case 1:
            vav_->show(ctx_);
            vavImageStale_ = false;
            optV1SlopeNeg->setChecked(!optV1SlopePos->isChecked());
            return true;
        case 3:
            sixV3_->show(ctx_);
            return true;
        case 4:
            sequential_->show(ctx_);
            return true;
        case 0:
        case 2:
            break;
        default:
            return true;
    }
    standard_.show(ctx_);
    for (int i = 0; i < kFunctions; ++i) {
        const QString unit =
            QString::fromStdString(GetUnitText(ctx_, float(eeprom(kFunctionChannel + 5 * i) + 2)));
        lblFaUnit[i]->setText(unit);
        lblFbUnit[i]->setText(unit);
    }
    const bool triggerNegative = eeprom(kTriggerLevel) & kFlagBit;
    pctDigTPsign->setVisible(!triggerNegative);
    pctDigTNsign->setVisible(triggerNegative);
    const bool levelNegative = eeprom(kDigitalLevel) & kFlagBit;
    pctDigPSign->setVisible(!levelNegative);
    pctDigNSign->setVisible(levelNegative);
    if (cbxSimulated->isChecked()) Simulate();
    // Only the windows with outputs to simulate call the box "Simulated".
    cbxSimulated->setText(QStringLiteral("Simulated"));
    return true;
}

bool frm6::FormRead() {
    general_->store();
    switch (version_) {
        case 1:
            // Bytes a test position wrote, or put back, are replaced by the panel's settings.
            vav_->store(ctx_, vavImageStale_);
            return true;
        case 3:
            sixV3_->store(ctx_);
            return true;
        case 4:
            sequential_->store(ctx_);
            return true;
        case 0:
        case 2:
            standard_.store(ctx_);
            return true;
        default:
            return true;
    }
}

bool frm6::FormUpdateM() {
    for (int k = 0; k < kChannelRows && ctx_.ErrorText.empty(); ++k) {
        if (!pctChannels->rowShown(k)) continue;
        const float raw = GetChannelValue(ctx_, float(pctChannels->rowChannel(k)), false);
        if (ctx_.ErrorText.empty()) pctChannels->showRaw(k, raw, ctx_);
    }
    const auto showLevel = [this](QLineEdit* field, int channel) {
        if (!ctx_.ErrorText.empty()) return;
        const float raw = GetChannelValue(ctx_, float(channel), false);
        if (ctx_.ErrorText.empty())
            field->setText(QString::fromStdString(
                FormatChannelValue(ctx_, raw, float(channel), false, false)));
    };
    const bool vavOnOut2 = product_ == p6::kProductVavOut2;
    switch (version_) {
        case 0:
        case 2:
            for (int j = 0; j < kOutputs; ++j) {
                if (!pctOut[j]->isHidden()) showLevel(txbOutOut[j], kOutputChannels[j]);
            }
            break;
        case 1:
            showLevel(txbOutV1OutVAV, vavOnOut2 ? 1 : 0);
            showLevel(txbOutV1Out, vavOnOut2 ? 0 : 1);
            break;
        case 3:
            for (int k = 0; k < 3; ++k) showLevel(txb6v3AN[k], kOutputChannels[k]);
            break;
        case 4:
            showLevel(txbV4Out1Out, 1);
            showLevel(txbV4Out2Out, 0);
            break;
        default:
            break;
    }
    return true;
}

}  // namespace kelvo
