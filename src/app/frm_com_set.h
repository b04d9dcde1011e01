#pragma once
// The communication setup dialog: which port, how the sensor is addressed (or simulated),
// logging, whether to skip the dialog next time, and sending a settings file straight
// into a sensor. Its choices are kept in the per-user store, application "Kelvo",
// section "Start".

#include <QCheckBox>
#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <vector>

#include "service/bus_scan.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;

namespace kelvo {

struct Context;
class WindowHost;

// Ticked by a mouse click only: the space bar toggles the box but does not switch logging
// on, so releasing the mouse button is the one moment that counts.
class MouseUpCheckBox : public QCheckBox {
    Q_OBJECT

public:
    using QCheckBox::QCheckBox;

signals:
    void mouseReleased();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class frmComSet : public QDialog {
    Q_OBJECT

public:
    static constexpr int kRevision = 9;

    frmComSet(Context& ctx, WindowHost& host, QWidget* parent = nullptr);

    // Offers these names (found ports, virtual sensors) in the port field's pick list,
    // each with what it is as its tool tip; a port with a problem (why it cannot be opened)
    // is marked with a warning sign and says why.
    void setPortChoices(const QStringList& names, const QStringList& descriptions = {},
                        const QStringList& problems = {});
    // Writes all six keys from the controls.
    void storePreferences();
    // The path of the settings file last chosen with "...", empty when none was chosen.
    QString CD1FileName() const { return cd1FileName_; }

    // In "Simulated mode": the ".sim" file picked with "..." and still in the file field,
    // which is simulated instead of a choice from the list; empty when there is none.
    QString pickedSimulationFile() const;
    // What keeps the text from being a network ID; empty when it is one. The field takes
    // any text: a field that drops keys it dislikes turned "35" into "3" without a word.
    static QString networkIdProblem(const QString& typed);

    // Who opens the network overview of the sensors found; without one none is offered.
    void setNetworkOverviewOpener(std::function<void(const std::vector<FoundSensor>&)> opener) {
        networkOverviewOpener_ = std::move(opener);
    }

    // The system's view of the controls.
    QString comPortText() const;
    int startMode() const;  // 0 single, 1 network, 2 simulated

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* txbComPort = nullptr;
    std::array<QRadioButton*, 3> optStartMode{};
    QLabel* lblID = nullptr;
    QLineEdit* txbID = nullptr;
    // Beside the ID: asks every network ID and offers those that answer in mFoundSensors.
    QPushButton* btnFindSensors = nullptr;
    QMenu* mFoundSensors = nullptr;
    // Beside them: finds the sensors and opens the network overview of them.
    QPushButton* btnNetworkOverview = nullptr;
    MouseUpCheckBox* cbxLoggcom = nullptr;
    QCheckBox* cbxDontShow = nullptr;
    QLineEdit* txbFileName = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* cmdSendFile = nullptr;
    QPushButton* btnHelp = nullptr;
    QPushButton* btnExit = nullptr;
    QPushButton* btnStartKelvo = nullptr;
    QFrame* Picture1 = nullptr;
    QFrame* Picture2 = nullptr;
    QFrame* Picture3 = nullptr;

signals:
    // "Start Kelvo": the preferences are stored and the dialog is hidden.
    void startRequested();
    // "Exit" or the close box: the preferences are stored; the program is to end.
    void exitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void buildControls();
    QLayout* buildLayout();
    void Form_Load();
    void optStartMode_Click();
    void cbxLoggcom_MouseUp();
    void btnHelp_Click();
    void Command5_Click();
    void cmdSendFile_Click();
    void btnFindSensors_Click();
    // Scans the line of the port in the field; says so when nobody answers.
    std::vector<FoundSensor> findSensors();
    void btnStartKelvo_Click();
    void btnExit_Click();
    // Points the link at the port in "Com port", as it stands.
    void usePortInField();
    // Points the link at the port and the sensor the fields name, with an empty image;
    // false with the reason in ErrorText when the ID names no sensor.
    bool useSensorInFields();

    Context& ctx_;
    WindowHost& host_;
    QString cd1FileName_;
    std::function<void(const std::vector<FoundSensor>&)> networkOverviewOpener_;
};

}  // namespace kelvo
