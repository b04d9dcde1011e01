#pragma once
// The channel panel every sensor window shows: one row per channel with its name, its
// current value and its unit, and the "Simulated" box below the rows.

#include <QFrame>
#include <QString>
#include <array>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace kelvo {

struct Context;

// A channel row as the technician sees it.
struct ShownChannel {
    int channel = -1;
    QString name;
    QString value;
    QString unit;
};

class ChannelPanel : public QFrame {
    Q_OBJECT

public:
    static constexpr int kMaxRows = 8;

    // rows: how many rows the window has (pctChannel_0 .. pctChannel_<rows-1>).
    ChannelPanel(int rows, QCheckBox* simulated, QWidget* parent = nullptr);

    int rowCount() const { return rows_; }
    // Shows row k for channel c with the model's name and unit; c < 0 hides the row.
    void setRowChannel(int k, int channel, Context& ctx);
    int rowChannel(int k) const { return channel_[k]; }
    bool rowShown(int k) const { return channel_[k] >= 0; }
    // The measured value of row k from a raw word, formatted by the model.
    void showRaw(int k, float raw, Context& ctx);
    // In simulated mode the values are typed in, in yellow; live they are measured, in green.
    void showSimulated(bool on);
    // The rows now shown, in order, with the texts on screen; a row's channel is its number
    // where the window did not name one.
    std::vector<ShownChannel> shownChannels() const;

    std::array<QFrame*, kMaxRows> pctChannel{};
    std::array<QLabel*, kMaxRows> lblCH_Name{};
    std::array<QLineEdit*, kMaxRows> txbCHact{};
    std::array<QLabel*, kMaxRows> lblCH_Type{};

private:
    int rows_;
    std::array<int, kMaxRows> channel_{};
};

}  // namespace kelvo
