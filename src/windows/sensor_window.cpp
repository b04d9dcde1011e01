#include "windows/sensor_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <map>

#include "common/context.h"
#include "common/values.h"
#include "link/port_hold.h"
#include "model/identification.h"
#include "windows/edit_field.h"
#include "windows/measurement_views.h"
#include "windows/window_host.h"

namespace kelvo {

const QString SensorWindow::kSimulatedCaption = QStringLiteral("Kelvo3.0 Simulated mode");
const QString SensorWindow::kLiveCaption = QStringLiteral("Kelvo3.0");

namespace {
// Measured values are refreshed this often in live mode.
constexpr int64_t kPollIntervalMs = 2000;
// Pass rate while the trigger test animates.
constexpr int kAnimationPassMs = 100;

QAction* addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QMenu* addSubmenu(QMenu* menu, const char* name, const QString& caption) {
    QMenu* sub = menu->addMenu(caption);
    sub->setObjectName(QString::fromLatin1(name));
    sub->menuAction()->setObjectName(QString::fromLatin1(name));
    return sub;
}
}  // namespace

SensorWindow::SensorWindow(Context& ctx, WindowHost& host, QWidget* parent)
    : QMainWindow(parent), ctx_(ctx), host_(host) {
    setWindowTitle(QStringLiteral("Kelvo 3.09"));
    buildMenus();

    cbxSimulated = new QCheckBox(QStringLiteral("Simulated"), this);
    cbxSimulated->setObjectName(QStringLiteral("cbxSimulated"));
    connect(cbxSimulated, &QCheckBox::clicked, this, [this](bool on) { SimMode(on); });

    btnReadFromSensor = new QPushButton(QStringLiteral("Read from sensor"), this);
    btnReadFromSensor->setObjectName(QStringLiteral("btnReadFromSensor"));
    connect(btnReadFromSensor, &QPushButton::clicked, mReadfromsensor, &QAction::trigger);
    btnSendToSensor = new QPushButton(QStringLiteral("Send to sensor"), this);
    btnSendToSensor->setObjectName(QStringLiteral("btnSendToSensor"));
    connect(btnSendToSensor, &QPushButton::clicked, mSendtosensor, &QAction::trigger);

    loopTimer_ = new QTimer(this);
    loopTimer_->setSingleShot(true);
    connect(loopTimer_, &QTimer::timeout, this, &SensorWindow::activationPass);
}

SensorWindow::~SensorWindow() {
    // A field that has the focus loses it while the children are deleted, after the
    // concrete window is gone: its commit must not reach FormRead any more.
    for (auto* behaviour : findChildren<EditFieldBehaviour*>()) behaviour->detach();
}

void SensorWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    mFile = bar->addMenu(QStringLiteral("File"));
    mFile->setObjectName(QStringLiteral("mFile"));
    mLoadsettings = addItem(mFile, "mLoadsettings", QStringLiteral("Load settings"));
    mSavesettings = addItem(mFile, "mSavesettings", QStringLiteral("Save settings"));
    msep2 = mFile->addSeparator();
    msep2->setObjectName(QStringLiteral("msep2"));
    mOptions = addSubmenu(mFile, "mOptions", QStringLiteral("Kelvo options"));
    mComSet = addItem(mOptions, "mComSet",
                      QStringLiteral("Show communication setup dialog when Kelvo starts."));
    mComSet->setCheckable(true);
    msep = mFile->addSeparator();
    msep->setObjectName(QStringLiteral("msep"));
    mExit = addItem(mFile, "mExit", QStringLiteral("Exit"));

    M0 = bar->addMenu(QStringLiteral("Sensor"));
    M0->setObjectName(QStringLiteral("M0"));
    mReadfromsensor = addItem(M0, "mReadfromsensor", QStringLiteral("Read from sensor"));
    mSendtosensor = addItem(M0, "mSendtosensor", QStringLiteral("Send to sensor"));
    mCalibrate = addSubmenu(M0, "mCalibrate", QStringLiteral("Calibrate"));
    CalTemp = addItem(mCalibrate, "CalTemp", QStringLiteral("Temp"));
    mCalCO2 = addSubmenu(mCalibrate, "mCalCO2", QStringLiteral("CO2 single point"));
    mCalCO2Zero = addItem(mCalCO2, "mCalCO2Zero", QStringLiteral("Zero"));
    mCalCO2Background = addItem(mCalCO2, "mCalCO2Background", QStringLiteral("Fresh air"));
    mCalCO2Other = addItem(mCalCO2, "mCalCO2Other", QStringLiteral("Other"));
    mCalCO2span = addItem(mCalibrate, "mCalCO2span", QStringLiteral("CO2 span"));
    mTWAreset = addItem(M0, "mTWAreset", QStringLiteral("TWA reset"));

    mView = bar->addMenu(QStringLiteral("View"));
    mView->setObjectName(QStringLiteral("mView"));
    measurementViews_ = new MeasurementViews(*this, ctx_, mView);

    mHelp = bar->addAction(QStringLiteral("Help"));
    mHelp->setObjectName(QStringLiteral("mHelp"));

    const struct {
        QAction* item;
        int16_t code;
        bool pleaseWait;
    } handlers[] = {
        {mReadfromsensor, kActionSensorRead, true},
        {mSendtosensor, kActionSensorWrite, true},
        {mLoadsettings, kActionSettingsLoad, true},
        {mSavesettings, kActionSettingsSave, true},
        {CalTemp, kActionCalTemp, false},
        {mCalCO2Zero, kActionCalCO2Zero, true},
        {mCalCO2Background, kActionCalCO2Background, true},
        {mCalCO2Other, kActionCalCO2Other, true},
        {mCalCO2span, kActionCalCO2Span, false},
        {mTWAreset, kActionTWAReset, true},
    };
    for (const auto& h : handlers) {
        connect(h.item, &QAction::triggered, this,
                [this, code = h.code, wait = h.pleaseWait] { requestAction(code, wait); });
    }
    connect(mExit, &QAction::triggered, this, [this] {
        host_.ShowProgress(QStringLiteral("Please wait"));
        cancel(ctx_);
        leaveWindow();
    });
    connect(mComSet, &QAction::triggered, this, &SensorWindow::toggleComSet);
    connect(mHelp, &QAction::triggered, this, &SensorWindow::openHelp);
    addMenuKeys();
}

void SensorWindow::addMenuKeys() {
    // The captions stay as they are, without "&" marks: the keys are bound here instead.
    const struct {
        QKeySequence key;
        QAction* item;
    } keys[] = {
        {QKeySequence(Qt::Key_F10), mFile->menuAction()},
        {QKeySequence(Qt::ALT | Qt::Key_F), mFile->menuAction()},
        {QKeySequence(Qt::ALT | Qt::Key_S), M0->menuAction()},
        {QKeySequence(Qt::ALT | Qt::Key_V), mView->menuAction()},
        {QKeySequence(Qt::ALT | Qt::Key_H), mHelp},
    };
    for (const auto& k : keys) {
        auto* shortcut = new QShortcut(k.key, this);
        connect(shortcut, &QShortcut::activated, this, [this, item = k.item] {
            if (item->menu()) {
                menuBar()->setActiveAction(item);
            } else {
                item->trigger();
            }
        });
    }
}

void SensorWindow::requestAction(int16_t code, bool pleaseWait) {
    if (pleaseWait) host_.ShowProgress(QStringLiteral("Please wait"));
    ctx_.PendingAction = code;
    // A pass running an action picks nothing up: the code is cleared when it ends.
    if (loopRunning_ && !passRunning_) loopTimer_->start(0);
}

void SensorWindow::wakeLoop() {
    if (loopRunning_ && !passRunning_) loopTimer_->start(0);
}

void SensorWindow::toggleComSet() {
    // The item was toggled by Qt already; its new state says "show the dialog".
    host_.setDontShowSetupDialog(!mComSet->isChecked());
}

QString SensorWindow::helpFilePath() const {
    const QString name = QStringLiteral("help%1v%2.html")
                             .arg(GetPlatform(ctx_))
                             .arg(QString::fromStdString(NumberText(GetVersion(ctx_))));
    return QDir(QString::fromStdString(ctx_.AppDir)).filePath(name);
}

std::vector<ShownChannel> SensorWindow::shownChannels() const {
    const auto* panel = findChild<const ChannelPanel*>();
    return panel ? panel->shownChannels() : std::vector<ShownChannel>{};
}

void SensorWindow::openHelp() {
    host_.openDocument(helpFilePath());
}

void SensorWindow::SimMode(bool on) {
    const QSignalBlocker block(cbxSimulated);
    cbxSimulated->setChecked(on);
    for (QAction* item : {mTWAreset, mReadfromsensor, mSendtosensor}) item->setEnabled(!on);
    mCalibrate->setEnabled(!on);
    mCalibrate->menuAction()->setEnabled(!on);
    btnReadFromSensor->setEnabled(!on);
    btnSendToSensor->setEnabled(!on);
    showCaption(on ? kSimulatedCaption : kLiveCaption);
    if (!on && statusBar()->currentMessage() == lostSensorHint()) statusBar()->clearMessage();
    // Leaving simulated mode is no news to report; the next pass clears the marker.
    if (!on) cancel(ctx_);
    wakeLoop();
}

void SensorWindow::showCaption(const QString& caption) {
    // Which sensor the window shows, after the caption, so two windows or a screenshot
    // can be told apart; nothing before the image knows the sensor.
    if (!ctx_.RamRead[kRamIdByte]) {
        setWindowTitle(caption);
        return;
    }
    setWindowTitle(QStringLiteral("%1 - platform %2 version %3, %4")
                       .arg(caption)
                       .arg(GetPlatform(ctx_))
                       .arg(QString::fromStdString(NumberText(GetVersion(ctx_))),
                            QString::fromStdString(SerialText(ctx_))));
}

void SensorWindow::executeAction(int16_t code) {
    switch (code) {
        case kActionSensorRead:
            ActionSensorRead();
            break;
        case kActionSensorWrite:
            ActionSensorWrite();
            break;
        case kActionSettingsLoad:
            ActionSettingsLoad();
            break;
        case kActionSettingsSave:
            ActionSettingsSave();
            break;
        case kActionCalTemp:
            ActionCalTempZero();
            break;
        case kActionCalCO2Zero:
            ActionCalCO2Zero(0);
            break;
        case kActionCalCO2Background:
            ActionCalCO2Zero(1);
            break;
        case kActionCalCO2Other:
            ActionCalCO2Zero(2);
            break;
        case kActionCalCO2Span:
            ActionCalCO2span();
            break;
        case kActionTWAReset:
            ActionTWAReset();
            break;
        default:
            break;  // another window's code: only cleared
    }
}

SensorWindow::ActionLabel SensorWindow::actionLabel(int16_t code) const {
    // The history names each row by what the technician chose, as the menus say it.
    static const std::map<int16_t, ActionLabel> kLabels{
        {kActionSensorRead, {"Read from sensor"}},
        {kActionSensorWrite, {"Send to sensor"}},
        {kActionSettingsLoad, {"Load settings"}},
        {kActionSettingsSave, {"Save settings"}},
        {kActionCalTemp, {"Calibrate temperature", true}},
        {kActionCalCO2Zero, {"Calibrate CO2 zero", true}},
        {kActionCalCO2Background, {"Calibrate CO2 fresh air", true}},
        {kActionCalCO2Other, {"Calibrate CO2 other", true}},
        {kActionCalCO2Span, {"Calibrate CO2 span", true}},
        {kActionCalO2Zero, {"Calibrate O2 zero", true}},
        {kActionCalO2Span, {"Calibrate O2 span", true}},
        {kActionTWAReset, {"TWA reset"}},
        {kActionLeaveWindow, {"Leave window"}},
    };
    const auto found = kLabels.find(code);
    return found != kLabels.end() ? found->second : ActionLabel{"Action " + std::to_string(code)};
}

void SensorWindow::noteReference(const std::string& typed) {
    if (record_) record_->referenceTyped(typed);
}

void SensorWindow::activationPass() {
    if (passRunning_ || !loopRunning_) return;
    passRunning_ = true;

    if (ctx_.PendingAction != kActionNone) {
        const int16_t code = ctx_.PendingAction;
        ctx_.ErrorText.clear();
        if (code == kActionLeaveWindow) {
            ctx_.PendingAction = kActionNone;
            passRunning_ = false;
            handOver();
            return;
        }
        statusBar()->clearMessage();
        {
            // One port opening for the whole action, its backup and history included.
            PortHold hold(ctx_);
            // Whatever the action sends keeps a backup and a history line.
            const ActionLabel label = actionLabel(code);
            RecordedAction record(ctx_, label.name,
                                  label.calibration ? ServiceRecorder::Kind::Calibration
                                                    : ServiceRecorder::Kind::Send);
            record_ = &record;
            executeAction(code);
            record_ = nullptr;
        }
        // Whatever was chosen while the action ran is dropped with it.
        ctx_.PendingAction = kActionNone;
        if (hasErrorToShow(ctx_)) {
            ctx_.prompt.message(ctx_.ErrorText);
        }
        ctx_.ErrorText.clear();
        host_.ShowProgress(QString());
        releasePort();
    }

    simulationAnimating_ = false;
    if (leaveRequested_) {
        // The window is on its way out: no poll, nor its "No sensor detected" message.
    } else if (!cbxSimulated->isChecked()) {
        pollMeasurements();
    } else {
        simulationAnimating_ = simulationStep();
    }

    passRunning_ = false;
    if (leaveRequested_) {
        leaveRequested_ = false;
        handOver();
        return;
    }
    scheduleNextPass();
}

void SensorWindow::pollMeasurements() {
    const int64_t now = ctx_.clock.tickMs();
    if (now - lastPollMs_ <= kPollIntervalMs) return;
    lastPollMs_ = now;
    const bool ran = ctx_.ErrorText.empty();
    bool polled = false;
    {
        PortHold hold(ctx_);
        polled = ran && ActionSensorReadM();
    }
    releasePort();
    if (polled) measurementViews_->polled();
    if (ran && !polled && !isCancelled(ctx_)) {
        ctx_.ErrorText.clear();
        ctx_.prompt.message("No sensor detected, entering simulated mode.");
        SimMode(true);
        // The sensor controls are greyed now; without this line nothing says how to reach
        // the sensor again.
        statusBar()->showMessage(lostSensorHint());
    }
    ctx_.ErrorText.clear();
}

QString SensorWindow::lostSensorHint() const {
    return QStringLiteral("The sensor does not answer. Untick \"%1\" to try it again.")
        .arg(cbxSimulated->text());
}

void SensorWindow::releasePort() {
    // Between user actions the port is free for other programs; the next transaction
    // opens it again.
    if (ctx_.port.isOpen()) ctx_.port.close();
}

void SensorWindow::scheduleNextPass() {
    if (!loopRunning_ || passRunning_) return;
    if (ctx_.PendingAction != kActionNone) {
        loopTimer_->start(0);
    } else if (!cbxSimulated->isChecked()) {
        const int64_t due = lastPollMs_ + kPollIntervalMs + 1 - ctx_.clock.tickMs();
        loopTimer_->start(static_cast<int>(std::clamp<int64_t>(due, 0, kPollIntervalMs + 1)));
    } else if (simulationAnimating_) {
        loopTimer_->start(kAnimationPassMs);
    } else {
        // Simulated and idle: nothing to do until a handler or the trigger button asks.
        loopTimer_->stop();
    }
}

void SensorWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    host_.ShowProgress(QString());
    if (loopRunning_) return;
    loopRunning_ = true;
    // The cancel marker a switch to live mode leaves is for the loop's first pass to drop;
    // left standing until the first poll it would make that poll, and any transfer before
    // it, give up.
    if (!passRunning_ && isCancelled(ctx_)) ctx_.ErrorText.clear();
    // The first values are polled on the loop's first pass, as soon as the window shows;
    // the timer then keeps the interval from there.
    lastPollMs_ = ctx_.clock.tickMs() - kPollIntervalMs - 1;
    scheduleNextPass();
}

void SensorWindow::hideEvent(QHideEvent* event) {
    // A hidden window no longer talks to the sensor.
    loopRunning_ = false;
    loopTimer_->stop();
    QMainWindow::hideEvent(event);
}

void SensorWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    leaveWindow();
}

void SensorWindow::leaveWindow() {
    // A second close while the window is being left is the same request.
    if (leaving_) return;
    // Tearing the link down under a running transaction would leave it half done. The
    // close cancels it as the progress dialog's Cancel does: the link stops at the next
    // block boundary and puts the sensor back in order, then the pass hands over.
    if (passRunning_) {
        leaveRequested_ = true;
        cancel(ctx_);
        return;
    }
    handOver();
}

void SensorWindow::handOver() {
    leaving_ = true;
    // No pass starts while the window is left, not even from the events a put-back lets
    // run: the window's last word to the sensor is the put-back.
    loopRunning_ = false;
    loopTimer_->stop();
    // Exit's cancel marker is for start-up; the put-back is not to give up for it.
    const std::string marker = ctx_.ErrorText;
    ctx_.ErrorText.clear();
    {
        PortHold hold(ctx_);
        RecordedAction record(ctx_, actionLabel(kActionLeaveWindow).name);
        endTests();
    }
    if (hasErrorToShow(ctx_)) ctx_.prompt.message(ctx_.ErrorText);
    ctx_.ErrorText = marker;
    host_.ShowProgress(QString());
    releasePort();
    leaving_ = false;
    host_.RestartOrEnd();
}

void SensorWindow::showHeld(QLineEdit* field, const QString& held) {
    const QString typed = field->text().trimmed();
    if (!sayHeld(typed, held)) return;
    field->setText(held);
}

bool SensorWindow::sayHeld(const QString& typed, const QString& held) {
    // The same number written another way ("16.0") was stored as typed.
    if (typed == held || ParseNumber(typed.toStdString()) == ParseNumber(held.toStdString()))
        return false;
    statusBar()->showMessage(
        QStringLiteral("The sensor cannot store %1: held at %2, the nearest value it can.")
            .arg(typed, held));
    return true;
}

void SensorWindow::reportSuccess(const QString& text) {
    statusBar()->showMessage(text);
}

QMenu* SensorWindow::makePopup(const QString& name, const QString& title) {
    auto* popup = new QMenu(title, this);
    popup->setObjectName(name);
    return popup;
}

QAction* SensorWindow::addPopupItem(QMenu* popup, const QString& name, const QString& caption,
                                    const QString& writes) {
    QAction* item = popup->addAction(caption);
    item->setObjectName(name);
    connect(item, &QAction::triggered, this, [this, item, writes] {
        if (popupTarget_) popupTarget_->setText(writes.isEmpty() ? item->text() : writes);
    });
    return item;
}

void SensorWindow::popUp(QLabel* target, QMenu* popup) {
    popupTarget_ = target;
    popup->exec(QCursor::pos());
    popupTarget_ = nullptr;
}

void SensorWindow::makeEditable(QLineEdit* field, FieldCheck check) {
    new EditFieldBehaviour(field, [this, field, check = std::move(check)] {
        const QString typed = field->text().trimmed();
        const QString said = statusBar()->currentMessage();
        if (!check || check(field)) {
            FormRead();
            FormUpdate();
        }
        // The field now shows what the sensor will keep; a typed value it cannot keep is
        // not changed silently, unless the window said why already.
        if (statusBar()->currentMessage() == said) sayHeld(typed, field->text().trimmed());
    });
}

}  // namespace kelvo
