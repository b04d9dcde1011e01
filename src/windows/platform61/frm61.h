#pragma once
// The settings window of platform-61 sensors (temperature, CO2 and, on version 0, O2) and
// of platform-7 sensors: measured values and status, network ID, display sequence, alarm
// levels, and the O2 calibrations.

#include <array>
#include <vector>

#include "settings/field_binding.h"
#include "windows/sensor_window.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;

namespace kelvo {

class ChannelPanel;

class frm61 : public SensorWindow {
    Q_OBJECT

public:
    // The alarm levels, drawn across the trend on the channel each watches.
    std::vector<TrendMarker> trendMarkers() const override;
    static constexpr int kChannelRows = 6;
    static constexpr int kStatusRow = 5;
    static constexpr int kChannelItems = 13;
    static constexpr int kAlarmRows = 4;
    static constexpr int kLogicLabels = 3;

    frm61(Context& ctx, WindowHost& host, QWidget* parent = nullptr);

    bool ActionSensorReadM() override;
    bool ActionSensorRead() override;
    bool ActionSensorWrite() override;
    bool ActionCalO2Zero();
    bool ActionCalO2Span();
    bool FormUpdateM() override;
    // Simulated mode: the typed channel values into the image, as the sensor would hold them.
    bool FormReadM();
    bool FormUpdate() override;
    bool FormRead() override;
    bool FormUpdateInit() override;
    void SimMode(bool on) override;
    // Alarm statuses from the values on screen.
    void Simulate();

    // Sensor menu items of this window (the base's items renamed where the caption differs).
    QAction* mCalTemp = nullptr;
    QAction* mCalCO2SPzero = nullptr;
    QAction* mCalCO2SPBackground = nullptr;
    QAction* mCalCO2SPOther = nullptr;
    QAction* mCalCO2zero = nullptr;
    QAction* mCalO2zero = nullptr;
    QAction* mCalO2span = nullptr;

    // Hidden pop-up pick lists.
    QMenu* mTempUnit = nullptr;
    QAction* mTempUnitCelsius = nullptr;
    QAction* mTempUnitFarenheit = nullptr;
    QMenu* mChannels = nullptr;
    std::array<QAction*, kChannelItems> mCHannel{};
    QMenu* mDisplayModes = nullptr;
    std::array<QAction*, kDisplayModes> mDisplayMode{};
    QMenu* mTimeUnits = nullptr;
    QAction* mTimeUnitMin = nullptr;
    QAction* mTimeUnitSec = nullptr;

    ChannelPanel* pctChannels = nullptr;

    // Platform-61 alarms: CO2 pre and main, O2 pre and main.
    QFrame* pctAlarm061 = nullptr;
    std::array<QLineEdit*, kAlarmRows> txbAlarm061Level{};
    std::array<QLabel*, kAlarmRows> lblAlarm061Unit{};
    std::array<QLineEdit*, kAlarmRows> txbAlarm061Status{};
    std::array<QCheckBox*, kAlarmRows> cbxOC3{};
    std::array<QCheckBox*, kAlarmRows> cbxOC4{};
    QLabel* lblOC3 = nullptr;
    QLabel* lblOC4 = nullptr;
    std::array<QLabel*, kLogicLabels> lblAlarm061Logic1{};
    std::array<QLabel*, kLogicLabels> lblAlarm061Logic2{};

    // Platform-7 alarms.
    QFrame* pctAlarm07 = nullptr;
    std::array<QLabel*, kAlarmRows> lblAlarm7Channel{};
    std::array<QLineEdit*, kAlarmRows> lblAlarm7Level{};
    std::array<QLabel*, kAlarmRows> lblAlarm7Unit{};
    std::array<QLabel*, kAlarmRows> lblAlarm7Slope{};
    QLineEdit* txbAlarm7StatusPre = nullptr;
    QLineEdit* txbAlarm7StatusMain = nullptr;

protected:
    void executeAction(int16_t code) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool simulationStep() override;
    // Row k of the channel panel shows channel 4 + k.
    int shownIdOf(float channel) const override { return static_cast<int>(channel) - 4; }

private:
    void adaptMenus();
    void buildPopups();
    QWidget* buildAlarm61Panel();
    QWidget* buildAlarm7Panel();
    void clickLabel(QLabel* label);
    void pickChannel(QLabel* label);
    void flipLogic(std::array<QLabel*, kLogicLabels>& group, QLabel* clicked);
    void showRow(int k, const QString& name, const QString& unit);
    void offerChannels(const std::vector<int>& channels, bool modelNames);

    // Mapping (frm61_mapping.cpp).
    void buildFieldTables();
    FieldTable::Id bindText(FieldTable& table, QLineEdit* field, FieldPlace place,
                            FieldCodec codec);
    std::string channelCaption(int n) const;
    int alarm7Channel(int row) const;
    void showAlarm7Units();

    // Measurements and alarms (frm61_measurements.cpp).
    void showStatus();
    void showAlarmStatus();
    // The value shown for a channel, when the window shows that channel.
    const QLineEdit* valueOf(int channel) const;
    // The platform-7 alarm rows as they stand on screen: channel, level, slope.
    struct Alarm7Row {
        std::string channel, level, slope;
        bool operator==(const Alarm7Row&) const = default;
    };
    std::vector<Alarm7Row> alarm7Rows() const;
    // Taken when the screen shows what the sensor holds (opened, read, sent).
    void rememberSensorAlarms();

    bool platform7() const { return platform7_; }
    bool version0() const { return !platform7_ && version_ == 0; }

    // The settings as each sensor keeps them beyond the general panel's; FormUpdateInit
    // picks the tables of the sensor shown, FormUpdate shows them and FormRead stores only
    // what was shown.
    FieldTable alarm61Fields_;
    FieldTable platform7Fields_;
    std::vector<FieldTable*> active_;
    bool identified_ = false;  // FormUpdateInit has bound the fields to a sensor
    bool shown_ = false;
    bool platform7_ = false;
    float version_ = 0;
    // Rows of the channel panel in use, by channel: row k shows channel 4 + k.
    int measuredRows_ = 0;
    // The platform-7 alarm rows the sensor runs; an edit counts only once it is sent.
    std::vector<Alarm7Row> sensorAlarms7_;
};

}  // namespace kelvo
