#include "windows/platform6/frm6.h"

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
#include "windows/channel_panel.h"
#include "windows/edit_field.h"
#include "windows/platform5/shape_picture.h"
#include "windows/platform6/frm6_widgets.h"

namespace kelvo {

using frm6widgets::indexed;
using frm6widgets::named;

frm6::frm6(Context& ctx, WindowHost& host, QWidget* parent) : SensorWindow(ctx, host, parent) {
    calTempProgress_ = QStringLiteral("Calibrating temperature ");
    setObjectName(QStringLiteral("frm6"));
    mOptions->setTitle(QStringLiteral("Kelvo Options"));
    buildPopups();

    auto* central = new QWidget(this);
    auto* page = new QVBoxLayout(central);
    page->setSpacing(4);
    page->setContentsMargins(6, 4, 6, 4);

    // Top to bottom: who the sensor is and what it measures, then what drives the outputs,
    // then the outputs themselves.
    auto* top = new QHBoxLayout();
    top->addWidget(buildGeneralPanel());
    pctChannels = new ChannelPanel(kChannelRows, cbxSimulated, central);
    top->addWidget(pctChannels);
    auto* digital = new QVBoxLayout();
    digital->addWidget(buildDigitalPanel());
    digital->addWidget(buildTriggerPanel());
    top->addLayout(digital);
    top->addStretch();
    page->addLayout(top);

    auto* functions = new QHBoxLayout();
    for (int i = 0; i < kFunctions; ++i) functions->addWidget(buildFunctionPanel(i));
    functions->addStretch();
    page->addLayout(functions);
    outputRow_ = new QHBoxLayout();
    for (int j = 0; j < kOutputs; ++j) outputRow_->addWidget(buildOutputPanel(j));
    outputRow_->addStretch();
    page->addLayout(outputRow_);

    auto* applications = new QHBoxLayout();
    applications->addWidget(buildVavPanels());
    applications->addWidget(buildSequentialPanel());
    applications->addWidget(buildSixV3Panel());
    applications->addStretch();
    page->addLayout(applications);
    page->addStretch();

    auto* buttons = new QHBoxLayout();
    buttons->addWidget(btnReadFromSensor);
    buttons->addWidget(btnSendToSensor);
    buttons->addStretch();
    page->addLayout(buttons);
    setCentralWidget(central);
    // This window's buttons go straight to their action; only the menu items say
    // "Please wait" first.
    disconnect(btnReadFromSensor, &QPushButton::clicked, mReadfromsensor, &QAction::trigger);
    disconnect(btnSendToSensor, &QPushButton::clicked, mSendtosensor, &QAction::trigger);
    connect(btnReadFromSensor, &QPushButton::clicked, this,
            [this] { requestAction(kActionSensorRead, false); });
    connect(btnSendToSensor, &QPushButton::clicked, this,
            [this] { requestAction(kActionSensorWrite, false); });

    for (int k = 0; k < kChannelRows; ++k) {
        QLineEdit* value = pctChannels->txbCHact[k];
        // Typed channel values feed the simulation only; nothing of them reaches the image.
        new EditFieldBehaviour(value, [this] { Simulate(); });
        setTextColour(value, frm6widgets::kGreen);
    }
    buildFieldTables();
    for (QLineEdit* field : findChildren<QLineEdit*>()) {
        if (field != txbSN && !field->objectName().startsWith(QLatin1String("txbCHact")))
            field->setMaximumWidth(64);
    }
    txbSN->setMaximumWidth(110);
    setWindowTitle(QStringLiteral("Kelvo 3.09"));
}

void frm6::buildPopups() {
    mTempUnit = makeTempUnitPopup(mTempUnitCelsius, mTempUnitFarenheit);
    mChannels = makeChannelPopup(QStringLiteral("mChannels"), QStringLiteral("Channels"),
                                 "mCHannel", mCHannel.data(), kChannelItems);
    mFChannels = makeChannelPopup(QStringLiteral("mFChannels"), QStringLiteral("FChannels"),
                                  "mFchannel", mFchannel.data(), kFunctionChannelItems);
    mDisplayModes = makeDisplayModePopup(mDisplayMode);
    mTimeUnits = makeTimeUnitPopup(mTimeUnitMin, mTimeUnitSec);
}

QWidget* frm6::buildGeneralPanel() {
    pctGeneral = named(new QFrame(this), QStringLiteral("pctGeneral"));
    pctGeneral->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(pctGeneral);
    txbSN = named(new QLineEdit(pctGeneral), QStringLiteral("txbSN"));
    txbSN->setReadOnly(true);
    setDisplayColours(txbSN);
    txbID = named(new QLineEdit(pctGeneral), QStringLiteral("txbID"));
    grid->addWidget(new QLabel(QStringLiteral("S/N"), pctGeneral), 0, 0);
    grid->addWidget(txbSN, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("ID"), pctGeneral), 1, 0);
    grid->addWidget(txbID, 1, 1);

    pctDisplay6 = named(new QFrame(pctGeneral), QStringLiteral("pctDisplay6"));
    pctDisplay6->setFrameShape(QFrame::StyledPanel);
    auto* display = new QGridLayout(pctDisplay6);
    display->addWidget(new QLabel(QStringLiteral("Display  seq."), pctDisplay6), 0, 0, 1, 2);
    for (int p = 0; p < kDisplayPositions; ++p) {
        lblDisp[p] = named(new QLabel(pctDisplay6), indexed("lblDisp", p));
        // The frame (ShapeCH) marks the position as a pick list.
        lblDisp[p]->setFrameShape(QFrame::Box);
        lblDisp[p]->setMinimumWidth(70);
        frm6widgets::styleDisplayLabel(lblDisp[p]);
        lblDisp[p]->installEventFilter(this);
        display->addWidget(new QLabel(QString::number(p + 1), pctDisplay6), p + 1, 0);
        display->addWidget(lblDisp[p], p + 1, 1);
    }
    grid->addWidget(pctDisplay6, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);
    return pctGeneral;
}

void frm6::SimMode(bool on) {
    SensorWindow::SimMode(on);
    btnDigTrig->setVisible(on);
    cbxDigActive->setVisible(on);
    if (!on) {
        pctDigTPsign->setProgress(-1);
        pctDigTNsign->setProgress(-1);
        trigger_.running = false;
    }
    for (int k = 0; k < kChannelRows; ++k) {
        QLineEdit* value = pctChannels->txbCHact[k];
        value->setReadOnly(!on);
        setTextColour(value, on ? frm6widgets::kYellow : frm6widgets::kGreen);
    }
}

bool frm6::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (auto* label = qobject_cast<QLabel*>(watched)) {
            clickLabel(label);
            return true;
        }
    }
    return SensorWindow::eventFilter(watched, event);
}

void frm6::clickLabel(QLabel* label) {
    if (label == lblDigTunit) {
        popUp(lblDigTunit, mTimeUnits);
        return;
    }
    for (QLabel* position : lblDisp) {
        if (label == position) popUp(position, mChannels);
    }
    for (int i = 0; i < kFunctions; ++i) {
        if (label == lblFchannel[i]) pickFunctionChannel(i);
    }
}

void frm6::pickFunctionChannel(int i) {
    FormRead();
    popUp(lblFchannel[i], mFChannels);
    standard_.store(ctx_, functionChannelField_[i]);
    FormUpdate();
}

}  // namespace kelvo
