#pragma once
// A plain sensor window: the shared shape with the serial number and the measured channels.
// It stands in for the windows whose own panels are not built yet, so that every platform
// opens a live window.

#include <vector>

#include "windows/sensor_window.h"

class QLineEdit;

namespace kelvo {

class ChannelPanel;

class GenericSensorWindow : public SensorWindow {
    Q_OBJECT

public:
    GenericSensorWindow(const QString& name, Context& ctx, WindowHost& host,
                        QWidget* parent = nullptr);

    bool FormUpdateInit() override;
    bool FormUpdate() override;
    bool FormRead() override;
    bool FormUpdateM() override;
    bool ActionSensorReadM() override;

    QLineEdit* txbSN = nullptr;
    ChannelPanel* channels = nullptr;

protected:
    // The channels the window lists, in row order.
    std::vector<int> shownChannels();
};

}  // namespace kelvo
