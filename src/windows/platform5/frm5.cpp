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
#include <QVBoxLayout>

#include "common/context.h"
#include "common/values.h"
#include "windows/channel_panel.h"
#include "windows/edit_field.h"
#include "windows/platform5/shape_picture.h"

namespace kelvo {

namespace {
QString indexed(const char* name, int k) {
    return QStringLiteral("%1_%2").arg(name).arg(k);
}

template <typename W>
W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

const QColor kYellow(255, 255, 0);
const QColor kGreen(0, 255, 0);
const QColor kWhite(255, 255, 255);

void setLabelColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// Unit labels sit on the dark display background like the fields.
void styleDisplayLabel(QLabel* label, const QColor& text) {
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, QColor(84, 108, 141));
    label->setPalette(palette);
    setLabelColour(label, text);
}
}  // namespace

frm5::frm5(Context& ctx, WindowHost& host, QWidget* parent) : SensorWindow(ctx, host, parent) {
    setObjectName(QStringLiteral("frm5"));
    buildPopups();

    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);
    auto* left = new QVBoxLayout();
    left->addWidget(buildGeneralPanel());
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
    // Values are short: fields and value labels keep a compact width.
    for (QLineEdit* field : findChildren<QLineEdit*>())
        field->setMaximumWidth(field == txbSN ? 120 : 80);
    for (QLabel* label : {lblDisplayMode, lblShiftb, lblShiftb_Type, lblDigTunit}) {
        label->setMaximumWidth(label == lblDisplayMode ? 120 : 60);
    }
    setWindowTitle(QStringLiteral("Kelvo 3.09"));
}

void frm5::buildPopups() {
    mTempUnit = makePopup(QStringLiteral("mTempUnit"), QStringLiteral("TempUnit"));
    mTempUnitCelsius = addPopupItem(mTempUnit, QStringLiteral("mTempUnitCelsius"),
                                    QStringLiteral("Celsius"), QStringLiteral("C"));
    mTempUnitFarenheit = addPopupItem(mTempUnit, QStringLiteral("mTempUnitFarenheit"),
                                      QStringLiteral("Farenheit"), QStringLiteral("F"));
    mChannels = makePopup(QStringLiteral("mChannels"), QStringLiteral("Channels"));
    for (int c = 0; c < kChannels; ++c) {
        mCHannel[c] =
            addPopupItem(mChannels, indexed("mCHannel", c), QStringLiteral("CH%1").arg(c));
    }
    mDisplayModes = makePopup(QStringLiteral("mDisplayModes"), QStringLiteral("DisplayModes"));
    const char* const modes[kDisplayModes] = {"Off", "TEMP", "CO2", "TEMP + CO2", "AN1 + AN2 + ID"};
    for (int i = 0; i < kDisplayModes; ++i) {
        mDisplayMode[i] =
            addPopupItem(mDisplayModes, indexed("mDisplayMode", i), QString::fromLatin1(modes[i]));
    }
    // "Off" is shown when the sensor holds it but cannot be chosen.
    mDisplayMode[0]->setVisible(false);
    mTimeUnits = makePopup(QStringLiteral("mTimeUnits"), QStringLiteral("TimeUnits"));
    mTimeUnitMin = addPopupItem(mTimeUnits, QStringLiteral("mTimeUnitMin"), QStringLiteral("Min"));
    mTimeUnitSec = addPopupItem(mTimeUnits, QStringLiteral("mTimeUnitSec"), QStringLiteral("Sec"));
}

QWidget* frm5::buildGeneralPanel() {
    pctGeneral = named(new QFrame(this), QStringLiteral("pctGeneral"));
    pctGeneral->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(pctGeneral);
    txbSN = named(new QLineEdit(pctGeneral), QStringLiteral("txbSN"));
    txbSN->setReadOnly(true);
    setDisplayColours(txbSN);
    txbID = named(new QLineEdit(pctGeneral), QStringLiteral("txbID"));
    grid->addWidget(new QLabel(QStringLiteral("S/N"), pctGeneral), 0, 0);
    grid->addWidget(txbSN, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("ID"), pctGeneral), 1, 0);
    grid->addWidget(txbID, 1, 1);

    pctDisplay5 = named(new QFrame(pctGeneral), QStringLiteral("pctDisplay5"));
    auto* display = new QGridLayout(pctDisplay5);
    display->setContentsMargins(0, 0, 0, 0);
    lblDisplayMode = named(new QLabel(pctDisplay5), QStringLiteral("lblDisplayMode"));
    lblShiftb = named(new QLabel(pctDisplay5), QStringLiteral("lblShiftb"));
    txbShiftBamount = named(new QLineEdit(pctDisplay5), QStringLiteral("txbShiftBamount"));
    lblShiftb_Type = named(new QLabel(pctDisplay5), QStringLiteral("lblShiftb_Type"));
    display->addWidget(new QLabel(QStringLiteral("Display"), pctDisplay5), 0, 0);
    display->addWidget(lblDisplayMode, 0, 1, 1, 2);
    display->addWidget(new QLabel(QStringLiteral("Shift button"), pctDisplay5), 1, 0);
    display->addWidget(lblShiftb, 1, 1);
    display->addWidget(txbShiftBamount, 1, 2);
    display->addWidget(lblShiftb_Type, 1, 3);
    grid->addWidget(pctDisplay5, 2, 0, 1, 3);
    for (QLabel* label : {lblDisplayMode, lblShiftb}) {
        styleDisplayLabel(label, kYellow);
        label->installEventFilter(this);
    }
    return pctGeneral;
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
    // A rising step for a positive level, a falling one for a negative level.
    pctDigTPsign = named(new ShapePicture(true, true, true, pctDT), QStringLiteral("pctDigTPsign"));
    pctDigTNsign =
        named(new ShapePicture(true, false, false, pctDT), QStringLiteral("pctDigTNsign"));
    connect(pctDigTPsign, &ShapePicture::clicked, this, [this] { flipTriggerSign(true); });
    connect(pctDigTNsign, &ShapePicture::clicked, this, [this] { flipTriggerSign(false); });
    grid->addWidget(new QLabel(QStringLiteral("DT"), pctDT), 0, 0);
    grid->addWidget(btnDigTrig, 0, 1);
    grid->addWidget(pctDigTPsign, 0, 2);
    grid->addWidget(pctDigTNsign, 0, 3);
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
    for (int c = 0; c < kChannels; ++c) {
        QLineEdit* value = pctChannels->txbCHact[c];
        value->setReadOnly(!on);
        setTextColour(value, on ? kYellow : kGreen);
    }
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
    if (label == lblDisplayMode) {
        popUp(lblDisplayMode, mDisplayModes);
    } else if (label == lblDigTunit) {
        popUp(lblDigTunit, mTimeUnits);
    } else if (label == lblShiftb) {
        pickShiftChannel();
    } else if (label == pctChannels->lblCH_Type[0]) {
        pickTempUnit();
    } else {
        for (int i = 0; i < kFunctions; ++i) {
            if (label == lblFchannel[i]) pickFunctionChannel(i);
        }
    }
}

}  // namespace kelvo
