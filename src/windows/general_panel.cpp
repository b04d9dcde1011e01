#include "windows/general_panel.h"

#include <QAction>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <algorithm>

#include "common/context.h"
#include "common/values.h"
#include "model/channels.h"
#include "model/identification.h"
#include "settings/general_codecs.h"
#include "windows/control_names.h"
#include "windows/edit_field.h"
#include "windows/field_controls.h"
#include "windows/sensor_window.h"

namespace kelvo {

namespace {
// The value column: wide enough for a network ID, a display mode or a channel name.
constexpr int kValueWidth = 110;
constexpr int kSerialWidth = 120;
constexpr int kAmountWidth = 70;
constexpr int kUnitWidth = 60;
constexpr int kPositionWidth = 60;
constexpr int kStretchColumn = 4;
constexpr int kChannelBits = 15;
const QColor kYellow(255, 255, 0);

// Leaving the ID field shows the number as it will be stored; the ID is stored only when
// the window is read.
bool checkNetworkId(QLineEdit* field) {
    const double id =
        std::clamp(ParseNumber(field->text().toStdString()), 0.0, double(kLastNetworkId));
    field->setText(QString::fromStdString(NumberText(id)));
    return false;
}

// A value the user picks from a list: yellow on the display background, opening its list
// when clicked.
QLabel* pickLabel(QLabel* label, QObject* clicks) {
    styleDisplayLabel(label, kYellow);
    label->installEventFilter(clicks);
    return label;
}
}  // namespace

GeneralPanel::GeneralPanel(SensorWindow& window, const GeneralPanelLayout& layout,
                           GeneralPanelLists lists)
    : QObject(&window),
      window_(window),
      ctx_(window.ctx_),
      lists_(std::move(lists)),
      shiftButton_(layout.shiftButton),
      positionFields_(SensorWindow::kDisplayPositions) {
    SensorWindow& w = window_;
    w.pctGeneral = named(new QFrame(&window), QStringLiteral("pctGeneral"));
    w.pctGeneral->setFrameShape(QFrame::StyledPanel);
    grid_ = new QGridLayout(w.pctGeneral);
    alignedGrids_.push_back(grid_);

    w.txbSN = named(new QLineEdit(w.pctGeneral), QStringLiteral("txbSN"));
    w.txbSN->setReadOnly(true);
    setDisplayColours(w.txbSN);
    fitWidthToText(w.txbSN, kSerialWidth);
    w.txbID = named(new QLineEdit(w.pctGeneral), QStringLiteral("txbID"));
    fitWidthToText(w.txbID, kValueWidth);
    window.makeEditable(w.txbID, checkNetworkId);
    std::vector<std::pair<QString, QWidget*>> rows{{QStringLiteral("S/N"), w.txbSN},
                                                   {QStringLiteral("ID"), w.txbID}};
    rows.insert(rows.end(), layout.rows.begin(), layout.rows.end());
    for (const auto& [caption, field] : rows) {
        grid_->addWidget(new QLabel(caption, w.pctGeneral), nextRow_, 0);
        grid_->addWidget(field, nextRow_, 1, Qt::AlignLeft);
        ++nextRow_;
    }
    if (layout.displayMode) buildDisplayPanel(layout.shiftButton);
    if (layout.displaySequence) buildSequencePanel(*layout.displaySequence);
    alignColumns();
    // Room the window gives the panel beyond its rows stays below them.
    grid_->setAlignment(Qt::AlignTop);
}

void GeneralPanel::buildDisplayPanel(bool shiftButton) {
    SensorWindow& w = window_;
    w.pctDisplay5 = named(new QFrame(w.pctGeneral), QStringLiteral("pctDisplay5"));
    auto* grid = new QGridLayout(w.pctDisplay5);
    grid->setContentsMargins(0, 0, 0, 0);
    // The captions the panel was designed with, shown until a sensor's settings are.
    w.lblDisplayMode = named(new QLabel(QStringLiteral("AN1, AN2, ID"), w.pctDisplay5),
                             QStringLiteral("lblDisplayMode"));
    pickLabel(w.lblDisplayMode, this);
    w.lblShiftb = named(new QLabel(w.pctDisplay5), QStringLiteral("lblShiftb"));
    w.txbShiftBamount = named(new QLineEdit(w.pctDisplay5), QStringLiteral("txbShiftBamount"));
    setDisplayColours(w.txbShiftBamount);
    fitWidthToText(w.txbShiftBamount, kAmountWidth);
    w.lblShiftb_Type = named(new QLabel(w.pctDisplay5), QStringLiteral("lblShiftb_Type"));
    w.lblShiftb_Type->setMaximumWidth(kUnitWidth);
    if (shiftButton) {
        w.lblShiftb->setText(QStringLiteral("Temp"));
        pickLabel(w.lblShiftb, this);
    } else {
        for (QWidget* field :
             std::initializer_list<QWidget*>{w.lblShiftb, w.txbShiftBamount, w.lblShiftb_Type})
            field->setEnabled(false);
    }
    for (QLabel* value : {w.lblDisplayMode, w.lblShiftb}) value->setFixedWidth(kValueWidth);

    grid->addWidget(new QLabel(QStringLiteral("Display mode:"), w.pctDisplay5), 0, 0);
    grid->addWidget(w.lblDisplayMode, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Shift btn."), w.pctDisplay5), 1, 0);
    grid->addWidget(w.lblShiftb, 1, 1);
    auto* amount = new QWidget(w.pctDisplay5);
    auto* amountRow = new QHBoxLayout(amount);
    amountRow->setContentsMargins(0, 0, 0, 0);
    amountRow->addWidget(new QLabel(QStringLiteral("Amount"), amount));
    amountRow->addWidget(w.txbShiftBamount);
    amountRow->addWidget(w.lblShiftb_Type);
    grid->addWidget(amount, 1, 2);
    addPanel(w.pctDisplay5);
    alignedGrids_.push_back(grid);
}

void GeneralPanel::buildSequencePanel(Qt::Orientation orientation) {
    SensorWindow& w = window_;
    w.pctDisplay6 = named(new QFrame(w.pctGeneral), QStringLiteral("pctDisplay6"));
    auto* caption = new QLabel(QStringLiteral("Display  seq."), w.pctDisplay6);
    for (int p = 0; p < SensorWindow::kDisplayPositions; ++p) {
        w.lblDisp[p] = named(new QLabel(QStringLiteral("-"), w.pctDisplay6), indexed("lblDisp", p));
        pickLabel(w.lblDisp[p], this);
        // The frame marks the position as one of the display's.
        w.lblDisp[p]->setFrameShape(QFrame::Box);
        w.lblDisp[p]->setMinimumWidth(kPositionWidth);
    }
    if (orientation == Qt::Horizontal) {
        auto* row = new QHBoxLayout(w.pctDisplay6);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(caption);
        for (QLabel* position : w.lblDisp) row->addWidget(position);
        row->addStretch();
    } else {
        // Numbered top to bottom, the positions start where the panel's values do.
        auto* grid = new QGridLayout(w.pctDisplay6);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->addWidget(caption, 0, 0, 1, 2);
        for (int p = 0; p < SensorWindow::kDisplayPositions; ++p) {
            grid->addWidget(new QLabel(QString::number(p + 1), w.pctDisplay6), p + 1, 0);
            grid->addWidget(w.lblDisp[p], p + 1, 1);
        }
        alignedGrids_.push_back(grid);
    }
    addPanel(w.pctDisplay6);
}

void GeneralPanel::addPanel(QWidget* panel) {
    grid_->addWidget(panel, nextRow_++, 0, 1, kStretchColumn + 1);
}

void GeneralPanel::alignColumns() {
    // Every grid gives its captions the width of the widest one, so that the values of the
    // panel and of its display panels start at one x.
    int captionWidth = 0;
    for (QGridLayout* grid : alignedGrids_) {
        for (int k = 0; k < grid->count(); ++k) {
            int row = 0, column = 0, rows = 0, columns = 0;
            grid->getItemPosition(k, &row, &column, &rows, &columns);
            auto* caption = qobject_cast<QLabel*>(grid->itemAt(k)->widget());
            if (caption && column == 0 && columns == 1)
                captionWidth = std::max(captionWidth, caption->sizeHint().width());
        }
    }
    for (QGridLayout* grid : alignedGrids_) {
        grid->setColumnMinimumWidth(0, captionWidth);
        grid->setColumnMinimumWidth(1, kValueWidth);
        grid->setColumnStretch(kStretchColumn, 1);
    }
}

std::string GeneralPanel::channelCaption(int n) const {
    const auto& items = lists_.channelItems;
    return n >= 0 && n < int(items.size()) ? items[size_t(n)]->text().toStdString() : std::string();
}

int GeneralPanel::shiftChannel() const {
    return int(readField(ctx_, placeOf(display_.shiftChannel))) & kChannelBits;
}

void GeneralPanel::bind(uint8_t platform) {
    SensorWindow& w = window_;
    fields_ = FieldTable{};
    shiftChannelField_.reset();
    positionFields_.assign(SensorWindow::kDisplayPositions, std::nullopt);
    const PlatformProfile* profile = FindPlatform(platform);
    display_ = profile ? profile->display : DisplaySettings{};
    if (!profile) return;
    const CaptionOf caption = [this](int n) { return channelCaption(n); };

    if (profile->networkId.span.count > 0)
        fields_.add(textControl(w.txbID), placeOf(profile->networkId.span), networkIdCodec());
    if (w.pctDisplay5 && display_.mode.count > 0) {
        const auto& modes = lists_.displayModeItems;
        // The window may rename a mode: the caption is the one the list holds now.
        fields_.add(textControl(w.lblDisplayMode), placeOf(display_.mode),
                    pickListCodec([modes](int k) { return modes[size_t(k)]->text().toStdString(); },
                                  int(modes.size())));
    }
    if (w.pctDisplay5 && shiftButton_ && display_.shiftStep.count > 0) {
        // The channel first: the amount is read in the units of the channel stored.
        shiftChannelField_ = fields_.add(textControl(w.lblShiftb), shiftChannelPlace(display_),
                                         shiftChannelCodec(ctx_, caption, display_.shiftChannels));
        if (!amountEditable_) window_.makeEditable(w.txbShiftBamount);
        amountEditable_ = true;
        fields_.add(textControl(w.txbShiftBamount), shiftStepPlace(display_),
                    shiftAmountCodec(ctx_, [this] { return shiftChannel(); }));
    }
    if (w.pctDisplay6 && display_.sequence != DisplaySettings::Sequence::None) {
        for (int p = 0; p < SensorWindow::kDisplayPositions; ++p) {
            positionFields_[size_t(p)] =
                fields_.add(textControl(w.lblDisp[p]), displayPositionPlace(display_, p),
                            displayPositionCodec(display_, p, caption));
        }
    }
}

void GeneralPanel::show() {
    SensorWindow& w = window_;
    w.txbSN->setText(QString::fromStdString(SerialText(ctx_)));
    fields_.show(ctx_);
    if (shiftChannelField_) {
        w.lblShiftb_Type->setText(QString::fromStdString(GetUnitText(ctx_, float(shiftChannel()))));
    }
}

void GeneralPanel::store() const {
    fields_.store(ctx_);
}

bool GeneralPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (auto* label = qobject_cast<QLabel*>(watched)) {
            clickLabel(label);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void GeneralPanel::clickLabel(QLabel* label) {
    SensorWindow& w = window_;
    if (label == w.lblDisplayMode) return window_.popUp(label, lists_.displayModes);
    if (label == w.lblShiftb) return pick(label, lists_.channels, shiftChannelField_);
    for (int p = 0; p < SensorWindow::kDisplayPositions; ++p) {
        if (label == w.lblDisp[p]) return pick(label, lists_.channels, positionFields_[size_t(p)]);
    }
}

void GeneralPanel::pick(QLabel* label, QMenu* list, std::optional<FieldTable::Id> field) {
    if (!field) return window_.popUp(label, list);
    // What was typed elsewhere is kept before the list opens.
    window_.FormRead();
    window_.popUp(label, list);
    fields_.store(ctx_, *field);
    window_.FormUpdate();
}

}  // namespace kelvo
