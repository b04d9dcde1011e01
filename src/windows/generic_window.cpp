#include "windows/generic_window.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/context.h"
#include "link/sensor_mem_read.h"
#include "link/sensor_mem_write.h"
#include "model/channels.h"
#include "model/identification.h"
#include "windows/channel_panel.h"
#include "windows/edit_field.h"

namespace kelvo {

namespace {
// The most channels a platform numbers (platforms 61 and 7 count 0..15).
constexpr int kHighestChannel = 15;
constexpr int32_t kListEepromSettings = 30;
constexpr uint8_t kEepromWriter = 1;

struct ByteRange {
    int address;
    int count;
};
// What start-up reads of a platform-7 sensor, and what the window shows of it.
constexpr ByteRange kPlatform7Reads[] = {{16, 1}, {834, 24}, {998, 3}, {925, 8}, {393, 4}};
}  // namespace

GenericSensorWindow::GenericSensorWindow(const QString& name, Context& ctx, WindowHost& host,
                                         QWidget* parent)
    : SensorWindow(ctx, host, parent) {
    setObjectName(name);
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    auto* general = new QFrame(central);
    general->setObjectName(QStringLiteral("pctGeneral"));
    auto* generalRow = new QHBoxLayout(general);
    generalRow->addWidget(new QLabel(QStringLiteral("S/N"), general));
    txbSN = new QLineEdit(general);
    txbSN->setObjectName(QStringLiteral("txbSN"));
    txbSN->setReadOnly(true);
    setDisplayColours(txbSN);
    generalRow->addWidget(txbSN);
    layout->addWidget(general);

    channels = new ChannelPanel(ChannelPanel::kMaxRows, cbxSimulated, central);
    layout->addWidget(channels);

    auto* buttons = new QHBoxLayout();
    buttons->addWidget(btnReadFromSensor);
    buttons->addWidget(btnSendToSensor);
    layout->addLayout(buttons);
    setCentralWidget(central);
}

std::vector<int> GenericSensorWindow::shownChannels() {
    switch (GetPlatform(ctx_)) {
        case 61:
        case 7:
            // Temperature, CO2 and O2: the model has no presence rule for these platforms.
            return {4, 5, 6};
        default: {
            std::vector<int> present;
            for (int c = 0; c <= kHighestChannel; ++c) {
                if (ChannelPresent(ctx_, static_cast<float>(c), true, true)) present.push_back(c);
            }
            return present;
        }
    }
}

bool GenericSensorWindow::FormUpdateInit() {
    int k = 0;
    for (int c : shownChannels()) {
        if (k < channels->rowCount()) channels->setRowChannel(k++, c, ctx_);
    }
    for (; k < channels->rowCount(); ++k) channels->setRowChannel(k, -1, ctx_);
    return true;
}

bool GenericSensorWindow::FormUpdate() {
    txbSN->setText(QString::fromStdString(SerialText(ctx_)));
    return true;
}

bool GenericSensorWindow::FormRead() {
    return true;
}

bool GenericSensorWindow::FormUpdateM() {
    for (int k = 0; k < channels->rowCount() && ctx_.ErrorText.empty(); ++k) {
        if (!channels->rowShown(k)) continue;
        const float raw = GetChannelValue(ctx_, static_cast<float>(channels->rowChannel(k)), false);
        if (ctx_.ErrorText.empty()) channels->showRaw(k, raw, ctx_);
    }
    return true;
}

bool GenericSensorWindow::ActionSensorReadM() {
    // The channel words are fetched one by one as they are shown.
    FormUpdateM();
    return ctx_.ErrorText.empty();
}

bool GenericSensorWindow::readWholeImage() {
    switch (GetPlatform(ctx_)) {
        case 5:
            return SensorWindow::readWholeImage();
        case 7:
            for (const ByteRange& r : kPlatform7Reads) {
                if (!SensorMemRead(ctx_, 0, static_cast<float>(r.address),
                                   static_cast<uint8_t>(r.count), true, false)) {
                    return false;
                }
            }
            return true;
        default:
            return SensorMemRead(ctx_, kListEepromSettings, 0, 0, true, false);
    }
}

bool GenericSensorWindow::writeSettings() {
    if (GetPlatform(ctx_) == 5) return SensorWindow::writeSettings();
    // Nothing is edited here: only bytes that differ from what was read go out.
    return SensorMemWrite(ctx_, kListEepromSettings, 0, 0, true, true, false, true, true, false);
}

int32_t GenericSensorWindow::settingsLoadList() const {
    // Platforms 6 and 61 take the mask stored with the file.
    return GetPlatform(ctx_) == 5 ? SensorWindow::settingsLoadList() : 0;
}

uint8_t GenericSensorWindow::settingsWriterFlag() const {
    return GetPlatform(ctx_) == 5 ? SensorWindow::settingsWriterFlag() : kEepromWriter;
}

}  // namespace kelvo
