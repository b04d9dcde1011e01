#pragma once
// A Context wired to fakes: a virtual clock and pump, a scripted prompter, and a port
// that is closed and silent unless a test puts something behind it; and folders of the
// test's own.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

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

// Copies the definition files of data/ into a folder, as the program's working folder has them.
inline void CopyDefinitions(const std::filesystem::path& to) {
    for (const auto& e : std::filesystem::directory_iterator(KELVO_SOURCE_DIR "/data"))
        if (e.path().extension() == ".PDT")
            std::filesystem::copy(e.path(), to / e.path().filename());
}

// A folder of the test's own, named for it and the process, holding the definition files;
// removed with the object.
struct WorkingFolder {
    explicit WorkingFolder(const std::string& name)
        : path(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()))) {
        reset();
    }
    ~WorkingFolder() { std::filesystem::remove_all(path); }
    void reset() const {  // empty but for the definition files
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        CopyDefinitions(path);
    }
    std::filesystem::path path;
};

// A test with an empty folder of its own, named for the test and the process.
class FolderTest : public ::testing::Test {
protected:
    explicit FolderTest(const std::string& prefix)
        : dir(std::filesystem::temp_directory_path() /
              (prefix + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name())) {}
    void SetUp() override {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    const std::filesystem::path dir;
};

}  // namespace kelvo::test
