#include "app/kelvo_application.h"

#include "app/qt_prompter.h"
#include "app/start_up.h"
#include "app/working_folder.h"
#include "common/context.h"
#include "files/definition_file.h"
#include "qt/port_list.h"
#include "qt/qt_clock.h"
#include "qt/qt_event_pump.h"
#include "qt/selectable_port.h"
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
    startUp_ = std::make_unique<StartUp>(*ctx_, createSensorWindows);
    startUp_->setSeedFolder(installedDataFolder());
    QStringList names;
    QStringList descriptions;
    for (const auto& choice : qt::availablePorts()) {
        names << QString::fromStdString(choice.name);
        descriptions << QString::fromStdString(choice.description);
    }
    startUp_->setPortChoices(names, descriptions);
}

KelvoApplication::~KelvoApplication() = default;

void KelvoApplication::start() {
    startUp_->Main();
}

}  // namespace kelvo
