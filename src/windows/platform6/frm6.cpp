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
#include "windows/general_panel.h"
#include "windows/platform5/shape_picture.h"
#include "windows/platform6/frm6_widgets.h"

namespace kelvo {

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
    general_ = new GeneralPanel(*this, {.displaySequence = Qt::Vertical},
                                {mChannels, mCHannel, mDisplayModes, mDisplayMode});
    general_->bind(kPlatform6);
    top->addWidget(pctGeneral);
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
        if (!pctGeneral->isAncestorOf(field) &&
            !field->objectName().startsWith(QLatin1String("txbCHact")))
            field->setMaximumWidth(64);
    }
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
