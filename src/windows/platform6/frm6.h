#pragma once
// The settings window of platform-6 sensors: channels, display sequence, six output
// functions, four outputs, the digital output and trigger, and the application panels of
// the VAV, sequential-control and "6v3" versions, all mapped to the sensor's EEPROM.

#include <array>
#include <memory>

#include "settings/field_binding.h"
#include "settings/function_limits.h"
#include "settings/function_shapes.h"
#include "windows/sensor_window.h"

class QCheckBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kelvo {

class ChannelPanel;
class ShapePicture;

// The codes only this window's handlers set.
enum Frm6ActionCode : int16_t {
    kActionVAVMax = 14,
    kActionVAVMin = 15,
};

class frm6 : public SensorWindow {
    Q_OBJECT

public:
    static constexpr int kChannelRows = 7;
    static constexpr int kChannelItems = 14;
    static constexpr int kFunctionChannelItems = 12;
    static constexpr int kFunctions = 6;
    static constexpr int kOutputs = 4;
    static constexpr int kSixV3Fields = 9;

    frm6(Context& ctx, WindowHost& host, QWidget* parent = nullptr);

    void SimMode(bool on) override;
    bool ActionSensorRead() override;
    bool ActionSettingsLoad() override;
    bool ActionSensorWrite() override;
    bool ActionSensorReadM() override;
    // Sends the maximum (isMax) or minimum of the VAV panel as the output's test position.
    bool ActionVAVÄndra(bool isMax);
    bool FormUpdateM() override;
    bool FormUpdate() override;
    bool FormRead() override;
    bool FormUpdateInit() override;
    uint8_t FunkTypeRead(float index, bool slope, bool sign);
    void FunkTypeUpdate(float index, bool nextPicture, bool posSign, bool posSlope);
    float GetFunkResult(int funkNr, float x) const;
    void GetInitSetVAV();
    bool Read6v3(const QString& letter = QString());
    void Simulate();

    // The trigger test ("trig").
    void startTriggerTest();
    bool triggerTestRunning() const { return trigger_.running; }
    int versionCode() const { return version_; }
    const FunctionLimits& functionLimits() const { return limits_; }

    // Hidden pop-up pick lists.
    QMenu* mTempUnit = nullptr;
    QAction* mTempUnitCelsius = nullptr;
    QAction* mTempUnitFarenheit = nullptr;
    QMenu* mChannels = nullptr;
    std::array<QAction*, kChannelItems> mCHannel{};
    QMenu* mFChannels = nullptr;
    std::array<QAction*, kFunctionChannelItems> mFchannel{};
    QMenu* mDisplayModes = nullptr;
    std::array<QAction*, kDisplayModes> mDisplayMode{};
    QMenu* mTimeUnits = nullptr;
    QAction* mTimeUnitMin = nullptr;
    QAction* mTimeUnitSec = nullptr;

    ChannelPanel* pctChannels = nullptr;

    // Output functions.
    std::array<QFrame*, kFunctions> pctFunction{};
    std::array<QLabel*, kFunctions> lblFunctionName{};
    std::array<QLabel*, kFunctions> lblFchannel{};
    std::array<QLineEdit*, kFunctions> txbFa{};
    std::array<QLineEdit*, kFunctions> txbFb{};
    std::array<QLabel*, kFunctions> lblFaUnit{};
    std::array<QLabel*, kFunctions> lblFbUnit{};
    // cbxFout[j][i]: function i drives output j (cbxFout1..cbxFout4).
    std::array<std::array<QCheckBox*, kFunctions>, kOutputs> cbxFout{};
    std::array<std::array<ShapePicture*, kFunctionShapes>, kFunctions> functionShape{};

    // Outputs.
    std::array<QFrame*, kOutputs> pctOut{};
    std::array<QLabel*, kOutputs> lblOutName{};
    std::array<QFrame*, kOutputs> pctOut6{};
    std::array<QRadioButton*, kOutputs> optOut6Analog{};
    std::array<QRadioButton*, kOutputs> optOut6Digital{};
    std::array<QRadioButton*, kOutputs> optOut6TMO{};
    std::array<QCheckBox*, kOutputs> cbxOut6Invert{};
    std::array<QLineEdit*, kOutputs> txbOutOut{};
    std::array<QLineEdit*, kOutputs> txbOutBaseLine{};
    std::array<QLineEdit*, kOutputs> txbOutIntTime{};

    // Digital output.
    QFrame* pctD = nullptr;
    QCheckBox* cbxDigActive = nullptr;
    QLineEdit* txbDigLevel = nullptr;
    ShapePicture* pctDigPSign = nullptr;
    ShapePicture* pctDigNSign = nullptr;
    QLabel* lblDigName = nullptr;
    std::array<QCheckBox*, kOutputs> cbxDigout{};

    // Digital trigger.
    QFrame* pctDT = nullptr;
    QPushButton* btnDigTrig = nullptr;
    QLineEdit* txbDigTlevel = nullptr;
    QLineEdit* txbDigTtime = nullptr;
    QLabel* lblDigTunit = nullptr;
    QLabel* lblDigTName = nullptr;
    ShapePicture* pctDigTPsign = nullptr;
    ShapePicture* pctDigTNsign = nullptr;
    std::array<QCheckBox*, kOutputs> cbxDigTout{};

    // VAV (version code 1).
    QFrame* pctSetpV1 = nullptr;
    QLineEdit* txbSetPV1CO2 = nullptr;
    QLineEdit* txbSetPV1Temp = nullptr;
    QFrame* pctOutV1VAV = nullptr;
    QLabel* lblOutV1NameVAV = nullptr;
    QLineEdit* txbOutV1OutVAV = nullptr;
    QLineEdit* txbOutV1IntTimeVAV = nullptr;
    QLineEdit* txbUseMin = nullptr;
    QLineEdit* txbUseMax = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QFrame* linÄndra = nullptr;
    // Says that the sensor runs a test position, and how it ends.
    QLabel* lblVavTest = nullptr;
    QFrame* pctOutV1 = nullptr;
    QLabel* lblOutV1Name = nullptr;
    QLineEdit* txbOutV1Out = nullptr;
    QLineEdit* txbOutV1IntTime = nullptr;
    QRadioButton* optV1SlopePos = nullptr;
    QRadioButton* optV1SlopeNeg = nullptr;

    // Sequential control (version code 4).
    QFrame* pctSecCont = nullptr;
    QLineEdit* txbV4SetPCO2 = nullptr;
    QLineEdit* txbV4SetPtemp = nullptr;
    QLineEdit* txbV4PrangeVentTemp = nullptr;
    QLineEdit* txbV4PrangeCoolTemp = nullptr;
    QLineEdit* txbV4PrangeVentCO2 = nullptr;
    QLineEdit* txbV4MinVent = nullptr;
    QLineEdit* txbV4Out1Out = nullptr;
    QLineEdit* txbV4Out2Out = nullptr;

    // "6v3" (version code 3): A1, B, C, D1, E, F, G1, I, K, then the mirrors A2, D2, G2.
    QFrame* pct6v3Settings = nullptr;
    std::array<QLineEdit*, kSixV3Fields> txb6v3{};
    QLineEdit* txb6v3A2 = nullptr;
    QLineEdit* txb6v3D2 = nullptr;
    QLineEdit* txb6v3G2 = nullptr;
    std::array<QLineEdit*, 3> txb6v3AN{};

protected:
    void executeAction(int16_t code) override;
    ActionLabel actionLabel(int16_t code) const override;
    bool endTests() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool simulationStep() override;

private:
    void buildPopups();
    QWidget* buildFunctionPanel(int i);
    QWidget* buildOutputPanel(int j);
    QWidget* buildDigitalPanel();
    QWidget* buildTriggerPanel();
    QWidget* buildVavPanels();
    QWidget* buildSequentialPanel();
    QWidget* buildSixV3Panel();
    void buildFieldTables();
    void buildOutputFields(int j);
    void buildFunctionFields(int i);
    void buildLevelFields();
    void buildPanelGroups();
    FieldTable::Id bindText(FieldTable& table, QLineEdit* field, FieldPlace place, FieldCodec codec,
                            FieldCheck check = {});
    void showPanels();
    void showOutputCaptions();
    void clickLabel(QLabel* label);
    void pickFunctionChannel(int i);
    void flipSign(QLineEdit* level, ShapePicture* positive, ShapePicture* negative,
                  bool toNegative);
    void stepVav(QLineEdit* field, bool up, int16_t code);
    void leaveVavField(QLineEdit* field, int16_t code);
    // Puts back the bytes a VAV test position replaced in the sensor; true when none are
    // left to put back.
    bool endVavTest();
    int visibleShape(int i) const;
    FunctionKind functionKind(int i) const;
    bool drivesDigitalOutput(int i) const;
    double simulatedOutput(int j);
    uint8_t eeprom(int address) const;

    int version_ = 0;
    uint8_t product_ = 0;
    QHBoxLayout* outputRow_ = nullptr;
    FunctionLimits limits_;
    // The fields of the standard set.
    FieldTable standard_;
    std::array<FieldTable::Id, kFunctions> functionChannelField_{};
    // The picture each function's flags were last shown as, and the flags' text.
    std::array<std::pair<int, std::string>, kFunctions> shownShape_{};
    std::unique_ptr<FieldGroup> vav_;
    // The sensor's own bytes where a VAV test position now runs, from before the first test.
    struct VavTest {
        bool active = false;
        int first = 0;
        std::array<float, 4> kept{};
    } vavTest_;
    // The image's VAV bytes are not what the panel shows (a test wrote them, or their
    // put-back did): the panel's values are stored at the next FormRead, edited or not.
    bool vavImageStale_ = false;
    std::unique_ptr<FieldGroup> sequential_;
    std::unique_ptr<FieldGroup> sixV3_;

    struct TriggerTest {
        bool running = false;
        double start = 0;
        double end = 0;
    } trigger_;
};

}  // namespace kelvo
