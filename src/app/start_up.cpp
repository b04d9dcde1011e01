#include "app/start_up.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>

#include "app/frm_com_set.h"
#include "app/frm_msg.h"
#include "app/frm_network.h"
#include "app/frm_sim.h"
#include "app/frm_span_cal_note.h"
#include "app/working_folder.h"
#include "common/context.h"
#include "files/definition_file.h"
#include "files/settings_file.h"
#include "link/sensor_link.h"
#include "link/sensor_mem_read.h"
#include "model/identification.h"
#include "model/platform_profile.h"
#include "service/network_send.h"
#include "windows/sensor_window.h"

namespace kelvo {

namespace {
// How long the line must stay silent before we believe no central unit is polling it.
constexpr float kPortCheckSeconds = 2;
const char kLastChoice[] = "Last";
const char kLastSetName[] = "last.set";

// Leading digits of a text as a number; 0 when there are none.
int leadingNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    qsizetype digits = 0;
    while (digits < trimmed.size() && trimmed[digits].isDigit() && digits < 9) ++digits;
    return digits ? trimmed.left(digits).toInt() : 0;
}
}  // namespace

StartUp::StartUp(Context& ctx, WindowFactory factory, QObject* parent)
    : QObject(parent),
      ctx_(ctx),
      factory_(std::move(factory)),
      // quit() would first ask every window to close, and the progress dialog and the
      // sensor windows refuse (their close means Cancel and "leave"): the program would
      // stay up behind a "Please wait" box. Ending is decided by then.
      endProgram_([] { QCoreApplication::exit(0); }),
      documentOpener_([this](const QString& path) { helpViewer_.open(path); }),
      seedQuestion_([](const QString& question) {
          return QMessageBox::question(nullptr, "Kelvo", question) == QMessageBox::Yes;
      }) {}

StartUp::~StartUp() = default;

frmComSet& StartUp::comSet() {
    if (!comSet_) {
        comSet_ = std::make_unique<frmComSet>(ctx_, *this);
        if (!portChoices_.isEmpty()) comSet_->setPortChoices(portChoices_, portDescriptions_, portProblems_);
        connect(comSet_.get(), &frmComSet::startRequested, this, &StartUp::startSensor);
        connect(comSet_.get(), &frmComSet::exitRequested, this, [this] { endProgram_(); });
        comSet_->setNetworkOverviewOpener(
            [this](const std::vector<FoundSensor>& found) { showNetwork(found); });
    }
    return *comSet_;
}

frmMsg& StartUp::progress() {
    if (!progress_) progress_ = std::make_unique<frmMsg>(ctx_);
    return *progress_;
}

frmSim& StartUp::sim() {
    if (!sim_) {
        sim_ = std::make_unique<frmSim>(ctx_);
        connect(sim_.get(), &frmSim::chosen, this, &StartUp::continueSimulated);
    }
    return *sim_;
}

frmSpanCalNote& StartUp::spanCalNote() {
    if (!spanCalNote_) spanCalNote_ = std::make_unique<frmSpanCalNote>(ctx_);
    return *spanCalNote_;
}

frmNetwork& StartUp::network() {
    if (!network_) {
        network_ = std::make_unique<frmNetwork>(ctx_);
        connect(network_.get(), &frmNetwork::sensorChosen, this, &StartUp::openNetworkSensor);
        connect(network_.get(), &frmNetwork::closed, this, [this] {
            networkOpen_ = false;
            Main();
        });
    }
    return *network_;
}

void StartUp::showNetwork(const std::vector<FoundSensor>& found) {
    comSet().hide();
    networkOpen_ = true;
    network().showSensors(found);
}

void StartUp::openNetworkSensor(int id) {
    network().hide();
    ctx_.ErrorText.clear();
    AddressNetworkSensor(ctx_, id);
    ShowProgress("Please wait", true, nullptr, false, true, true);
    if (SensorMemRead(ctx_, 0, kRamIdByte, 1, false, false) && chooseAndOpenWindow(false)) return;
    ShowProgress(QString());
    if (hasErrorToShow(ctx_)) ctx_.prompt.message(ctx_.ErrorText);
    ctx_.ErrorText.clear();
    network().showAgain();
}

void StartUp::setPortChoices(const QStringList& names, const QStringList& descriptions,
                             const QStringList& problems) {
    portChoices_ = names;
    portDescriptions_ = descriptions;
    portProblems_ = problems;
    if (comSet_) comSet_->setPortChoices(names, descriptions, problems);
}

QString StartUp::appFile(const QString& name) const {
    return QString::fromStdString(ctx_.AppDir) + name;
}

QString StartUp::executableName() const {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void StartUp::Main() {
    QString dir = QDir::toNativeSeparators(QDir::currentPath());
    if (!dir.endsWith(QDir::separator())) dir += QDir::separator();
    ctx_.AppDir = dir.toStdString();
    // Once per process: the user who said no the first time is not asked at every restart.
    if (!seedOffered_) {
        seedOffered_ = true;
        offerSeed();
    }
    if (SensorWindows.empty() && factory_) SensorWindows = factory_(ctx_, *this);
    SensorLinkInit(ctx_, static_cast<uint8_t>(kSingleSensorAddress));

    frmComSet& setup = comSet();
    // Until the first start the link uses the stored port, so that "Send file to sensor"
    // reaches the sensor the user used last time.
    if (!portApplied_) {
        ctx_.port.setPortName(setup.comPortText().trimmed().toStdString());
        portApplied_ = true;
    }
    if (setup.cbxDontShow->isChecked()) {
        startSensor();
    } else {
        showSetup();
    }
}

void StartUp::offerSeed() {
    if (seedFolder_.isEmpty() || !seedQuestion_) return;
    const QDir work(QString::fromStdString(ctx_.AppDir));
    const QDir seed(seedFolder_);
    if (!lacksProgramFiles(work) || missingFiles(seed, work).isEmpty()) return;
    const QString question =
        QString(
            "Kelvo finds no definition files or no help pages in its working folder\n%1\n\n"
            "Copy the help pages, sample \".sim\" files and definition files from\n%2\n"
            "into it? Files already there are kept.")
            .arg(QDir::toNativeSeparators(work.absolutePath()),
                 QDir::toNativeSeparators(seed.absolutePath()));
    if (!seedQuestion_(question)) return;
    const SeedResult result = seedWorkingFolder(seed, work);
    if (!result.failed.isEmpty()) {
        ctx_.prompt.message(
            ("Could not copy into " + QDir::toNativeSeparators(work.absolutePath()) + ":\n" +
             result.failed.join('\n'))
                .toStdString(),
            Prompter::Icon::Critical);
    }
}

void StartUp::showSetup() {
    ctx_.ErrorText.clear();
    ShowProgress(QString());
    frmComSet& setup = comSet();
    setup.show();
    setup.raise();
    setup.activateWindow();
    emit setupShown();
}

void StartUp::startSensor() {
    ctx_.ErrorText.clear();
    frmComSet& setup = comSet();
    ctx_.port.setPortName(setup.comPortText().trimmed().toStdString());
    portApplied_ = true;

    if (setup.startMode() == 2) {
        // A file picked with "..." is the user's answer already; a list after it would
        // ask again and then ignore the pick.
        if (const QString picked = setup.pickedSimulationFile(); !picked.isEmpty()) {
            simulate(picked);
            return;
        }
        fillSimulationList();
        sim().show();  // modal; continueSimulated follows the user's answer
        sim().raise();
        sim().activateWindow();
        return;
    }
    if (!detectRealSensor() || !chooseAndOpenWindow(false)) errorCheck();
}

void StartUp::continueSimulated() {
    if (isCancelled(ctx_)) {
        errorCheck();
        return;
    }
    simulate(simulationFile(sim().cmbTypeOfS->currentText()));
}

void StartUp::simulate(const QString& path) {
    ShowProgress("Please wait", true, nullptr, false, true, true);
    int blockType = 0;
    if (!ReadSetBlock(ctx_, path.toStdString(), blockType, true, true) ||
        !chooseAndOpenWindow(true)) {
        errorCheck();
    }
}

bool StartUp::detectRealSensor() {
    frmComSet& setup = comSet();
    if (setup.startMode() == 0) ctx_.SensorAddress = kSingleSensorAddress;
    if (setup.startMode() == 1) {
        // The dialog refuses such an ID, but a start that skips the dialog would wait out
        // a read of no sensor first.
        if (const QString problem = frmComSet::networkIdProblem(setup.txbID->text());
            !problem.isEmpty())
            return failWith(ctx_, problem.toStdString());
        ctx_.SensorAddress = static_cast<float>(leadingNumber(setup.txbID->text()));
    }

    ShowProgress("Please wait", true, &setup, false, true, true);
    if (!CheckPortFree(ctx_, kPortCheckSeconds)) return false;
    return SensorMemRead(ctx_, 0, kRamIdByte, 1, false, false);
}

bool StartUp::chooseAndOpenWindow(bool simulated) {
    SensorWindow* window = chooseWindow(simulated);
    return window && openWindow(*window, simulated);
}

bool StartUp::readForWindowChoice(uint8_t platform, bool simulated) {
    const PlatformProfile* profile = FindPlatform(platform);
    if (!profile) return true;  // no window will be chosen; that says why
    // The definition file names platform 5's channels; a simulation needs it as well.
    if (profile->definitionFile && !LoadDefinition(ctx_)) return false;
    if (simulated) return true;
    ShowProgress("Reading sensor");
    return ReadSpans(ctx_, profile->wholeImage);
}

SensorWindow* StartUp::chooseWindow(bool simulated) {
    const uint8_t platform = GetPlatform(ctx_);
    if (!readForWindowChoice(platform, simulated)) return nullptr;
    const PlatformProfile* profile = platform ? FindProfile(platform, GetVersion(ctx_)) : nullptr;
    const auto found = profile ? SensorWindows.find(profile->window) : SensorWindows.end();
    SensorWindow* window = found != SensorWindows.end() ? found->second.get() : nullptr;
    if (!window) ctx_.ErrorText = kUnknownSensorMessage;
    return window;
}

bool StartUp::openWindow(SensorWindow& window, bool simulated) {
    CurrentWindow = &window;
    const QString name = executableName();
    window.showCaption(name);
    if (!window.FormUpdateInit() || !window.FormUpdate()) return false;

    window.SimMode(simulated);
    const bool live = !simulated;
    if (window.cbxSimulated) window.cbxSimulated->setVisible(live);
    if (window.mReadfromsensor) window.mReadfromsensor->setEnabled(live);
    if (window.mSendtosensor) window.mSendtosensor->setEnabled(live);
    window.showCaption(simulated ? name + " Simulated mode" : name);
    if (window.mCalibrate) window.mCalibrate->setEnabled(live);
    if (window.btnReadFromSensor) window.btnReadFromSensor->setEnabled(live);
    if (window.btnSendToSensor) window.btnSendToSensor->setEnabled(live);
    if (window.mComSet) window.mComSet->setChecked(!dontShowSetupDialog());

    // The last line of the window's previous sensor would read as news of this one.
    window.statusBar()->clearMessage();
    ShowProgress(QString());
    window.show();
    window.raise();
    window.activateWindow();
    emit windowShown(&window);
    return true;
}

void StartUp::errorCheck() {
    // A progress dialog left open by the failed step would sit over the setup dialog.
    ShowProgress(QString());
    if (hasErrorToShow(ctx_)) ctx_.prompt.message(ctx_.ErrorText);
    showSetup();
}

void StartUp::fillSimulationList() {
    QComboBox& list = *sim().cmbTypeOfS;
    if (list.count() > 0) return;  // built once per process
    const QStringList files = QDir(QString::fromStdString(ctx_.AppDir))
                                  .entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& file : files) {
        if (file.size() > 4 && file.right(4).toLower() == ".sim")
            list.addItem(file.chopped(4), file);
    }
    list.addItem(kLastChoice);
    list.setCurrentText(kLastChoice);
}

QString StartUp::simulationFile(const QString& choice) const {
    const QDir dir(QString::fromStdString(ctx_.AppDir));
    if (choice == kLastChoice) {
        // "Last.set" and "last.set" are one file to the user; the one we write wins.
        if (dir.exists(kLastSetName)) return appFile(kLastSetName);
        for (const QString& file : dir.entryList(QDir::Files)) {
            if (file.compare(kLastSetName, Qt::CaseInsensitive) == 0) return appFile(file);
        }
        return appFile(kLastSetName);
    }
    const int index = sim_ ? sim_->cmbTypeOfS->findText(choice) : -1;
    const QString file = index >= 0 ? sim_->cmbTypeOfS->itemData(index).toString() : QString();
    return appFile(file.isEmpty() ? choice + ".sim" : file);
}

void StartUp::RestartOrEnd() {
    for (auto& [kind, window] : SensorWindows) {
        if (!window || !window->isVisible()) continue;
        window->FormRead();
        // Written beside and renamed into place, so a failed write keeps the previous one.
        SaveSettings(ctx_, 0, appFile(kLastSetName).toStdString(), 1, true);
        window->hide();
    }
    if (ctx_.port.isOpen()) ctx_.port.close();
    // Exit shows "Please wait" while last.set is written; it must not outlive the window.
    ShowProgress(QString());
    if (networkOpen_) {
        network().showAgain();
    } else if (dontShowSetupDialog()) {
        endProgram_();
    } else {
        Main();
    }
}

bool StartUp::dontShowSetupDialog() const {
    return comSet_ ? comSet_->cbxDontShow->isChecked()
                   : QSettings("Kelvo", "Kelvo").value("Start/Dont").toString() == "1";
}

void StartUp::setDontShowSetupDialog(bool dontShow) {
    comSet().cbxDontShow->setChecked(dontShow);
    QSettings store("Kelvo", "Kelvo");
    store.setValue("Start/Dont", dontShow ? "1" : "0");
}

void StartUp::ShowProgress(const QString& caption, bool HideBar, QWidget* owner, bool HideLine1,
                           bool HideLine2, bool HideLine3) {
    if (caption.isEmpty() && !progress_) return;  // nothing to close
    progress().ShowProgress(caption, HideBar, owner, HideLine1, HideLine2, HideLine3);
}

bool StartUp::showSpanCalNote() {
    return spanCalNote().ask();
}

void StartUp::openDocument(const QString& path) {
    if (documentOpener_) documentOpener_(path);
}

}  // namespace kelvo
