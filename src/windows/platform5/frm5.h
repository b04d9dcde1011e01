#pragma once
// The settings window of platform-5 sensors: channels, general settings, the two analogue
// outputs and the digital trigger, mapped to the sensor's RAM.

#include <array>

#include "settings/field_binding.h"
#include "settings/function_shapes.h"
#include "windows/platform5/platform5_window.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kelvo {

class ChannelPanel;
class ShapePicture;

class frm5 : public Platform5Window {
    Q_OBJECT

public:
    static constexpr int kOutputs = 2;
    static constexpr int kTriggerOutputs = 4;
    static constexpr int kFunctions = 5;

    frm5(Context& ctx, WindowHost& host, QWidget* parent = nullptr);

    bool ActionSensorReadM() override;
    bool FormUpdateM() override;
    bool FormUpdate() override;
    bool FormRead() override;
    bool FormUpdateInit() override;
    void SimMode(bool on) override;
    // Recomputes both outputs from the controls, as the sensor would drive them.
    void Simulate();
    // Starts the digital-trigger test (the "trig" button).
    void startTriggerTest();
    bool triggerTestRunning() const { return trigger_.running; }

    // The sign bit (sign set) or the slope bit (slope set) of function index's shape.
    uint8_t FunkTypeRead(float index, bool slope, bool sign);
    // Shows the next shape of the function's kind (nextPicture), or the one for the flags.
    void FunkTypeUpdate(float index, bool nextPicture, bool posSign, bool posSlope);

    // Hidden pop-up pick list of the trigger's time unit.
    QMenu* mTimeUnits = nullptr;
    QAction* mTimeUnitMin = nullptr;
    QAction* mTimeUnitSec = nullptr;

    // Channel panel (pctChannels with its rows).
    ChannelPanel* pctChannels = nullptr;

    // Analogue outputs.
    std::array<QFrame*, kOutputs> pctOut{};
    std::array<QLabel*, kOutputs> lblOutName{};
    std::array<QFrame*, kOutputs> pctOut5{};
    std::array<QRadioButton*, kOutputs> optOut5V{};
    std::array<QRadioButton*, kOutputs> optOut5mA{};
    std::array<QRadioButton*, kOutputs> optOut5Digital{};
    std::array<QLineEdit*, kOutputs> txbOutOut{};
    std::array<QLineEdit*, kOutputs> txbOutBaseLine{};
    std::array<QLineEdit*, kOutputs> txbOutIntTime{};
    std::array<QLabel*, kOutputs> lblOutBaseLine{};
    std::array<QLabel*, kOutputs> lblOutBaseLineUnit{};
    std::array<QLabel*, kOutputs> lblOutIntTime{};
    std::array<QLabel*, kOutputs> lblOutIntTimeUnit{};

    // Digital trigger.
    QFrame* pctDT = nullptr;
    QPushButton* btnDigTrig = nullptr;
    QLineEdit* txbDigTlevel = nullptr;
    QLineEdit* txbDigTtime = nullptr;
    QLabel* lblDigTunit = nullptr;
    ShapePicture* pctDigTPsign = nullptr;
    ShapePicture* pctDigTNsign = nullptr;
    std::array<QCheckBox*, kTriggerOutputs> cbxDigTout{};

    // Output functions P1..P5.
    std::array<QFrame*, kFunctions> pctFunction{};
    std::array<QLabel*, kFunctions> lblFunctionName{};
    std::array<QLabel*, kFunctions> lblFchannel{};
    std::array<QLineEdit*, kFunctions> txbFa{};
    std::array<QLineEdit*, kFunctions> txbFb{};
    std::array<QLabel*, kFunctions> lblFaUnit{};
    std::array<QLabel*, kFunctions> lblFbUnit{};
    std::array<QCheckBox*, kFunctions> cbxFout1{};
    std::array<QCheckBox*, kFunctions> cbxFout2{};
    // The ten shape pictures of each function, in shape order (kShapePictureNames).
    std::array<std::array<ShapePicture*, kFunctionShapes>, kFunctions> functionShape{};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool simulationStep() override;

private:
    void buildPopups();
    QWidget* buildOutputPanel(int j);
    QWidget* buildTriggerPanel();
    QWidget* buildFunctionPanel(int i);
    int visibleShape(int i) const;
    FunctionKind functionKind(int i) const;
    void pickFunctionChannel(int i);
    void flipTriggerSign(bool toNegative);
    void buildFieldTable();
    void buildOutputFields(int j);
    void buildFunctionFields(int i);
    void buildTriggerFields();
    void showFunctionUnits();
    // An editable text field in the table.
    FieldTable::Id bindText(QLineEdit* field, FieldPlace place, FieldCodec codec,
                            FieldCheck check = {});
    // The function channels' pick list: channels 0 to 3 by their captions.
    FieldCodec channelCodec() const;
    void clickLabel(QLabel* label);
    // The temperature-unit pick list of channel c's unit label.
    void pickTempUnit(int c);
    void setRam(int address, int value);

    // The settings controls and where they live: shown by FormUpdate, stored by FormRead.
    FieldTable fields_;
    // Fields the window stores on its own or whose edits other rules ask about.
    std::array<FieldTable::Id, kFunctions> functionChannelField_{};
    std::array<FieldTable::Id, kOutputs> outputOptionField_{};
    std::array<FieldTable::Id, kOutputs> baseLineField_{};

    double simulatedOutput(int j);
    // The digital-trigger test: times in seconds on the monotonic clock.
    struct TriggerTest {
        bool running = false;
        double start = 0;
        double end = 0;
    } trigger_;
};

}  // namespace kelvo
