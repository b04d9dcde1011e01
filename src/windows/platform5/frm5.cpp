#include "windows/platform5/frm5.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedLayout>
#include <QVBoxLayout>

#include "common/context.h"
#include "common/values.h"
#include "settings/function_shapes.h"
#include "windows/channel_panel.h"
#include "windows/control_names.h"
#include "windows/edit_field.h"
#include "windows/platform5/shape_picture.h"

namespace kelvo {

namespace {
// The trigger's sign pictures: the digital shapes of a positive and of a negative level.

constexpr int kFieldWidth = 80;

const QColor kYellow(255, 255, 0);
const QColor kGreen(0, 255, 0);
const QColor kWhite(255, 255, 255);

}  // namespace

frm5::frm5(Context& ctx, WindowHost& host, QWidget* parent) : Platform5Window(ctx, host, parent) {
    setObjectName(QStringLiteral("frm5"));
    buildPopups();
    buildGeneralPanel({.shiftButton = true});

    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);
    auto* left = new QVBoxLayout();
    left->addWidget(pctGeneral);
    pctChannels = new ChannelPanel(kChannels, cbxSimulated, central);
    left->addWidget(pctChannels);
    auto* right = new QVBoxLayout();
    for (int j = 0; j < kOutputs; ++j) right->addWidget(buildOutputPanel(j));
    right->addWidget(buildTriggerPanel());
    right->addStretch();
    grid->addLayout(left, 0, 0);
    grid->addLayout(right, 0, 1);
    auto* functions = new QHBoxLayout();
    for (int i = 0; i < kFunctions; ++i) functions->addWidget(buildFunctionPanel(i));
    grid->addLayout(functions, 1, 0, 1, 2);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(btnReadFromSensor);
    buttons->addWidget(btnSendToSensor);
    grid->addLayout(buttons, 2, 0, 1, 2);
    setCentralWidget(central);

    for (int c = 0; c < kChannels; ++c) {
        QLineEdit* value = pctChannels->txbCHact[c];
        // Typed channel values feed the simulation only; nothing of them goes to the image.
        new EditFieldBehaviour(value, [this] { FormUpdate(); });
        setTextColour(value, kGreen);
        styleDisplayLabel(pctChannels->lblCH_Type[c], c == 0 ? kYellow : kWhite);
        pctChannels->lblCH_Type[c]->installEventFilter(this);
    }
    buildFieldTable();
    // Values are short: fields keep a compact width, and grow for a long value rather than
    // show part of it.
    for (QLineEdit* field : findChildren<QLineEdit*>()) {
        if (!pctGeneral->isAncestorOf(field)) fitWidthToText(field, kFieldWidth);
    }
    lblDigTunit->setMaximumWidth(60);
    setWindowTitle(QStringLiteral("Kelvo 3.09"));
}

void frm5::buildPopups() {
    mTimeUnits = makeTimeUnitPopup(mTimeUnitMin, mTimeUnitSec);
}

QWidget* frm5::buildOutputPanel(int j) {
    pctOut[j] = named(new QFrame(this), indexed("pctOut", j));
    pctOut[j]->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(pctOut[j]);
    lblOutName[j] =
        named(new QLabel(QStringLiteral("Out %1").arg(j + 1), pctOut[j]), indexed("lblOutName", j));
    pctOut5[j] = named(new QFrame(pctOut[j]), indexed("pctOut5", j));
    auto* options = new QHBoxLayout(pctOut5[j]);
    options->setContentsMargins(0, 0, 0, 0);
    optOut5V[j] =
        named(new QRadioButton(QStringLiteral("0-100%"), pctOut5[j]), indexed("optOut5V", j));
    optOut5mA[j] =
        named(new QRadioButton(QStringLiteral("20-100%"), pctOut5[j]), indexed("optOut5mA", j));
    optOut5Digital[j] = named(new QRadioButton(QStringLiteral("Digital"), pctOut5[j]),
                              indexed("optOut5Digital", j));
    for (QRadioButton* option : {optOut5V[j], optOut5mA[j], optOut5Digital[j]}) {
        options->addWidget(option);
        // A changed output kind is stored at once and shown as the sensor will keep it.
        connect(option, &QRadioButton::clicked, this, [this] {
            FormRead();
            FormUpdate();
        });
    }
    txbOutOut[j] = named(new QLineEdit(pctOut[j]), indexed("txbOutOut", j));
    txbOutOut[j]->setReadOnly(true);
    setDisplayColours(txbOutOut[j]);
    txbOutBaseLine[j] = named(new QLineEdit(pctOut[j]), indexed("txbOutBaseLine", j));
    txbOutIntTime[j] = named(new QLineEdit(pctOut[j]), indexed("txbOutIntTime", j));
    lblOutBaseLine[j] =
        named(new QLabel(QStringLiteral("Base line"), pctOut[j]), indexed("lblOutBaseLine", j));
    lblOutBaseLineUnit[j] =
        named(new QLabel(QStringLiteral("%"), pctOut[j]), indexed("lblOutBaseLineUnit", j));
    lblOutIntTime[j] =
        named(new QLabel(QStringLiteral("Int time"), pctOut[j]), indexed("lblOutIntTime", j));
    lblOutIntTimeUnit[j] =
        named(new QLabel(QStringLiteral("s"), pctOut[j]), indexed("lblOutIntTimeUnit", j));

    grid->addWidget(lblOutName[j], 0, 0);
    grid->addWidget(pctOut5[j], 0, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Output"), pctOut[j]), 1, 0);
    grid->addWidget(txbOutOut[j], 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("%"), pctOut[j]), 1, 2);
    grid->addWidget(lblOutBaseLine[j], 2, 0);
    grid->addWidget(txbOutBaseLine[j], 2, 1);
    grid->addWidget(lblOutBaseLineUnit[j], 2, 2);
    grid->addWidget(lblOutIntTime[j], 3, 0);
    grid->addWidget(txbOutIntTime[j], 3, 1);
    grid->addWidget(lblOutIntTimeUnit[j], 3, 2);
    return pctOut[j];
}

QWidget* frm5::buildTriggerPanel() {
    pctDT = named(new QFrame(this), QStringLiteral("pctDT"));
    pctDT->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(pctDT);
    btnDigTrig =
        named(new QPushButton(QStringLiteral("trig"), pctDT), QStringLiteral("btnDigTrig"));
    btnDigTrig->setVisible(false);
    connect(btnDigTrig, &QPushButton::clicked, this, &frm5::startTriggerTest);
    txbDigTlevel = named(new QLineEdit(pctDT), QStringLiteral("txbDigTlevel"));
    txbDigTtime = named(new QLineEdit(pctDT), QStringLiteral("txbDigTtime"));
    lblDigTunit = named(new QLabel(QStringLiteral("sec"), pctDT), QStringLiteral("lblDigTunit"));
    styleDisplayLabel(lblDigTunit, kYellow);
    lblDigTunit->installEventFilter(this);
    // A positive level lifts the outputs it drives, a negative one pulls them down: drawn as
    // the digital shapes that do so. Both share one spot, so that flipping the sign moves
    // nothing beside them.
    auto* signs = new QWidget(pctDT);
    auto* signStack = new QStackedLayout(signs);
    signStack->setStackingMode(QStackedLayout::StackAll);
    pctDigTPsign =
        named(new ShapePicture(kPositiveLevelShape, signs), QStringLiteral("pctDigTPsign"));
    pctDigTNsign =
        named(new ShapePicture(kNegativeLevelShape, signs), QStringLiteral("pctDigTNsign"));
    signStack->addWidget(pctDigTPsign);
    signStack->addWidget(pctDigTNsign);
    connect(pctDigTPsign, &ShapePicture::clicked, this, [this] { flipTriggerSign(true); });
    connect(pctDigTNsign, &ShapePicture::clicked, this, [this] { flipTriggerSign(false); });
    grid->addWidget(new QLabel(QStringLiteral("DT"), pctDT), 0, 0);
    grid->addWidget(btnDigTrig, 0, 1);
    grid->addWidget(signs, 0, 2, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Level"), pctDT), 1, 0);
    grid->addWidget(txbDigTlevel, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("%"), pctDT), 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Time"), pctDT), 2, 0);
    grid->addWidget(txbDigTtime, 2, 1);
    grid->addWidget(lblDigTunit, 2, 2);
    for (int k = 0; k < kTriggerOutputs; ++k) {
        cbxDigTout[k] = named(new QCheckBox(QStringLiteral("Out %1").arg(k + 1), pctDT),
                              QStringLiteral("cbxDigTout%1").arg(k + 1));
        // This sensor has two outputs; the other two boxes belong to larger sensors.
        cbxDigTout[k]->setVisible(k < kOutputs);
        grid->addWidget(cbxDigTout[k], 3, k);
        connect(cbxDigTout[k], &QCheckBox::clicked, this, [this] {
            FormRead();
            FormUpdate();
        });
    }
    return pctDT;
}

void frm5::SimMode(bool on) {
    SensorWindow::SimMode(on);
    btnDigTrig->setVisible(on);
    pctChannels->showSimulated(on);
}

bool frm5::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (auto* label = qobject_cast<QLabel*>(watched)) {
            clickLabel(label);
            return true;
        }
    }
    return SensorWindow::eventFilter(watched, event);
}

void frm5::clickLabel(QLabel* label) {
    if (label == lblDigTunit) {
        popUp(lblDigTunit, mTimeUnits);
    } else if (pctChannels->isAncestorOf(label)) {
        for (int c = 0; c < kChannels; ++c) {
            if (label == pctChannels->lblCH_Type[c]) pickTempUnit(c);
        }
    } else {
        for (int i = 0; i < kFunctions; ++i) {
            if (label == lblFchannel[i]) pickFunctionChannel(i);
        }
    }
}

}  // namespace kelvo
