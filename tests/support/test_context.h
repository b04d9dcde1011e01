#pragma once
// A Context wired to fakes: a virtual clock and pump, a scripted prompter, and a port
// that is closed and silent unless a test puts something behind it.

#include <memory>

#include "common/context.h"
#include "files/definition_file.h"
#include "support/scripted_prompter.h"
#include "support/silent_port.h"
#include "support/virtual_clock.h"

namespace kelvo::test {

struct TestContext {
    explicit TestContext(SerialPort* serialPort = nullptr)
        : port(serialPort ? serialPort : &silent), pump(clock), ctx(*port, clock, pump, prompter) {
        pump.setPort(port);
        // As the program does: the definition files of the working folder.
        ctx.loadDefinition = LoadDefinition;
    }

    SilentPort silent;
    SerialPort* port;
    VirtualClock clock;
    VirtualEventPump pump;
    ScriptedPrompter prompter;
    Context ctx;
};

}  // namespace kelvo::test
