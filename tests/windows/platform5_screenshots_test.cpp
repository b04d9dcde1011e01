// Pictures of the platform-5 windows on a virtual sensor, for looking at a layout by eye:
// written to KELVO_SHOTS_DIR when it is set (run under a real display server), skipped
// otherwise.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <cstdlib>

#include "windows/channel_panel.h"
#include "windows/platform5/frm5.h"
#include "windows/window_on_sensor.h"

namespace kelvo::test {
namespace {

void shoot(QWidget* window, const char* name) {
    window->resize(window->sizeHint());
    QApplication::processEvents();
    const QString path =
        QDir(QString::fromLocal8Bit(std::getenv("KELVO_SHOTS_DIR"))).filePath(name);
    EXPECT_TRUE(window->grab().save(path)) << path.toStdString();
}

TEST(Platform5Screenshots, LiveSimulatedAndInAlarm) {
    if (!std::getenv("KELVO_SHOTS_DIR")) GTEST_SKIP() << "KELVO_SHOTS_DIR not set";
    {
        WindowOnSensor w(5, 0);
        w.poll();
        shoot(w.window, "frm5-live.png");
        auto* window = dynamic_cast<frm5*>(w.window);
        window->SimMode(true);
        // P2 pulls Out 2 down from 100 % as CO2 falls: a negative sign on a rising slope.
        window->lblFchannel[1]->setText(window->mCHannel[1]->text());
        window->txbFa[1]->setText("400");
        window->txbFb[1]->setText("2000");
        window->cbxFout2[1]->setChecked(true);
        window->txbOutBaseLine[1]->setText("100");
        window->FunkTypeUpdate(1, false, false, true);
        window->FormRead();
        window->pctChannels->txbCHact[1]->setText("1000");
        window->FormUpdate();
        shoot(w.window, "frm5-simulated.png");
    }
    WindowOnSensor w(5, 2, [](virtualsensor::SensorMemory& m) {
        // Alarm levels as a site would set them: CO2 800 and 1000 ppm, TWA 5000 ppm,
        // temperature 5 and 30 C (raw values carry a bias of 5000).
        const int rows[5][2] = {
            {5790, 5800}, {5990, 6000}, {10000, 10000}, {5500, 5600}, {7900, 8000}};
        for (int k = 0; k < 5; ++k) {
            for (int p = 0; p < 2; ++p) {
                m.ram[163 + 5 * k + 2 * p] = static_cast<uint8_t>(rows[k][p] >> 8);
                m.ram[164 + 5 * k + 2 * p] = static_cast<uint8_t>(rows[k][p] & 255);
            }
        }
        m.gasPpm = 900;
        m.ram[255] = 1;  // the pre-alarm is on
        m.ram[14] = 128;
        m.ram[189] = 1 + 2;
    });
    w.poll();
    shoot(w.window, "frm5-chart-alarm.png");
}

}  // namespace
}  // namespace kelvo::test
