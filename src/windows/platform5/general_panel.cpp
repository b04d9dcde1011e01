#include "windows/platform5/general_panel.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "windows/edit_field.h"

namespace kelvo {

namespace {
// The value column: wide enough for a network ID, a display mode or a channel name.
constexpr int kValueWidth = 110;
constexpr int kSerialWidth = 120;
constexpr int kAmountWidth = 70;
constexpr int kStretchColumn = 4;

template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}
}  // namespace

GeneralPanel::GeneralPanel(QWidget* parent, const Captions& captions) {
    pctGeneral = named(new QFrame(parent), "pctGeneral");
    pctGeneral->setFrameShape(QFrame::StyledPanel);
    grid_ = new QGridLayout(pctGeneral);
    txbSN = named(new QLineEdit(pctGeneral), "txbSN");
    txbSN->setReadOnly(true);
    setDisplayColours(txbSN);
    fitWidthToText(txbSN, kSerialWidth);
    txbID = named(new QLineEdit(pctGeneral), "txbID");
    fitWidthToText(txbID, kValueWidth);
    addRow(QStringLiteral("S/N"), txbSN);
    addRow(QStringLiteral("ID"), txbID);

    pctDisplay5 = named(new QFrame(pctGeneral), "pctDisplay5");
    display_ = new QGridLayout(pctDisplay5);
    display_->setContentsMargins(0, 0, 0, 0);
    lblDisplayMode = named(new QLabel(pctDisplay5), "lblDisplayMode");
    lblShiftb = named(new QLabel(pctDisplay5), "lblShiftb");
    txbShiftBamount = named(new QLineEdit(pctDisplay5), "txbShiftBamount");
    fitWidthToText(txbShiftBamount, kAmountWidth);
    lblShiftb_Type = named(new QLabel(pctDisplay5), "lblShiftb_Type");
    for (QLabel* value : {lblDisplayMode, lblShiftb}) value->setFixedWidth(kValueWidth);
    display_->addWidget(new QLabel(captions.displayMode, pctDisplay5), 0, 0);
    display_->addWidget(lblDisplayMode, 0, 1);
    display_->addWidget(new QLabel(captions.shiftButton, pctDisplay5), 1, 0);
    display_->addWidget(lblShiftb, 1, 1);
    auto* amount = new QWidget(pctDisplay5);
    auto* amountRow = new QHBoxLayout(amount);
    amountRow->setContentsMargins(0, 0, 0, 0);
    if (!captions.amount.isEmpty()) amountRow->addWidget(new QLabel(captions.amount, amount));
    amountRow->addWidget(txbShiftBamount);
    amountRow->addWidget(lblShiftb_Type);
    display_->addWidget(amount, 1, 2);
}

void GeneralPanel::addRow(const QString& caption, QWidget* field) {
    grid_->addWidget(new QLabel(caption, pctGeneral), nextRow_, 0);
    grid_->addWidget(field, nextRow_, 1, Qt::AlignLeft);
    ++nextRow_;
}

void GeneralPanel::addPanel(QWidget* panel) {
    grid_->addWidget(panel, nextRow_++, 0, 1, kStretchColumn + 1);
}

void GeneralPanel::alignColumns() {
    addPanel(pctDisplay5);
    // Both grids give their captions the width of the widest one, so that the fields of the
    // panel and of its display panel start at one x.
    int captionWidth = 0;
    for (QGridLayout* grid : {grid_, display_}) {
        for (int row = 0; row < grid->rowCount(); ++row) {
            QLayoutItem* item = grid->itemAtPosition(row, 0);
            if (auto* caption = item ? qobject_cast<QLabel*>(item->widget()) : nullptr)
                captionWidth = std::max(captionWidth, caption->sizeHint().width());
        }
    }
    for (QGridLayout* grid : {grid_, display_}) {
        grid->setColumnMinimumWidth(0, captionWidth);
        grid->setColumnMinimumWidth(1, kValueWidth);
        grid->setColumnStretch(kStretchColumn, 1);
    }
}

}  // namespace kelvo
