#pragma once
// Asks which settings file to simulate: the ".sim" files of the working folder, or "Last".

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace kelvo {

struct Context;

class frmSim : public QDialog {
    Q_OBJECT

public:
    explicit frmSim(Context& ctx, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QComboBox* cmbTypeOfS = nullptr;
    QPushButton* Command1 = nullptr;  // "Next"
    QPushButton* Command2 = nullptr;  // "Cancel"

signals:
    // The dialog was left; ErrorText holds the cancel marker when the user cancelled.
    void chosen();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void Command1_Click();
    void Command2_Click();

    Context& ctx_;
};

}  // namespace kelvo
