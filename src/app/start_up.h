#pragma once
// Start-up: the setup dialog, sensor detection, the choice of sensor window, and the way
// back to the setup dialog when a window is left. The sensor window is the whole user
// interface once it is shown; start-up waits for the user through signals, never by
// spinning.

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/help_viewer.h"
#include "model/platform_profile.h"
#include "windows/window_host.h"

namespace kelvo {

struct Context;
class SensorWindow;
class frmComSet;
class frmNetwork;
struct FoundSensor;
class frmMsg;
class frmSim;
class frmSpanCalNote;

class StartUp : public QObject, public WindowHost {
    Q_OBJECT

public:
    // Makes one sensor window of each kind.
    using WindowFactory =
        std::function<std::map<WindowKind, std::unique_ptr<SensorWindow>>(Context&, WindowHost&)>;

    StartUp(Context& ctx, WindowFactory factory, QObject* parent = nullptr);
    ~StartUp() override;

    // Runs start-up: shows the setup dialog (unless the user chose to skip it) and returns;
    // the rest follows the user's choices until a sensor window is shown.
    void Main();

    // WindowHost
    void RestartOrEnd() override;
    bool dontShowSetupDialog() const override;
    void setDontShowSetupDialog(bool dontShow) override;
    void ShowProgress(const QString& caption, bool HideBar = false, QWidget* owner = nullptr,
                      bool HideLine1 = false, bool HideLine2 = true,
                      bool HideLine3 = true) override;
    bool showSpanCalNote() override;
    void openDocument(const QString& path) override;

    // What ending the program means (the application's quit by default).
    void setEndProgram(std::function<void()> endProgram) { endProgram_ = std::move(endProgram); }
    // How documents are opened (the desktop's browser by default, else our own window).
    void setDocumentOpener(std::function<void(const QString&)> opener) {
        documentOpener_ = std::move(opener);
    }
    // Where a working folder without help pages or definition files is offered them from;
    // none unless set (the program sets its installed share/kelvo).
    void setSeedFolder(const QString& folder) { seedFolder_ = folder; }
    // How that offer is put to the user; true means copy. A message box by default.
    void setSeedQuestion(std::function<bool(const QString&)> ask) {
        seedQuestion_ = std::move(ask);
    }
    // Names offered in the setup dialog's port pick list, with what each is.
    void setPortChoices(const QStringList& names, const QStringList& descriptions = {},
                        const QStringList& problems = {});

    std::map<WindowKind, std::unique_ptr<SensorWindow>> SensorWindows;
    SensorWindow* CurrentWindow = nullptr;

    frmComSet& comSet();
    frmMsg& progress();
    frmSim& sim();
    frmSpanCalNote& spanCalNote();
    // The network overview. While it is open, leaving a sensor window returns to it.
    frmNetwork& network();
    void showNetwork(const std::vector<FoundSensor>& found);

signals:
    // A sensor window has been filled and shown.
    void windowShown(kelvo::SensorWindow* window);
    // The setup dialog is shown and waits for the user.
    void setupShown();

private:
    void showSetup();
    void offerSeed();
    void startSensor();
    void continueSimulated();
    // Loads the settings file and opens the window it identifies, simulated.
    void simulate(const QString& path);
    bool detectRealSensor();
    bool chooseAndOpenWindow(bool simulated);
    SensorWindow* chooseWindow(bool simulated);
    bool readForWindowChoice(uint8_t platform, bool simulated);
    bool openWindow(SensorWindow& window, bool simulated);
    void errorCheck();
    // Opens the window of the overview's sensor at the ID; back to the overview on failure.
    void openNetworkSensor(int id);
    void fillSimulationList();
    QString simulationFile(const QString& choice) const;
    QString appFile(const QString& name) const;
    QString executableName() const;

    Context& ctx_;
    WindowFactory factory_;
    std::function<void()> endProgram_;
    HelpViewer helpViewer_;
    std::function<void(const QString&)> documentOpener_;
    QString seedFolder_;
    std::function<bool(const QString&)> seedQuestion_;
    bool seedOffered_ = false;
    QStringList portChoices_;
    QStringList portDescriptions_;
    QStringList portProblems_;
    std::unique_ptr<frmComSet> comSet_;
    std::unique_ptr<frmMsg> progress_;
    std::unique_ptr<frmSim> sim_;
    std::unique_ptr<frmSpanCalNote> spanCalNote_;
    std::unique_ptr<frmNetwork> network_;
    bool networkOpen_ = false;
    bool portApplied_ = false;
};

}  // namespace kelvo
