#include "app/kelvo_application.h"

#include "app/close_request_filter.h"
#include "app/qt_prompter.h"
#include "app/start_up.h"
#include "app/working_folder.h"
#include "common/context.h"
#include "files/definition_file.h"
#include "qt/port_list.h"
#include "qt/qt_clock.h"
#include "qt/qt_event_pump.h"
#include "qt/selectable_port.h"
#include "service/service_journal.h"
#include "windows/sensor_windows.h"

namespace kelvo {

KelvoApplication::KelvoApplication(std::unique_ptr<Prompter> prompter)
    : prompter_(std::move(prompter)) {
    clock_ = std::make_unique<qt::QtClock>();
    auto port = std::make_unique<qt::SelectablePort>(*clock_);
    events_ = std::make_unique<qt::QtEventPump>(*clock_, port.get());
    port_ = std::move(port);
    if (!prompter_) prompter_ = std::make_unique<QtPrompter>();
    ctx_ = std::make_unique<Context>(*port_, *clock_, *events_, *prompter_);
    ctx_->loadDefinition = LoadDefinition;
    // Every send keeps a backup and a history line in AppDir.
    journal_ = std::make_unique<ServiceJournal>();
    ctx_->serviceRecorder = journal_.get();
    startUp_ = std::make_unique<StartUp>(*ctx_, createSensorWindows);
    startUp_->setSeedFolder(installedDataFolder());
    QStringList names;
    QStringList descriptions;
    QStringList problems;
    for (const auto& choice : qt::availablePorts()) {
        names << QString::fromStdString(choice.name);
        descriptions << QString::fromStdString(choice.description);
        problems << QString::fromStdString(choice.problem);
    }
    startUp_->setPortChoices(names, descriptions, problems);
    closeRequests_ = std::make_unique<CloseRequestFilter>();
}

KelvoApplication::~KelvoApplication() = default;

void KelvoApplication::start() {
    startUp_->Main();
}

}  // namespace kelvo
