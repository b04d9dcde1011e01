#pragma once
// The general panel of the platform-5 windows: serial number, network ID, and the display
// panel with the display mode and the shift button. Captions and values line up in two
// columns across the panel and its display panel.

#include <QString>

class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QWidget;

namespace kelvo {

struct GeneralPanel {
    struct Captions {
        QString displayMode;
        QString shiftButton;
        QString amount;  // empty: the amount sits beside the shift channel without one
    };

    GeneralPanel(QWidget* parent, const Captions& captions);
    // Another labelled field below the network ID (the TWA window's version).
    void addRow(const QString& caption, QWidget* field);
    // Lines the columns of the panel and of its display panel up; after the last addRow.
    void alignColumns();
    // A panel of its own below the display panel, across the whole width.
    void addPanel(QWidget* panel);

    QFrame* pctGeneral = nullptr;
    QFrame* pctDisplay5 = nullptr;
    QLineEdit* txbSN = nullptr;
    QLineEdit* txbID = nullptr;
    QLabel* lblDisplayMode = nullptr;
    QLabel* lblShiftb = nullptr;
    QLineEdit* txbShiftBamount = nullptr;
    QLabel* lblShiftb_Type = nullptr;

private:
    QGridLayout* grid_ = nullptr;
    QGridLayout* display_ = nullptr;
    int nextRow_ = 0;
};

}  // namespace kelvo
