#pragma once
// The shell's part, reduced to what a sensor window asks of it while it polls.

#include "windows/window_host.h"

namespace kelvo::bench {

class BenchHost : public WindowHost {
public:
    void RestartOrEnd() override {}
    bool dontShowSetupDialog() const override { return false; }
    void setDontShowSetupDialog(bool) override {}
    void ShowProgress(const QString&, bool, QWidget*, bool, bool, bool) override {}
    bool showSpanCalNote() override { return false; }
    void openDocument(const QString&) override {}
};

}  // namespace kelvo::bench
