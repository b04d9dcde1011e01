// Where the platform-61 and platform-7 settings live in the sensor's EEPROM and which control
// shows them.
#include <QAction>
#include <QLabel>
#include <QLineEdit>

#include "common/context.h"
#include "model/channels.h"
#include "model/identification.h"
#include "settings/platform61_codecs.h"
#include "windows/field_controls.h"
#include "windows/general_panel.h"
#include "windows/platform61/frm61.h"

namespace kelvo {

namespace {
// Platform 61.
constexpr int kAlarmLevels61[frm61::kAlarmRows] = {76, 78, 80, 84};
constexpr int kCO2Channel = 5;
constexpr int kO2Channel = 6;

// Platform 7.
constexpr int kAlarmRows7 = 834;  // six bytes a row: level word, slope byte, ..., slope word
constexpr int kAlarmRowBytes = 6;
constexpr int kAlarmChannels7 = 925;  // two bytes a row, the channel in the low nibble
}  // namespace

std::string frm61::channelCaption(int n) const {
    return n >= 0 && n < kChannelItems ? mCHannel[n]->text().toStdString() : std::string();
}

int frm61::alarm7Channel(int row) const {
    return int(readField(ctx_, eepromByte(kAlarmChannels7 + 2 * row, 0x0F)));
}

FieldTable::Id frm61::bindText(FieldTable& table, QLineEdit* field, FieldPlace place,
                               FieldCodec codec) {
    makeEditable(field);
    return table.add(textControl(field), std::move(place), std::move(codec));
}

void frm61::buildFieldTables() {
    const CaptionOf caption = [this](int n) { return channelCaption(n); };

    for (int r = 0; r < kAlarmRows; ++r) {
        const int channel = r < 2 ? kCO2Channel : kO2Channel;
        bindText(alarm61Fields_, txbAlarm061Level[r], eepromWord(kAlarmLevels61[r]),
                 p61::channelWordCodec(ctx_, [channel] { return channel; }));
    }

    // The channel of a row comes before its level: a level is read for the channel stored.
    for (int r = 0; r < kAlarmRows; ++r) {
        const int row = kAlarmRows7 + kAlarmRowBytes * r;
        platform7Fields_.add(textControl(lblAlarm7Channel[r]),
                             eepromByte(kAlarmChannels7 + 2 * r, 0x0F),
                             p61::alarmChannelCodec(caption));
        bindText(platform7Fields_, lblAlarm7Level[r], eepromWord(row),
                 p61::channelWordCodec(ctx_, [this, r] { return alarm7Channel(r); }));
        platform7Fields_.add(textControl(lblAlarm7Slope[r]), p61::slopePlace(row),
                             p61::slopeCodec());
    }
}

void frm61::showAlarm7Units() {
    for (int r = 0; r < kAlarmRows; ++r) {
        lblAlarm7Unit[r]->setText(
            QString::fromStdString(GetUnitText(ctx_, float(alarm7Channel(r)))));
    }
}

bool frm61::FormUpdate() {
    const bool opening = !shown_;
    general_->show();
    for (FieldTable* table : active_) table->show(ctx_);
    shown_ = identified_;
    if (platform7()) showAlarm7Units();
    // The first showing after the sensor was identified is of its own settings.
    if (opening) rememberSensorAlarms();
    showAlarmStatus();
    return true;
}

bool frm61::FormRead() {
    // Fields never shown hold no sensor's values: storing them would write what the
    // window was drawn with.
    if (!shown_) return true;
    general_->store();
    for (const FieldTable* table : active_) table->store(ctx_);
    // The platform-7 send carries the version byte (EEPROM 1023) too. It goes back as the
    // sensor holds it: a version-1 sensor marked version 2 would no longer say what it is.
    return true;
}

}  // namespace kelvo
