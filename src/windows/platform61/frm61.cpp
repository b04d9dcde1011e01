#include "windows/platform61/frm61.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/context.h"
#include "model/channels.h"
#include "model/identification.h"
#include "model/platform_profile.h"
#include "windows/channel_panel.h"
#include "windows/control_names.h"
#include "windows/edit_field.h"
#include "windows/general_panel.h"

namespace kelvo {

namespace {
const QColor kYellow(255, 255, 0);
const QColor kGreen(0, 255, 0);
const QColor kWhite(255, 255, 255);
const QColor kDisplayBackground(84, 108, 141);

// Labels that show a value sit on the dark display background like the fields.
QLabel* displayLabel(QLabel* label, const QColor& text = kYellow) {
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, kDisplayBackground);
    palette.setColor(QPalette::WindowText, text);
    label->setPalette(palette);
    label->setMinimumWidth(50);
    return label;
}

QLineEdit* statusField(QLineEdit* field) {
    field->setReadOnly(true);
    field->setMaximumWidth(70);
    field->setAlignment(Qt::AlignCenter);
    return field;
}

const char* const kAlarm61Captions[frm61::kAlarmRows] = {
    "CO2 PRE ALARM:", "CO2 MAIN ALARM:", "O2 PRE ALARM:", "O2 MAIN ALARM:"};
// The levels the panel is drawn with until a sensor's own are shown.
const char* const kAlarm61DesignLevels[frm61::kAlarmRows] = {"1.5", "3", "19", "18"};
}  // namespace

frm61::frm61(Context& ctx, WindowHost& host, QWidget* parent) : SensorWindow(ctx, host, parent) {
    setObjectName(QStringLiteral("frm61"));
    adaptMenus();
    buildPopups();

    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);
    auto* left = new QVBoxLayout();
    // The display mode and shift button are shown and can be picked, but neither sensor
    // keeps them; each binds its ID and display sequence once it is known.
    general_ = new GeneralPanel(
        *this, {.displayMode = true, .shiftButton = true, .displaySequence = Qt::Horizontal},
        {mChannels, mCHannel, mDisplayModes, mDisplayMode});
    left->addWidget(pctGeneral);
    pctChannels = new ChannelPanel(kChannelRows, cbxSimulated, central);
    left->addWidget(pctChannels);
    auto* right = new QVBoxLayout();
    right->addWidget(buildAlarm61Panel());
    right->addWidget(buildAlarm7Panel());
    right->addStretch();
    grid->addLayout(left, 0, 0);
    grid->addLayout(right, 0, 1);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(btnReadFromSensor);
    buttons->addWidget(btnSendToSensor);
    grid->addLayout(buttons, 1, 0, 1, 2);
    setCentralWidget(central);

    for (int k = 0; k < kChannelRows; ++k) {
        QLineEdit* value = pctChannels->txbCHact[k];
        setTextColour(value, kGreen);
        displayLabel(pctChannels->lblCH_Type[k], k == 0 ? kWhite : kYellow);
        pctChannels->setRowChannel(k, -1, ctx_);
    }
    for (int k = 0; k < 3; ++k) {
        // Typed channel values feed the simulation: stored as measurements, shown again.
        new EditFieldBehaviour(pctChannels->txbCHact[k], [this] {
            FormReadM();
            FormUpdateM();
            Simulate();
        });
    }
    pctChannels->txbCHact[kStatusRow]->setMaximumWidth(220);
    buildFieldTables();
    setWindowTitle(QStringLiteral("Kelvo 3.09"));
}

void frm61::adaptMenus() {
    // This window names the calibrations after the gases: the temperature item reads
    // "TEMP", the CO2 zero is an item of its own, and the single-point "Zero" does nothing.
    mCalTemp = CalTemp;
    mCalTemp->setObjectName(QStringLiteral("mCalTemp"));
    mCalTemp->setText(QStringLiteral("TEMP"));
    mCalCO2SPzero = mCalCO2Zero;
    mCalCO2SPzero->setObjectName(QStringLiteral("mCalCO2SPzero"));
    disconnect(mCalCO2SPzero, &QAction::triggered, this, nullptr);
    // It would do nothing beside "CO2 zero", which does the zero: the menu offers it once.
    mCalCO2SPzero->setVisible(false);
    mCalCO2SPBackground = mCalCO2Background;
    mCalCO2SPBackground->setObjectName(QStringLiteral("mCalCO2SPBackground"));
    mCalCO2SPOther = mCalCO2Other;
    mCalCO2SPOther->setObjectName(QStringLiteral("mCalCO2SPOther"));

    mCalCO2zero = new QAction(QStringLiteral("CO2 zero"), mCalibrate);
    mCalCO2zero->setObjectName(QStringLiteral("mCalCO2zero"));
    mCalibrate->insertAction(mCalCO2span, mCalCO2zero);
    connect(mCalCO2zero, &QAction::triggered, this,
            [this] { requestAction(kActionCalCO2Zero, true); });
    // A disabled item says why in its tooltip.
    mCalibrate->setToolTipsVisible(true);
    mCalO2zero = mCalibrate->addAction(QStringLiteral("O2 zero"));
    mCalO2zero->setObjectName(QStringLiteral("mCalO2zero"));
    connect(mCalO2zero, &QAction::triggered, this,
            [this] { requestAction(kActionCalO2Zero, true); });
    // The span asks for the reading first, like the CO2 span: no "Please wait" over it.
    mCalO2span = mCalibrate->addAction(QStringLiteral("O2 span"));
    mCalO2span->setObjectName(QStringLiteral("mCalO2span"));
    connect(mCalO2span, &QAction::triggered, this,
            [this] { requestAction(kActionCalO2Span, false); });
}

void frm61::buildPopups() {
    mTempUnit = makeTempUnitPopup(mTempUnitCelsius, mTempUnitFarenheit);
    mChannels = makeChannelPopup(QStringLiteral("mChannels"), QStringLiteral("Channels"),
                                 "mCHannel", mCHannel.data(), kChannelItems);
    mDisplayModes = makeDisplayModePopup(mDisplayMode);
    mTimeUnits = makeTimeUnitPopup(mTimeUnitMin, mTimeUnitSec);
}

QWidget* frm61::buildAlarm61Panel() {
    pctAlarm061 = named(new QFrame(this), QStringLiteral("pctAlarm061"));
    pctAlarm061->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(pctAlarm061);
    grid->addWidget(new QLabel(QStringLiteral("LEVEL"), pctAlarm061), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("STATUS"), pctAlarm061), 0, 3);
    lblOC3 = named(new QLabel(QStringLiteral("OC3"), pctAlarm061), QStringLiteral("lblOC3"));
    lblOC4 = named(new QLabel(QStringLiteral("OC4"), pctAlarm061), QStringLiteral("lblOC4"));
    grid->addWidget(lblOC3, 0, 4);
    grid->addWidget(lblOC4, 0, 6);
    for (int r = 0; r < kAlarmRows; ++r) {
        const int row = 1 + 2 * r;
        grid->addWidget(new QLabel(QString::fromLatin1(kAlarm61Captions[r]), pctAlarm061), row, 0);
        txbAlarm061Level[r] =
            named(new QLineEdit(QString::fromLatin1(kAlarm61DesignLevels[r]), pctAlarm061),
                  indexed("txbAlarm061Level", r));
        txbAlarm061Level[r]->setMaximumWidth(70);
        lblAlarm061Unit[r] =
            named(new QLabel(QStringLiteral("%"), pctAlarm061), indexed("lblAlarm061Unit", r));
        txbAlarm061Status[r] =
            named(statusField(new QLineEdit(pctAlarm061)), indexed("txbAlarm061Status", r));
        cbxOC3[r] = named(new QCheckBox(pctAlarm061), indexed("cbxOC3", r));
        cbxOC4[r] = named(new QCheckBox(pctAlarm061), indexed("cbxOC4", r));
        grid->addWidget(txbAlarm061Level[r], row, 1);
        grid->addWidget(lblAlarm061Unit[r], row, 2);
        grid->addWidget(txbAlarm061Status[r], row, 3);
        grid->addWidget(cbxOC3[r], row, 4);
        grid->addWidget(cbxOC4[r], row, 6);
    }
    // Between each pair of rows, how the rows combine on each output.
    for (int i = 0; i < kLogicLabels; ++i) {
        lblAlarm061Logic1[i] =
            named(new QLabel(QStringLiteral("OR"), pctAlarm061), indexed("lblAlarm061Logic1", i));
        lblAlarm061Logic2[i] =
            named(new QLabel(QStringLiteral("OR"), pctAlarm061), indexed("lblAlarm061Logic2", i));
        grid->addWidget(lblAlarm061Logic1[i], 2 + 2 * i, 5);
        grid->addWidget(lblAlarm061Logic2[i], 2 + 2 * i, 7);
        lblAlarm061Logic1[i]->installEventFilter(this);
        lblAlarm061Logic2[i]->installEventFilter(this);
    }
    return pctAlarm061;
}

QWidget* frm61::buildAlarm7Panel() {
    pctAlarm07 = named(new QFrame(this), QStringLiteral("pctAlarm07"));
    pctAlarm07->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(pctAlarm07);
    const char* const columns[] = {"", "Channel", "Level", "", "Slope"};
    for (int c = 0; c < 5; ++c)
        grid->addWidget(new QLabel(QString::fromLatin1(columns[c]), pctAlarm07), 0, c);
    for (int r = 0; r < kAlarmRows; ++r) {
        // Which output the row drives: the rows come in pre/main pairs.
        grid->addWidget(
            new QLabel(r % 2 == 0 ? QStringLiteral("Pre") : QStringLiteral("Main"), pctAlarm07),
            1 + r, 0);
        lblAlarm7Channel[r] =
            named(displayLabel(new QLabel(pctAlarm07)), indexed("lblAlarm7Channel", r));
        lblAlarm7Level[r] = named(new QLineEdit(pctAlarm07), indexed("lblAlarm7Level", r));
        lblAlarm7Level[r]->setMaximumWidth(70);
        lblAlarm7Unit[r] = named(new QLabel(pctAlarm07), indexed("lblAlarm7Unit", r));
        lblAlarm7Slope[r] = named(displayLabel(new QLabel(QStringLiteral(">"), pctAlarm07)),
                                  indexed("lblAlarm7Slope", r));
        lblAlarm7Slope[r]->setAlignment(Qt::AlignCenter);
        for (QLabel* label : {lblAlarm7Channel[r], lblAlarm7Slope[r]})
            label->installEventFilter(this);
        grid->addWidget(lblAlarm7Channel[r], 1 + r, 1);
        grid->addWidget(lblAlarm7Level[r], 1 + r, 2);
        grid->addWidget(lblAlarm7Unit[r], 1 + r, 3);
        grid->addWidget(lblAlarm7Slope[r], 1 + r, 4);
    }
    txbAlarm7StatusPre =
        named(statusField(new QLineEdit(pctAlarm07)), QStringLiteral("txbAlarm7StatusPre"));
    txbAlarm7StatusMain =
        named(statusField(new QLineEdit(pctAlarm07)), QStringLiteral("txbAlarm7StatusMain"));
    grid->addWidget(new QLabel(QStringLiteral("Status"), pctAlarm07), 5, 2);
    const struct {
        QLineEdit* field;
        const char* alarm;
        const char* output;
    } outputs[] = {{txbAlarm7StatusPre, "Pre alarm", "Open collector output 3"},
                   {txbAlarm7StatusMain, "Main alarm", "Open collector output 4"}};
    for (int k = 0; k < 2; ++k) {
        grid->addWidget(new QLabel(QString::fromLatin1(outputs[k].alarm), pctAlarm07), 6 + k, 0, 1,
                        2);
        grid->addWidget(outputs[k].field, 6 + k, 2);
        grid->addWidget(new QLabel(QString::fromLatin1(outputs[k].output), pctAlarm07), 6 + k, 3, 1,
                        3);
    }
    pctAlarm07->setVisible(false);
    return pctAlarm07;
}

bool frm61::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (auto* label = qobject_cast<QLabel*>(watched)) {
            clickLabel(label);
            return true;
        }
    }
    return SensorWindow::eventFilter(watched, event);
}

void frm61::clickLabel(QLabel* label) {
    for (int i = 0; i < kLogicLabels; ++i) {
        if (label == lblAlarm061Logic1[i]) return flipLogic(lblAlarm061Logic1, label);
        if (label == lblAlarm061Logic2[i]) return flipLogic(lblAlarm061Logic2, label);
    }
    for (int r = 0; r < kAlarmRows; ++r) {
        if (label == lblAlarm7Slope[r]) {
            label->setText(label->text() == QLatin1String(">") ? QStringLiteral("<")
                                                               : QStringLiteral(">"));
            return showAlarmStatus();
        }
        if (label == lblAlarm7Channel[r]) return pickChannel(label);
    }
}

void frm61::pickChannel(QLabel* label) {
    // What was typed elsewhere is kept before the pick list opens; the choice is then shown
    // as the sensor will keep it, with its unit and the levels for the new channel.
    FormRead();
    popUp(label, mChannels);
    FormRead();
    FormUpdate();
}

void frm61::flipLogic(std::array<QLabel*, kLogicLabels>& group, QLabel* clicked) {
    const QString logic =
        clicked->text() != QLatin1String("OR") ? QStringLiteral("OR") : QStringLiteral("AND");
    for (QLabel* label : group) label->setText(logic);
}

void frm61::SimMode(bool on) {
    SensorWindow::SimMode(on);
    for (int k = 0; k < 4; ++k) {
        QLineEdit* value = pctChannels->txbCHact[k];
        value->setReadOnly(!on || k >= 3);
        setTextColour(value, on ? kYellow : kGreen);
    }
}

void frm61::showRow(int k, const QString& name, const QString& unit) {
    pctChannels->pctChannel[k]->setVisible(true);
    pctChannels->lblCH_Name[k]->setText(name);
    pctChannels->lblCH_Type[k]->setText(unit);
}

void frm61::offerChannels(const std::vector<int>& channels, bool modelNames) {
    // A sensor shown before may have renamed other items: each starts from its design caption.
    for (int n = 0; n < kChannelItems; ++n) {
        mCHannel[n]->setVisible(false);
        mCHannel[n]->setText(QStringLiteral("CH%1").arg(n));
    }
    const char* const names[] = {"Temp", "CO2", "O2"};
    for (int n : channels) {
        mCHannel[n]->setVisible(true);
        mCHannel[n]->setText(modelNames ? QString::fromStdString(ChannelName(ctx_, float(n), false))
                                        : QString::fromLatin1(names[n - 4]));
    }
}

bool frm61::FormUpdateInit() {
    for (QAction* item : {mSavesettings, mLoadsettings, mCalCO2SPBackground, mCalCO2SPOther,
                          mCalCO2span, mCalTemp}) {
        item->setEnabled(true);
    }
    const uint8_t platform = GetPlatform(ctx_);
    platform7_ = platform == kPlatform7;
    general_->bind(platform);
    version_ = GetVersion(ctx_);
    active_.clear();
    identified_ = true;
    shown_ = false;
    sensorAlarms7_.clear();
    for (int k = 0; k < kChannelRows; ++k) pctChannels->pctChannel[k]->setVisible(false);
    showRow(kStatusRow, QStringLiteral("Status"), QString());
    pctChannels->lblCH_Type[kStatusRow]->setVisible(platform7_);

    if (platform7_) {
        measuredRows_ = 3;
        for (int k = 0; k < measuredRows_; ++k) {
            showRow(k, QString::fromStdString(ChannelName(ctx_, float(4 + k), false)),
                    QString::fromStdString(GetUnitText(ctx_, float(4 + k))));
        }
        offerChannels({4, 5, 6}, true);
        pctAlarm061->setVisible(false);
        pctAlarm07->setVisible(true);
        active_ = {&platform7Fields_};
        mCalO2span->setVisible(true);
        mCalO2zero->setVisible(true);
    } else if (version_ == 1) {
        measuredRows_ = 2;
        mCalO2span->setVisible(false);
        mCalO2zero->setVisible(false);
        showRow(0, QStringLiteral("Temp"), QStringLiteral("C"));
        showRow(1, QStringLiteral("CO2"), QStringLiteral("ppm"));
        offerChannels({4, 5}, false);
        pctAlarm061->setVisible(false);
        pctAlarm07->setVisible(false);
        active_ = {};
    } else {
        measuredRows_ = 3;
        mCalO2span->setVisible(true);
        mCalO2zero->setVisible(true);
        showRow(0, QStringLiteral("Temp"), QStringLiteral("C"));
        showRow(1, QStringLiteral("CO2"), QStringLiteral("%"));
        showRow(2, QStringLiteral("O2"), QStringLiteral("%"));
        offerChannels({4, 5, 6}, false);
        pctAlarm061->setVisible(true);
        pctAlarm07->setVisible(false);
        active_ = {&alarm61Fields_};
    }
    // Fresh air and other gases would zero a sensor without reference calibrations in
    // whatever gas it sits in.
    const PlatformProfile* profile = FindPlatform(platform);
    const bool references = !profile || profile->co2ReferenceCalibrations;
    mCalCO2SPBackground->setVisible(references);
    mCalCO2SPOther->setVisible(references);
    mCalCO2->menuAction()->setVisible(references);  // nothing left in it otherwise
    // Only platform 7 keeps an O2 zero word (its EEPROM reaches 760); a platform-61 cell is
    // calibrated by its span alone.
    mCalO2zero->setEnabled(platform7_);
    mCalO2zero->setToolTip(platform7_ ? QString()
                                      : QStringLiteral("This sensor has no O2 zero word: its O2 "
                                                       "cell is calibrated by \"O2 span\" alone."));
    cbxSimulated->setText(QStringLiteral("Off line"));
    cbxSimulated->setVisible(true);
    return true;
}

void frm61::executeAction(int16_t code) {
    switch (code) {
        case kActionCalO2Zero:
            ActionCalO2Zero();
            break;
        case kActionCalO2Span:
            ActionCalO2Span();
            break;
        default:
            SensorWindow::executeAction(code);
            break;
    }
}

bool frm61::simulationStep() {
    Simulate();
    return false;
}

}  // namespace kelvo
