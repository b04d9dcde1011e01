// "Find sensors" in the setup dialog and the network overview, on the virtual network and
// the virtual clock: a send to four ticked sensors with one refused, a sensor's own window
// and the way back to the overview.
#include "app/frm_network.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>

#include "app/frm_com_set.h"
#include "app/shell_fixture.h"
#include "files/platform_settings_file.h"
#include "model/platform_profile.h"
#include "service/network_send.h"
#include "service/service_journal.h"
#include "virtualsensor/virtual_network.h"
#include "windows/sensor_window.h"
#include "windows/sensor_windows.h"

namespace kelvo::test {
namespace {

class NetworkOverview : public ShellTest {
protected:
    Context& context() override { return line.ctx; }
    // The context keeps only the network's address until the network exists.
    TestContext line{&network};
    virtualsensor::VirtualNetwork network{line.clock, virtualsensor::DemoNetwork()};
    ServiceJournal journal;
};
using FindSensors = NetworkOverview;

TEST_F(FindSensors, OffersEachSensorThatAnsweredAndFillsTheIdPicked) {
    frmComSet& dialog = shell().comSet();
    EXPECT_TRUE(dialog.btnFindSensors->isHidden()) << "it belongs to the ID field";
    dialog.optStartMode[1]->setChecked(true);
    EXPECT_FALSE(dialog.btnFindSensors->isHidden());

    network.setPortName("link's port");
    dialog.btnFindSensors->click();
    const QList<QAction*> items = dialog.mFoundSensors->actions();
    ASSERT_EQ(items.size(), 8) << "six sensors, then the network overview";
    EXPECT_TRUE(items[1]->text().startsWith("ID 2: platform 6, version 0, serial "))
        << items[1]->text().toStdString();
    EXPECT_TRUE(line.prompter.shown.empty()) << "no message when sensors were found";
    items[2]->trigger();
    EXPECT_EQ(dialog.txbID->text(), "3");
    EXPECT_EQ(network.portName(), dialog.comPortText().toStdString()) << "the port in the field";
    EXPECT_TRUE(dialog.isEnabled());
}

TEST_F(FindSensors, ACancelledScanSaysNothingAndKeepsWhatWasFound) {
    frmComSet& dialog = shell().comSet();
    dialog.optStartMode[1]->setChecked(true);
    // The user cancels once ID 2 has answered.
    line.pump.onEvents([&] {
        if (network.sensorAt(2)->handshakesAnswered() > 0) cancel(line.ctx);
    });
    dialog.btnFindSensors->click();
    ASSERT_EQ(dialog.mFoundSensors->actions().size(), 3) << "one sensor, then the overview";
    EXPECT_TRUE(dialog.mFoundSensors->actions()[0]->text().startsWith("ID 1: platform 5"));
    EXPECT_TRUE(line.prompter.shown.empty());
    EXPECT_TRUE(line.ctx.ErrorText.empty());
}

// Lets the overview's passes run until the results hold this many lines.
void runUntil(frmNetwork& window, int lines) {
    for (int i = 0; i < 2000 && window.txbResults->blockCount() < lines; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

TEST_F(NetworkOverview, SendsToTheTickedSensorsRefusesTheWrongPlatformAndReturnsFromAWindow) {
    copyDefinitions();
    Context& ctx = line.ctx;
    ctx.AppDir = (workDir.path() + "/").toStdString();
    ctx.serviceRecorder = &journal;
    // The site's file: sensor 2's settings with a base line changed.
    AddressNetworkSensor(ctx, 2);
    ASSERT_TRUE(ReadSpans(ctx, WholeImageReads(kPlatform6)));
    ctx.EeImage[139] = 200;
    const std::string file = workDir.filePath("site.Set").toStdString();
    ASSERT_TRUE(SavePlatformSettings(ctx, file));
    std::vector<FoundSensor> found;
    ASSERT_TRUE(ScanNetwork(ctx, found));

    StartUp& shell = this->shell(createSensorWindows);
    shell.Main();
    shell.showNetwork(found);
    frmNetwork& overview = shell.network();
    ASSERT_EQ(overview.grdSensors->rowCount(), 6);
    for (int id : {2, 3, 5, 6}) overview.setTicked(id, true);
    line.prompter.fileAnswers.push_back(file);
    overview.cmdSendFile->click();
    runUntil(overview, 5);
    EXPECT_EQ(overview.txbResults->toPlainText().toStdString(),
              "Sending site.Set:\n"
              "ID 2: sent and verified\n"
              "ID 3: refused: This setfile can't be used on this sensor.\n"
              "ID 5: sent and verified\n"
              "ID 6: sent and verified");
    for (int id : {2, 5, 6}) EXPECT_EQ(network.sensorAt(id)->memory().eeprom[139], 200);
    EXPECT_TRUE(line.prompter.shown.empty());
    for (int r = 0; r < 6; ++r)
        EXPECT_EQ(overview.grdSensors->item(r, 5)->text(), "answering") << r;

    // Refreshed in turn, one sensor per poll period.
    for (int round = 0; round < 6; ++round) {
        line.clock.advance(frmNetwork::kPollPeriodMs);
        QTest::qWait(150);  // one pass of the overview's loop
    }
    for (int r = 0; r < 6; ++r)
        EXPECT_FALSE(overview.grdSensors->item(r, 4)->text().isEmpty())
            << r << overview.grdSensors->item(r, 5)->text().toStdString();
    if (const char* shots = std::getenv("KELVO_SHOTS_DIR")) {
        overview.resize(1000, 560);
        QApplication::processEvents();
        EXPECT_TRUE(overview.grab().save(QDir(shots).filePath("network-overview.png")));
    }

    // The sensor's own window, and back.
    emit overview.grdSensors->cellDoubleClicked(1, 0);
    ASSERT_NE(shell.CurrentWindow, nullptr);
    EXPECT_TRUE(shell.CurrentWindow->isVisible());
    EXPECT_FALSE(overview.isVisible());
    EXPECT_EQ(ctx.SensorAddress, 2);
    shell.RestartOrEnd();
    EXPECT_FALSE(shell.CurrentWindow->isVisible());
    EXPECT_TRUE(overview.isVisible());
}

}  // namespace
}  // namespace kelvo::test
