#include "windows/channel_panel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "model/channels.h"
#include "windows/control_names.h"
#include "windows/edit_field.h"

namespace kelvo {

ChannelPanel::ChannelPanel(int rows, QCheckBox* simulated, QWidget* parent)
    : QFrame(parent), rows_(std::clamp(rows, 1, kMaxRows)) {
    setObjectName(QStringLiteral("pctChannels"));
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Channels"), this));
    channel_.fill(-1);
    for (int k = 0; k < rows_; ++k) {
        pctChannel[k] = new QFrame(this);
        pctChannel[k]->setObjectName(indexed("pctChannel", k));
        auto* row = new QHBoxLayout(pctChannel[k]);
        row->setContentsMargins(0, 0, 0, 0);
        lblCH_Name[k] = new QLabel(pctChannel[k]);
        lblCH_Name[k]->setObjectName(indexed("lblCH_Name", k));
        lblCH_Name[k]->setMinimumWidth(90);
        txbCHact[k] = new QLineEdit(pctChannel[k]);
        txbCHact[k]->setObjectName(indexed("txbCHact", k));
        txbCHact[k]->setReadOnly(true);
        txbCHact[k]->setMaximumWidth(90);
        setDisplayColours(txbCHact[k]);
        lblCH_Type[k] = new QLabel(pctChannel[k]);
        lblCH_Type[k]->setObjectName(indexed("lblCH_Type", k));
        lblCH_Type[k]->setMinimumWidth(40);
        row->addWidget(lblCH_Name[k]);
        row->addWidget(txbCHact[k]);
        row->addWidget(lblCH_Type[k]);
        row->addStretch();
        layout->addWidget(pctChannel[k]);
    }
    if (simulated) layout->addWidget(simulated);
    layout->addStretch();
}

void ChannelPanel::setRowChannel(int k, int channel, Context& ctx) {
    if (k < 0 || k >= rows_) return;
    channel_[k] = channel;
    pctChannel[k]->setVisible(channel >= 0);
    if (channel < 0) return;
    lblCH_Name[k]->setText(QString::fromStdString(ChannelName(ctx, channel, false)));
    lblCH_Type[k]->setText(QString::fromStdString(GetUnitText(ctx, channel)));
}

void ChannelPanel::showSimulated(bool on) {
    for (int k = 0; k < rows_; ++k) {
        txbCHact[k]->setReadOnly(!on);
        setTextColour(txbCHact[k], on ? QColor(255, 255, 0) : QColor(0, 255, 0));
    }
}

void ChannelPanel::showRaw(int k, float raw, Context& ctx) {
    if (k < 0 || k >= rows_ || channel_[k] < 0) return;
    txbCHact[k]->setText(
        QString::fromStdString(FormatChannelValue(ctx, raw, channel_[k], false, false)));
}

std::vector<ShownChannel> ChannelPanel::shownChannels() const {
    std::vector<ShownChannel> shown;
    // Windows that fill the rows themselves name no channel: the row stands for it.
    for (int k = 0; k < rows_; ++k) {
        if (pctChannel[k]->isHidden()) continue;
        shown.push_back({channel_[k] >= 0 ? channel_[k] : k, lblCH_Name[k]->text(),
                         txbCHact[k]->text(), lblCH_Type[k]->text()});
    }
    return shown;
}

}  // namespace kelvo
