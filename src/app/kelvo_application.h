#pragma once
// The running program: the real port, clock, event pump and prompter, the shared Context,
// and start-up, wired together once.

#include <QObject>
#include <memory>

#include "common/platform.h"

namespace kelvo {

class CloseRequestFilter;
struct Context;
class ServiceJournal;
class StartUp;

class KelvoApplication : public QObject {
    Q_OBJECT

public:
    // The prompter shows message and file boxes; by default the Qt one.
    explicit KelvoApplication(std::unique_ptr<Prompter> prompter = nullptr);
    ~KelvoApplication() override;

    // Runs start-up; the program then lives in the setup dialog and the sensor windows.
    void start();

    Context& context() { return *ctx_; }
    StartUp& startUp() { return *startUp_; }

private:
    std::unique_ptr<SerialPort> port_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<EventPump> events_;
    std::unique_ptr<Prompter> prompter_;
    std::unique_ptr<ServiceJournal> journal_;
    std::unique_ptr<Context> ctx_;
    std::unique_ptr<StartUp> startUp_;
    std::unique_ptr<CloseRequestFilter> closeRequests_;
};

}  // namespace kelvo
