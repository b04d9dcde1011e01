#include "cli/cli_session.h"

#include <filesystem>
#include <iostream>
#include <optional>

#include "cli/stop_signals.h"
#include "files/definition_file.h"
#include "link/port_hold.h"
#include "qt/port_diagnosis.h"
#include "qt/port_names.h"
#include "qt/qt_clock.h"
#include "qt/qt_event_pump.h"
#include "qt/selectable_port.h"
#include "service/service_journal.h"

namespace kelvo::cli {
namespace {

// Nobody sits at a kelvo-cli to answer a dialog: messages go to stderr, and every
// question is answered with a cancel; a Yes/No question is answered Yes only by --force.
class StderrPrompter : public Prompter {
public:
    bool force = false;
    bool confirm(const std::string& question) override {
        if (force) std::cerr << question << " Yes (--force)\n";
        return force;
    }
    void message(const std::string& text, Icon) override { std::cerr << text << "\n"; }
    std::string input(const std::string&) override { return {}; }
    std::optional<std::string> openFile(const std::string&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const std::string&) override { return std::nullopt; }
};

// Why the port never opened, in the setup dialog's words with the system's reason below;
// empty when it has opened.
std::string portRefusal(qt::SelectablePort& port) {
    // No reason: no open was tried.
    if (port.everOpened() || port.errorString().empty()) return {};
    const qt::PortTarget target = qt::resolvePortName(port.portName());
    if (target.kind != qt::PortTarget::Kind::Serial) return port.errorString();
    std::string reason = qt::portProblem(target.device);
    if (reason.empty()) reason = port.errorString();
    return "This port is locked by other devise\n" + reason;
}

}  // namespace

struct Session::Parts {
    qt::QtClock clock;
    qt::SelectablePort port{clock};
    qt::QtEventPump pump{clock, &port};
    StoppingPump stoppingPump{pump};
    StderrPrompter prompter;
    Context ctx{port, clock, stoppingPump, prompter};
    ServiceJournal journal;
    // A command is one action: the port is opened once for all of it.
    std::optional<PortHold> hold;
};

Session::Session(const GlobalOptions& options, bool force) : parts_(std::make_unique<Parts>()) {
    parts_->prompter.force = force;
    Context& c = parts_->ctx;
    c.loadDefinition = LoadDefinition;
    parts_->port.setPortName(options.port);
    c.SensorAddress = options.id < 0 ? kSingleSensorAddress : static_cast<float>(options.id);
    c.ComLogEnabled = options.log;
    std::error_code error;
    c.AppDir = std::filesystem::current_path(error).string();
    c.serviceRecorder = &parts_->journal;
    parts_->stoppingPump.attach(&c);
    installStopSignals();
    parts_->hold.emplace(c);
}

Session::~Session() {
    parts_->port.close();
}

void Session::endAction() {
    parts_->hold.reset();
    parts_->hold.emplace(parts_->ctx);
}

Context& Session::ctx() {
    return parts_->ctx;
}

int Session::fail(const std::string& fallback) {
    if (isCancelled(parts_->ctx)) {
        // A stop before anything reached the sensor: the record says so, and so does this.
        std::cerr << "Stopped by signal " << stopSignal() << ": nothing reached the sensor.\n";
        return kExitFailed;
    }
    // A port that never opened is the cause of whatever the sensor could not do.
    const std::string refusal = portRefusal(parts_->port);
    const std::string& text = refusal.empty() ? parts_->ctx.ErrorText : refusal;
    std::cerr << (text.empty() ? fallback : text) << "\n";
    return kExitFailed;
}

}  // namespace kelvo::cli
