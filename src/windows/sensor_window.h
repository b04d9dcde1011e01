#pragma once
// The shape every sensor window shares: menus, the pending action, the activation loop,
// and the members start-up reaches by name. Start-up talks to windows only through this.

#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "windows/channel_panel.h"
#include "windows/trend_window.h"

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;

namespace kelvo {

struct CalibrationPlan;
struct Context;
class GeneralPanel;
class MeasurementViews;
class RecordedAction;
class WindowHost;

// Codes a handler leaves in PendingAction for the activation loop.
enum PendingActionCode : int16_t {
    kActionNone = 0,
    kActionSensorRead = 1,
    kActionSensorWrite = 2,
    kActionSettingsLoad = 3,
    kActionSettingsSave = 4,
    kActionCalTemp = 5,
    kActionCalCO2Zero = 6,
    kActionCalCO2Background = 7,
    kActionCalCO2Other = 8,
    kActionCalCO2Span = 9,
    kActionCalO2Zero = 10,
    kActionCalO2Span = 11,
    kActionTWAReset = 12,
    kActionLeaveWindow = 13,
    // Codes from 14 on are the platform windows' own (the VAV test of platform 6).
    kActionCheckTemp = 30,
    kActionCheckCO2 = 31,
    kActionCheckO2 = 32,
};

class SensorWindow : public QMainWindow {
    Q_OBJECT
    // The panel builds its controls into the window and commits its picks through it.
    friend class GeneralPanel;

public:
    SensorWindow(Context& ctx, WindowHost& host, QWidget* parent = nullptr);
    ~SensorWindow() override;

    virtual bool FormUpdateInit() = 0;
    virtual bool FormUpdate() = 0;
    virtual bool FormRead() = 0;
    virtual bool FormUpdateM() = 0;
    // Ticks or unticks cbxSimulated and switches the sensor controls and the caption.
    virtual void SimMode(bool on);

    // Sets the window's caption, followed by the platform, version and serial text of the
    // sensor in the image.
    void showCaption(const QString& caption);

    // The actions the activation loop runs; true on success, the reason in ErrorText.
    virtual bool ActionSensorRead();
    virtual bool ActionSensorWrite();
    virtual bool ActionSensorReadM() = 0;
    virtual bool ActionSettingsLoad();
    virtual bool ActionSettingsSave();
    virtual bool ActionTWAReset();
    virtual bool ActionCalCO2Zero(int32_t calType);
    virtual bool ActionCalTempZero();
    virtual bool ActionCalCO2span();
    // A bump test: the channel read against a reference the user types, nothing written.
    bool ActionCheck(int16_t code);

    // One pass of the activation loop: the pending action, then the poll or the
    // simulation step. The loop timer calls it; a pass never nests inside another.
    void activationPass();
    bool loopRunning() const { return loopRunning_; }
    // The help page for the sensor now in the image.
    QString helpFilePath() const;

    // The channel rows as shown, for the trend and the measurement log; a window without
    // the shared channel panel says what it shows instead.
    virtual std::vector<ShownChannel> shownChannels() const;
    // Alarm levels or set points the trend draws across its chart.
    virtual std::vector<TrendMarker> trendMarkers() const { return {}; }
    MeasurementViews* measurementViews() const { return measurementViews_; }

    // Controls start-up switches on and off; created by the base, named as the system names
    // them. The concrete window places them in its layout.
    QCheckBox* cbxSimulated = nullptr;
    QAction* mReadfromsensor = nullptr;
    QAction* mSendtosensor = nullptr;
    QMenu* mCalibrate = nullptr;
    QAction* mComSet = nullptr;
    QPushButton* btnReadFromSensor = nullptr;
    QPushButton* btnSendToSensor = nullptr;

    // The general panel (general_panel.h): the sensor's serial number and network ID, and
    // what its display shows. Controls of a part the window does not show stay null.
    static constexpr int kDisplayPositions = 4;
    QFrame* pctGeneral = nullptr;
    QLineEdit* txbSN = nullptr;
    QLineEdit* txbID = nullptr;
    QFrame* pctDisplay5 = nullptr;
    QLabel* lblDisplayMode = nullptr;
    QLabel* lblShiftb = nullptr;
    QLineEdit* txbShiftBamount = nullptr;
    QLabel* lblShiftb_Type = nullptr;
    QFrame* pctDisplay6 = nullptr;
    std::array<QLabel*, kDisplayPositions> lblDisp{};

    // The rest of the menu bar.
    QMenu* mFile = nullptr;
    QAction* mLoadsettings = nullptr;
    QAction* mSavesettings = nullptr;
    QAction* msep2 = nullptr;
    QMenu* mOptions = nullptr;
    QAction* msep = nullptr;
    QAction* mExit = nullptr;
    QMenu* M0 = nullptr;
    QAction* CalTemp = nullptr;
    QMenu* mCalCO2 = nullptr;
    QAction* mCalCO2Zero = nullptr;
    QAction* mCalCO2Background = nullptr;
    QAction* mCalCO2Other = nullptr;
    QAction* mCalCO2span = nullptr;
    QAction* mTWAreset = nullptr;
    QMenu* mCheck = nullptr;
    QAction* mCheckTemp = nullptr;
    QAction* mCheckCO2 = nullptr;
    QAction* mCheckO2 = nullptr;
    QAction* mCalReport = nullptr;
    QAction* mTechnician = nullptr;
    QMenu* mView = nullptr;
    QAction* mHelp = nullptr;

    // Items in the display-mode pick list every window with a display offers.
    static constexpr int kDisplayModes = 5;

    // The caption live and simulated windows carry.
    static const QString kSimulatedCaption;
    static const QString kLiveCaption;

protected:
    // Runs one action code; a code that is not this window's is ignored (the loop clears
    // it). Windows with codes of their own extend it.
    virtual void executeAction(int16_t code);
    // How the service record names an action code, and whether it is a calibration (its
    // words are kept before and after). Windows with codes of their own extend it.
    struct ActionLabel {
        std::string name;
        bool calibration = false;
    };
    virtual ActionLabel actionLabel(int16_t code) const;
    // Sends the TWA reset and says in the status bar what the sensor answered.
    bool resetTwa();
    // The reference value a calibration's user typed, for the service record.
    void noteReference(const std::string& typed);

    // Says in the status bar what an action did to the sensor or its files, so the
    // technician knows it worked; the next action clears it.
    void reportSuccess(const QString& text);
    // Puts held, the nearest value the sensor can store, in place of a typed value it
    // cannot, and says so in the status bar; a value it can store is left alone.
    void showHeld(QLineEdit* field, const QString& held);
    // Says in the status bar that typed was held at held; false when they are one number.
    bool sayHeld(const QString& typed, const QString& held);
    // Ends what the window left running in the sensor for a test (a test position), before
    // the window is left; false with the reason in ErrorText when the sensor kept it.
    virtual bool endTests() { return true; }
    // Simulated-mode step of the loop (the trigger-test animation); true while it wants
    // passes at animation speed.
    virtual bool simulationStep() { return false; }

    // A calibration prompt with the unit its answer is typed in on a line below.
    static std::string promptInUnit(const std::string& prompt, const std::string& unit) {
        return unit.empty() ? prompt : prompt + "\n(" + unit + ")";
    }
    // The unit of the platform's temperature or CO2 channel as the window shows it,
    // "\xC2\xB0" before C and F; empty before the image knows the sensor.
    enum class AnswerIn { Temperature, CO2, O2 };
    std::string answerUnit(AnswerIn quantity) const;

    // Tells what the calibration will do and asks to go on, with a second question when the
    // reference lies far from the reading; false (nothing sent) when the user stops.
    bool askBeforeCalibrating(const CalibrationPlan& plan);
    // How shownChannels numbers the row of a channel of the model.
    virtual int shownIdOf(float channel) const { return static_cast<int>(channel); }

    // File > "Calibration report...": a PDF of this sensor's latest visit from the history;
    // asks for the technician's name the first time.
    void makeCalibrationReport();
    // Asks for the technician's name the reports print; false when the user cancels.
    bool askTechnician();
    // Adds the bump-test items to the Sensor menu and the report to the File menu.
    void buildCheckMenus();

    // Asks for a loop pass soon (a simulation step was started).
    void wakeLoop();
    // What a menu handler does: "Please wait" if asked, then the code for the loop.
    void requestAction(int16_t code, bool pleaseWait);

    // A reference value typed into a calibration prompt. An empty answer is the user's
    // cancel (no message); text without a number is refused with a message before anything
    // reaches the sensor, since calibrating to a value nobody typed would shift its readings.
    enum class Answer { Cancelled, NotANumber, Number };
    Answer checkAnswer(const std::string& answer);

    // A hidden pop-up pick list; its items write their caption into the pop-up target.
    QMenu* makePopup(const QString& name, const QString& title);
    // writes: what the item puts into the target; its caption when empty.
    QAction* addPopupItem(QMenu* popup, const QString& name, const QString& caption,
                          const QString& writes = QString());
    // The pick lists several windows offer alike, each named as the system names it.
    QMenu* makeTempUnitPopup(QAction*& celsius, QAction*& farenheit);
    // Items captioned "CH0", "CH1", ... named itemName_0, itemName_1, ...
    QMenu* makeChannelPopup(const QString& name, const QString& title, const char* itemName,
                            QAction** items, int count);
    QMenu* makeDisplayModePopup(std::array<QAction*, kDisplayModes>& items);
    QMenu* makeTimeUnitPopup(QAction*& minutes, QAction*& seconds);

    // Opens the pop-up at the mouse with target as the label its choice goes to. A pop-up
    // closed without a choice leaves the label as it was.
    void popUp(QLabel* target, QMenu* popup);

    // Editable text fields: click edits, Enter or leaving commits through check, then
    // FormRead and FormUpdate (unless the check says the field needs neither); a value the
    // sensor cannot keep is shown as it will be kept, and the status bar says so.
    using FieldCheck = std::function<bool(QLineEdit*)>;
    void makeEditable(QLineEdit* field, FieldCheck check = {});

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

    Context& ctx_;
    WindowHost& host_;
    GeneralPanel* general_ = nullptr;
    // The temperature calibration's progress text; the platform-6 window's has a blank more.
    QString calTempProgress_ = QStringLiteral("Calibrating temperature");

private:
    void buildMenus();
    // Alt+letter opens each menu, F10 the first, as on any desktop.
    void addMenuKeys();
    void pollMeasurements();
    void releasePort();
    // What the status bar says once the sensor stopped answering.
    QString lostSensorHint() const;
    void scheduleNextPass();
    void toggleComSet();
    void openHelp();
    // Hands the window back to start-up, after the running action if there is one.
    void leaveWindow();
    // Ends the window's tests, then hands the window back to start-up.
    void handOver();

    QTimer* loopTimer_ = nullptr;
    MeasurementViews* measurementViews_ = nullptr;
    bool loopRunning_ = false;
    bool passRunning_ = false;
    bool simulationAnimating_ = false;
    bool leaveRequested_ = false;
    bool leaving_ = false;
    int64_t lastPollMs_ = 0;
    QLabel* popupTarget_ = nullptr;
    RecordedAction* record_ = nullptr;  // while an action runs
};

}  // namespace kelvo
