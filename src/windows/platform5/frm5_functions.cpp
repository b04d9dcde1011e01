// The output functions P1..P5 of the platform-5 window: their panels, their shapes, and
// where each function's channel, parameters, sign, slope and routing live in RAM.
#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStackedLayout>
#include <algorithm>

#include "common/context.h"
#include "common/values.h"
#include "model/channels.h"
#include "windows/control_names.h"
#include "windows/field_controls.h"
#include "windows/platform5/frm5.h"
#include "windows/platform5/platform5_fields.h"
#include "windows/platform5/shape_picture.h"

namespace kelvo {

namespace {
constexpr int kFunctionChannel = 162;  // + 5i
constexpr int kParameterA = 163;       // + 5i, word, bit 7 of the high byte: negative sign
constexpr int kParameterB = 165;       // + 5i, word, bit 7 of the high byte: positive slope
constexpr int kOutputConfig = 189;     // + 4j, bit i: function i drives output j
constexpr uint8_t kFlagBit = 128;
constexpr uint32_t kSignBits = 0x8000;  // the shape's bits as the table reads them
constexpr uint32_t kSlopeBits = 0x0080;

}  // namespace

QWidget* frm5::buildFunctionPanel(int i) {
    pctFunction[i] = new QFrame(this);
    pctFunction[i]->setObjectName(indexed("pctFunction", i));
    pctFunction[i]->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(pctFunction[i]);
    auto make = [&](auto* widget, const char* name) {
        widget->setObjectName(indexed(name, i));
        return widget;
    };
    lblFunctionName[i] = make(new QLabel(QStringLiteral("P%1").arg(i + 1)), "lblFunctionName");
    lblFchannel[i] = make(new QLabel(), "lblFchannel");
    lblFchannel[i]->setFrameShape(QFrame::Box);  // the frame shpFchannel marks it clickable
    lblFchannel[i]->installEventFilter(this);
    txbFa[i] = make(new QLineEdit(), "txbFa");
    txbFb[i] = make(new QLineEdit(), "txbFb");
    lblFaUnit[i] = make(new QLabel(), "lblFaUnit");
    lblFbUnit[i] = make(new QLabel(), "lblFbUnit");
    cbxFout1[i] = make(new QCheckBox(QStringLiteral("Out 1")), "cbxFout1");
    cbxFout2[i] = make(new QCheckBox(QStringLiteral("Out 2")), "cbxFout2");
    for (QCheckBox* box : {cbxFout1[i], cbxFout2[i]}) {
        // Routing may change the function's kind, and with it its picture.
        connect(box, &QCheckBox::clicked, this, [this] {
            FormRead();
            FormUpdate();
        });
    }

    // The ten pictures share one spot; exactly one is shown.
    auto* shapes = new QWidget(pctFunction[i]);
    auto* stack = new QStackedLayout(shapes);
    stack->setStackingMode(QStackedLayout::StackAll);
    for (int k = 0; k < kFunctionShapes; ++k) {
        auto* picture = new ShapePicture(k, shapes);
        picture->setObjectName(indexed(kShapePictureNames[k], i));
        picture->setVisible(false);
        stack->addWidget(picture);
        connect(picture, &ShapePicture::clicked, this, [this, i] {
            FunkTypeUpdate(float(i), true, true, true);
            FormRead();
            FormUpdate();
        });
        functionShape[i][k] = picture;
    }

    grid->addWidget(lblFunctionName[i], 0, 0);
    grid->addWidget(lblFchannel[i], 0, 1, 1, 2);
    grid->addWidget(shapes, 1, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("A = ")), 2, 0);
    grid->addWidget(txbFa[i], 2, 1);
    grid->addWidget(lblFaUnit[i], 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("B = ")), 3, 0);
    grid->addWidget(txbFb[i], 3, 1);
    grid->addWidget(lblFbUnit[i], 3, 2);
    grid->addWidget(cbxFout1[i], 4, 0, 1, 2);
    grid->addWidget(cbxFout2[i], 4, 2);
    return pctFunction[i];
}

int frm5::visibleShape(int i) const {
    int shown = -1;
    for (int k = 0; k < kFunctionShapes; ++k) {
        if (!functionShape[i][k]->isHidden()) shown = k;  // the last one shown counts
    }
    return shown;
}

FunctionKind frm5::functionKind(int i) const {
    const bool digital = (cbxFout1[i]->isChecked() && optOut5Digital[0]->isChecked()) ||
                         (cbxFout2[i]->isChecked() && optOut5Digital[1]->isChecked());
    return digital ? FunctionKind::Digital : FunctionKind::SignedAnalog;
}

uint8_t frm5::FunkTypeRead(float index, bool slope, bool sign) {
    const int i = static_cast<int>(index);
    if (i < 0 || i >= kFunctions) return 0;
    const int shape = visibleShape(i);
    if (slope) return static_cast<uint8_t>(shapeSlopeBit(shape));
    if (sign) return static_cast<uint8_t>(shapeSignBit(shape));
    return 0;
}

void frm5::FunkTypeUpdate(float index, bool nextPicture, bool posSign, bool posSlope) {
    const int i = static_cast<int>(index);
    if (i < 0 || i >= kFunctions) return;
    const int current = visibleShape(i);
    const FunctionKind kind = functionKind(i);
    const int chosen =
        nextPicture ? nextFunctionShape(current, kind) : functionShapeFor(kind, posSign, posSlope);
    for (int k = 0; k < kFunctionShapes; ++k) functionShape[i][k]->setVisible(k == chosen);
}

void frm5::buildFunctionFields(int i) {
    const int base = 5 * i;
    const int channelAddr = kFunctionChannel + base;
    functionChannelField_[i] =
        fields_.add(textControl(lblFchannel[i]), ramByte(channelAddr), channelCodec());
    // A and B are raw values of the function's channel, 15 bits beside the flag bit.
    for (auto [field, address] : {std::pair{txbFa[i], kParameterA}, {txbFb[i], kParameterB}}) {
        bindText(
            field, kelvo::ramWord(address + base, 127),
            {[this, channelAddr](uint32_t raw) {
                 return FormatChannelValue(ctx_, float(raw), float(ram(channelAddr)), false, false);
             },
             [this, channelAddr](const std::string& t) -> std::optional<uint32_t> {
                 return parameterWord(ParseChannelValue(ctx_, t, float(ram(channelAddr)), false));
             }});
    }
    fields_.add(checkControl(cbxFout1[i]), ramByte(kOutputConfig, uint8_t(1 << i)), flagCodec());
    fields_.add(checkControl(cbxFout2[i]), ramByte(kOutputConfig + 4, uint8_t(1 << i)),
                flagCodec());
    // The pictures show the sign flag of A and the slope flag of B; which picture stands for
    // them depends on the routing above, so they come after it.
    fields_.add({pctFunction[i]->objectName().toStdString(),
                 [this, i] {
                     const uint32_t sign = FunkTypeRead(float(i), false, true) ? kSignBits : 0;
                     const uint32_t slope = FunkTypeRead(float(i), true, false) ? kSlopeBits : 0;
                     return std::to_string(sign | slope);
                 },
                 [this, i](const std::string& shown) {
                     const uint32_t bits = uint32_t(std::stoul(shown));
                     FunkTypeUpdate(float(i), false, !(bits & kSignBits), bits & kSlopeBits);
                 }},
                {Memory::Ram, {{kParameterA + base, kFlagBit}, {kParameterB + base, kFlagBit}}},
                bitsCodec());
}

void frm5::showFunctionUnits() {
    for (int i = 0; i < kFunctions; ++i) {
        const QString unit =
            QString::fromStdString(GetUnitText(ctx_, float(ram(kFunctionChannel + 5 * i))));
        lblFaUnit[i]->setText(unit);
        lblFbUnit[i]->setText(unit);
    }
}

void frm5::pickFunctionChannel(int i) {
    FormRead();
    popUp(lblFchannel[i], mChannels);
    fields_.store(ctx_, functionChannelField_[i]);
    FormUpdate();
}

void frm5::flipTriggerSign(bool toNegative) {
    const double level = std::abs(ParseNumber(txbDigTlevel->text().toStdString()));
    const QString text = QString::fromStdString(NumberText(level));
    // Only the text and the pictures change; the image takes the sign at the next read.
    txbDigTlevel->setText(toNegative ? QStringLiteral("-") + text : text);
    pctDigTPsign->setVisible(!toNegative);
    pctDigTNsign->setVisible(toNegative);
    wakeLoop();
}

}  // namespace kelvo
