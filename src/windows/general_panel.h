#pragma once
// The general panel every sensor window opens with: the sensor's serial number and network
// ID, and what the sensor's own display shows (the display mode and shift button of
// platform 5, the display sequence of the others). A window says which parts it shows;
// where a sensor keeps each setting comes from its platform's profile, and a part the
// sensor keeps nothing of is shown and can be picked on the screen, but is neither filled
// from the image nor stored into it.

#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "model/platform_profile.h"
#include "settings/field_binding.h"

class QAction;
class QGridLayout;
class QLabel;
class QMenu;
class QWidget;

namespace kelvo {

struct Context;
class SensorWindow;

// The parts of the panel a window shows.
struct GeneralPanelLayout {
    // The platform-5 display panel: display mode and shift button.
    bool displayMode = false;
    // The shift button's fields take part; otherwise they stay empty and greyed.
    bool shiftButton = false;
    // The display sequence, its positions side by side or one below the other.
    std::optional<Qt::Orientation> displaySequence{};
    // Rows of the window's own below the network ID (the TWA window's version).
    std::vector<std::pair<QString, QWidget*>> rows{};
};

// The window's pick lists the panel's labels open; the window's other controls share them.
struct GeneralPanelLists {
    GeneralPanelLists(QMenu* channels, std::span<QAction* const> channelItems, QMenu* displayModes,
                      std::span<QAction* const> displayModeItems)
        : channels(channels),
          channelItems(channelItems.begin(), channelItems.end()),
          displayModes(displayModes),
          displayModeItems(displayModeItems.begin(), displayModeItems.end()) {}

    QMenu* channels;
    std::vector<QAction*> channelItems;
    QMenu* displayModes;
    std::vector<QAction*> displayModeItems;
};

class GeneralPanel : public QObject {
    Q_OBJECT

public:
    // Builds the panel into the window's general-panel controls (pctGeneral, txbSN, ...).
    GeneralPanel(SensorWindow& window, const GeneralPanelLayout& layout, GeneralPanelLists lists);

    // Binds the fields to where a sensor of the platform keeps them.
    void bind(uint8_t platform);
    // Image to controls: the serial text and every bound field.
    void show();
    // Controls to image.
    void store() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildDisplayPanel(bool shiftButton);
    void buildSequencePanel(Qt::Orientation orientation);
    void addPanel(QWidget* panel);
    void alignColumns();
    std::string channelCaption(int n) const;
    // The channel the shift button shifts, as the image holds it.
    int shiftChannel() const;
    void clickLabel(QLabel* label);
    // Opens the label's pick list; a choice of a bound field is stored at once and shown as
    // the sensor will keep it.
    void pick(QLabel* label, QMenu* list, std::optional<FieldTable::Id> field);

    SensorWindow& window_;
    Context& ctx_;
    GeneralPanelLists lists_;
    QGridLayout* grid_ = nullptr;
    std::vector<QGridLayout*> alignedGrids_;
    int nextRow_ = 0;
    bool shiftButton_ = false;

    FieldTable fields_;
    std::optional<FieldTable::Id> shiftChannelField_;
    std::vector<std::optional<FieldTable::Id>> positionFields_;
    DisplaySettings display_;  // where the bound sensor keeps what its display shows
    bool amountEditable_ = false;
};

}  // namespace kelvo
