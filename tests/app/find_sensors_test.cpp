// "Find sensors" in the setup dialog, against the virtual network on the virtual clock.
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

#include "app/frm_com_set.h"
#include "app/shell_fixture.h"
#include "virtualsensor/virtual_network.h"

namespace kelvo::test {
namespace {

class FindSensors : public ShellTest {
protected:
    Context& context() override { return line.ctx; }
    // The context keeps only the network's address until the network exists.
    TestContext line{&network};
    virtualsensor::VirtualNetwork network{line.clock, virtualsensor::DemoNetwork()};
};

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

}  // namespace
}  // namespace kelvo::test
