#pragma once
// The TWA-alarm window of platform-5 sensors (versions 1 to 3): five alarm rows kept in the
// sensor's function slots, their relays, their live state, and the display and channel
// panels of the platform-5 window.

#include <array>

#include "settings/field_binding.h"
#include "windows/platform5/platform5_window.h"

class QCheckBox;
class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;

namespace kelvo {

class ChannelPanel;

class frm5Chart : public Platform5Window {
    Q_OBJECT

public:
    static constexpr int kRows = 5;
    static constexpr int kChannelRows = 3;

    frm5Chart(Context& ctx, WindowHost& host, QWidget* parent = nullptr);

    void SimMode(bool on) override;
    bool ActionTWAReset() override;
    bool ActionSensorReadM() override;
    bool FormUpdateM() override;
    bool FormUpdate() override;
    bool FormUpdateInit() override;
    bool FormRead() override;
    // Which alarms the channel values typed in would raise.
    void Simulate();

    // The general panel's row of this window's own.
    QLineEdit* txbVersion = nullptr;

    ChannelPanel* pctChannels = nullptr;

    // Alarm panel.
    QFrame* pctTolva = nullptr;
    QFrame* pctTolvatwa = nullptr;
    QLabel* lblTolvaTWA = nullptr;
    QCheckBox* cbxTWAonP0 = nullptr;
    std::array<QLineEdit*, kRows> txbTolvaLevel{};
    std::array<QLabel*, kRows> lblFTolvaunit{};
    std::array<QLineEdit*, kRows> txbStatus{};
    std::array<QCheckBox*, kRows> cbxTolvarelay{};
    QLineEdit* txbTolvaActTempAenable = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildAlarmPanel();
    void buildAlarmRow(int k, QWidget* panel, QGridLayout* grid, int row, const QString& caption);
    void buildFieldTable();
    void buildAlarmFields(int k);
    void renameDisplayModes(bool twa);
    void showStatus(int k, bool alarm);
    void pickTempUnit();

    FieldTable fields_;
    FieldTable::Id alarmSourceField_ = 0;
};

}  // namespace kelvo
