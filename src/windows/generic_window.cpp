#include "windows/generic_window.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/context.h"
#include "model/channels.h"
#include "model/identification.h"
#include "model/platform_profile.h"
#include "windows/channel_panel.h"
#include "windows/edit_field.h"

namespace kelvo {

namespace {
// The most channels a platform numbers (platforms 61 and 7 count 0..15).
constexpr int kHighestChannel = 15;
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
        case kPlatform61:
        case kPlatform7:
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
    const PlatformProfile* profile = FindPlatform(GetPlatform(ctx_));
    const bool references = !profile || profile->co2ReferenceCalibrations;
    mCalCO2Background->setVisible(references);
    mCalCO2Other->setVisible(references);
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

}  // namespace kelvo
