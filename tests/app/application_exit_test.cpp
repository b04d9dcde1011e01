// The real program, with its own port, clock, event loop and quit: every way out of a live
// sensor window ends it when the setup dialog is switched off, whatever dialog is open.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/close_request_filter.h"
#include "app/frm_msg.h"
#include "app/kelvo_application.h"
#include "app/shell_fixture.h"
#include "support/scripted_prompter.h"
#include "windows/sensor_window.h"

namespace kelvo::test {
namespace {

// Long enough for the port check and the read of a built-in sensor; reached only when the
// program fails to end, and then the test fails instead of hanging.
constexpr int kGiveUpMs = 60'000;
constexpr int kGaveUp = 99;

// Runs the program with the setup dialog off until it ends, leaving the sensor window it
// shows the way `leave` says; the window shown, or nullptr. The program must end by itself.
SensorWindow* runUntilEnded(KelvoApplication& app,
                            const std::function<void(SensorWindow*)>& leave) {
    SensorWindow* shown = nullptr;
    QObject::connect(&app.startUp(), &StartUp::windowShown, [&](SensorWindow* window) {
        shown = window;
        leave(window);
    });
    QTimer::singleShot(0, &app, [&app] { app.start(); });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    // The code a nested loop returns to may still end the program with 0 after this.
    bool gaveUp = false;
    QObject::connect(&watchdog, &QTimer::timeout, [&gaveUp] {
        gaveUp = true;
        QCoreApplication::exit(kGaveUp);
    });
    watchdog.start(kGiveUpMs);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(gaveUp) << "the program did not end by itself";
    watchdog.stop();
    return shown;
}

// Notes a close that reaches the window while a modal box is still up.
struct ModalFreeClose : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Close && QApplication::activeModalWidget())
            closedUnderABox = true;
        return false;
    }
    bool closedUnderABox = false;
};

class ApplicationExit : public ShellTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ApplicationExit, LeavingTheWindowEndsTheProgramWithTheSetupDialogOff) {
    const bool viaMenu = GetParam();
    storePreference("ComPort", "virtual:6");
    storePreference("Dont", "1");
    KelvoApplication app(std::make_unique<ScriptedPrompter>());
    SensorWindow* shown = runUntilEnded(app, [viaMenu](SensorWindow* window) {
        QTimer::singleShot(0, window, [window, viaMenu] {
            if (viaMenu)
                window->mExit->trigger();
            else
                window->close();
        });
    });
    ASSERT_NE(shown, nullptr) << app.context().ErrorText;
    EXPECT_FALSE(shown->isVisible());
    EXPECT_FALSE(app.startUp().progress().isVisible());
    EXPECT_TRUE(QFile::exists(workDir.filePath("last.set")));
}

// A close from the window manager is a posted event: it lands wherever the window happens
// to be, mid-poll included. A thread that keeps a core busy starves the event loop, so
// events queue up and arrive in bunches, as they do beside a build. Qt drops a close that
// comes while a modal box is open; the program's native filter hands such a one on (the
// test's platform has no window manager, so the test hands it on as the filter does).
TEST_F(ShellTest, ACloseRequestWhileTheEventLoopIsStarvedStillEndsTheProgram) {
    storePreference("ComPort", "virtual:6");
    storePreference("Dont", "1");
    std::atomic<bool> busy{true};
    std::vector<std::thread> hogs;
    for (int i = 0; i < 2; ++i)
        hogs.emplace_back([&busy] {
            volatile uint64_t spins = 0;
            while (busy.load(std::memory_order_relaxed)) spins = spins + 1;
        });
    // During the first poll (as the window shows), just before the second and during it; and
    // during it with a question open, which the filter answers as Escape would before the
    // window hears of the close: an action asking it would otherwise hold the leaving.
    for (const auto& [delayMs, underABox] : std::vector<std::pair<int, bool>>{
             {0, false}, {2000, false}, {2100, false}, {2100, true}}) {
        SCOPED_TRACE(std::to_string(delayMs) + (underABox ? " ms, under a question" : " ms"));
        KelvoApplication app(std::make_unique<ScriptedPrompter>());
        SensorWindow* shown = runUntilEnded(app, [&](SensorWindow* window) {
            QTimer::singleShot(delayMs, window, [&, window] {
                if (!underABox) {
                    QCoreApplication::postEvent(window->windowHandle(), new QCloseEvent);
                    return;
                }
                QMessageBox box(QMessageBox::Question, "Kelvo", "Go on?",
                                QMessageBox::Yes | QMessageBox::No, window);
                ModalFreeClose watcher;
                window->installEventFilter(&watcher);
                QTimer::singleShot(50, window, [window] {
                    EXPECT_TRUE(CloseRequestWouldBeDropped(window));
                    DeliverBlockedCloseRequest(window);
                });
                box.exec();
                EXPECT_NE(box.result(), QMessageBox::Yes);
                EXPECT_FALSE(watcher.closedUnderABox);
            });
        });
        ASSERT_NE(shown, nullptr) << app.context().ErrorText;
        EXPECT_FALSE(shown->isVisible());
    }
    busy = false;
    for (auto& hog : hogs) hog.join();
}

INSTANTIATE_TEST_SUITE_P(Ways, ApplicationExit, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "FileExit" : "CloseBox"; });

}  // namespace
}  // namespace kelvo::test
