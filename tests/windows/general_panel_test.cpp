// The general panel of every window kind, each on its own sensor: it shows the sensor's
// serial text and network ID, and an ID typed into it reaches the sensor as that one byte,
// at the address the platform keeps it, with nothing else of that memory changed.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "model/identification.h"
#include "windows/window_input.h"
#include "windows/window_on_sensor.h"

namespace kelvo::test {
namespace {

class GeneralPanelOnSensor : public ::testing::TestWithParam<SensorKind> {};

TEST_P(GeneralPanelOnSensor, ShowsTheSensorsIdAndSendsAnEditedIdAsThatByteAlone) {
    const SensorKind kind = GetParam();
    const MemorySpan id = FindProfile(uint8_t(kind.platform), float(kind.version))->networkId.span;
    // The memory that holds the ID, without the bytes the sensor's own measurements move.
    const auto settings = [&id](const virtualsensor::SensorMemory& m) {
        std::vector<int> bytes(m.eeprom.begin(), m.eeprom.end());
        if (id.eeprom) return bytes;
        bytes.assign(m.ram.begin(), m.ram.end());
        for (size_t a = 0; a < bytes.size(); ++a)
            if (m.liveWritten[a]) bytes[a] = -1;
        return bytes;
    };
    WindowOnSensor w(kind.platform, kind.version, [&id](virtualsensor::SensorMemory& m) {
        (id.eeprom ? m.eeprom[size_t(id.address)] : m.ram[size_t(id.address)]) = 17;
    });
    SensorWindow& window = *w.window;
    EXPECT_EQ(window.txbSN->text().toStdString(), SerialText(w.ctx()));
    EXPECT_FALSE(window.txbSN->text().isEmpty());
    EXPECT_EQ(window.txbID->text(), "17");

    const auto before = settings(w.rig.sensor.memory());
    type(window.txbID, "23");
    w.run(kActionSensorWrite);
    ASSERT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];
    EXPECT_EQ(changes(before, settings(w.rig.sensor.memory())),
              " " + std::to_string(id.address) + ": 17 -> 23");
    window.txbID->setText("0");
    w.run(kActionSensorRead);
    EXPECT_EQ(window.txbID->text(), "23");
}

INSTANTIATE_TEST_SUITE_P(EveryWindowKind, GeneralPanelOnSensor,
                         ::testing::Values(SensorKind{5, 0}, SensorKind{5, 1}, SensorKind{6, 0},
                                           SensorKind{61, 0}, SensorKind{7, 2}),
                         kindName);

}  // namespace
}  // namespace kelvo::test
