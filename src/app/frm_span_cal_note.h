#pragma once
// The warning shown before a CO2 span calibration. Cancel has the focus, so Enter cancels.

#include <QDialog>

class QLabel;
class QPushButton;

namespace kelvo {

struct Context;

class frmSpanCalNote : public QDialog {
    Q_OBJECT

public:
    explicit frmSpanCalNote(Context& ctx, QWidget* parent = nullptr);

    // Shows the note and waits for an answer; false (and the cancel marker in ErrorText) on Cancel.
    bool ask();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Command2 = nullptr;  // "Next"
    QPushButton* Command1 = nullptr;  // "Cancel"

protected:
    void showEvent(QShowEvent* event) override;

private:
    Context& ctx_;
};

}  // namespace kelvo
