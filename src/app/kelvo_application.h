#pragma once
// The running program: the real port, clock, event pump and prompter, the shared Context,
// and start-up, wired together once.

#include <QObject>
#include <memory>

namespace kelvo {

struct Context;
class StartUp;
class SerialPort;
class Clock;
class EventPump;
class QtPrompter;

class KelvoApplication : public QObject {
    Q_OBJECT

public:
    KelvoApplication();
    ~KelvoApplication() override;

    // Runs start-up; the program then lives in the setup dialog and the sensor windows.
    void start();

    Context& context() { return *ctx_; }
    StartUp& startUp() { return *startUp_; }

private:
    std::unique_ptr<SerialPort> port_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<EventPump> events_;
    std::unique_ptr<QtPrompter> prompter_;
    std::unique_ptr<Context> ctx_;
    std::unique_ptr<StartUp> startUp_;
};

}  // namespace kelvo
