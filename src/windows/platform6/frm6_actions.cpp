// What the platform-6 window does beyond the shared actions: its reads and sends keep the
// window's mode, and the VAV panel sends test positions of its output.
#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>

#include "common/context.h"
#include "common/values.h"
#include "link/sensor_link.h"
#include "link/sensor_mem_write.h"
#include "model/identification.h"
#include "model/platform_profile.h"
#include "settings/platform6_codecs.h"
#include "settings/platform6_panels.h"
#include "windows/edit_field.h"
#include "windows/platform6/frm6.h"
#include "windows/window_host.h"

namespace kelvo {

namespace {
// The test writes four configuration bytes at once, the VAV output's among them.
constexpr int kTestBytes = 4;

QString percentText(double value) {
    return QString::fromStdString(NumberText(value));
}
}  // namespace

void frm6::executeAction(int16_t code) {
    switch (code) {
        case kActionVAVMax:
            ActionVAVÄndra(true);
            break;
        case kActionVAVMin:
            ActionVAVÄndra(false);
            break;
        case kActionTWAReset:
            break;  // a platform-6 sensor has no TWA
        default:
            SensorWindow::executeAction(code);
    }
}

SensorWindow::ActionLabel frm6::actionLabel(int16_t code) const {
    switch (code) {
        case kActionVAVMax:
        case kActionVAVMin:
            return {"VAV test position"};
        case kActionLeaveWindow:
            return {"VAV test position ended"};  // the only thing leaving sends
        default:
            return SensorWindow::actionLabel(code);
    }
}

bool frm6::ActionSensorRead() {
    // A read of the test position would show it as the settings, and a send of those
    // would keep it for good.
    if (!endVavTest()) return false;
    host_.ShowProgress(QStringLiteral("Reading from sensor"));
    // A window in simulated mode stays there: the user leaves it by unticking the box.
    // The sensor keeps the address it was opened at: on a network, address 30 reaches no one.
    SensorLinkInit(ctx_, static_cast<uint8_t>(ctx_.SensorAddress));
    if (!ReadSpans(ctx_, WholeImageReads(kPlatform6))) return false;
    FormUpdateInit();
    FormUpdate();
    FormUpdateM();
    linÄndra->setVisible(false);
    if (!ctx_.ErrorText.empty()) return false;
    reportSuccess(
        QStringLiteral("Read from sensor %1.").arg(QString::fromStdString(SerialText(ctx_))));
    return true;
}

bool frm6::ActionSensorWrite() {
    // The send compares with what the sensor holds: bytes the test replaced and the settings
    // leave alike would keep the test position.
    if (!endVavTest()) return false;
    if (!SensorWindow::ActionSensorWrite()) return false;
    linÄndra->setVisible(false);
    return true;
}

bool frm6::ActionSettingsLoad() {
    // The window's edits go into the image first: a file that carries only some bytes
    // leaves the others as the window shows them.
    FormRead();
    if (!SensorWindow::ActionSettingsLoad()) return false;
    FormUpdateInit();
    FormUpdate();
    return true;
}

bool frm6::ActionSensorReadM() {
    // The channel words are fetched one by one as they are shown.
    FormUpdateM();
    return ctx_.ErrorText.empty();
}

bool frm6::ActionVAVÄndra(bool isMax) {
    host_.ShowProgress(QStringLiteral("Ändrar baseline"));
    const uint8_t product = GetIdByte(ctx_);
    if (product != p6::kProductVavOut1 && product != p6::kProductVavOut2) return true;
    const int baseLine = p6::vavBaseLineAddress(product);
    // The output's three bytes and their neighbour, in the sensor's order of records.
    const int first = product == p6::kProductVavOut1 ? 138 : 140;
    if (!vavTest_.active) {
        // What the sensor holds there before the first test is what every end puts back.
        vavTest_.first = first;
        for (int k = 0; k < kTestBytes; ++k) {
            const int a = first + k;
            vavTest_.kept[size_t(k)] = ctx_.EeRead[a] ? ctx_.EeLast[a] : ctx_.EeImage[a];
        }
    }
    // Nothing but the base line drives the output while it is tested.
    ctx_.EeImage[baseLine - 1] = 0;
    ctx_.EeImage[baseLine + 1] = 0;
    auto* grid = qobject_cast<QGridLayout*>(linÄndra->parentWidget()->layout());
    QLineEdit* field = isMax ? txbUseMax : txbUseMin;
    if (grid) {
        int row = 0, column = 0, rows = 0, columns = 0;
        grid->getItemPosition(grid->indexOf(field), &row, &column, &rows, &columns);
        grid->addWidget(linÄndra, row, 4);
    }
    const uint8_t b = p6::baseLineByte(ParseNumber(field->text().toStdString()));
    ctx_.EeImage[baseLine] = b;
    field->setText(percentText(p6::baseLinePercent(b)));
    vavImageStale_ = true;
    // Even a write cut short may have reached the sensor: from here on the test is put back.
    vavTest_.active = true;
    linÄndra->setVisible(true);
    lblVavTest->setText(QStringLiteral("Test position: the VAV output runs at %1 %. \"Read from "
                                       "sensor\", \"Send to sensor\" or leaving the window "
                                       "puts its settings back first.")
                            .arg(field->text()));
    lblVavTest->setVisible(true);
    const WriteRequest test{eepromRange(first, kTestBytes), true, false, true, true, true};
    if (!SensorMemWrite(ctx_, test)) return false;
    reportSuccess(QStringLiteral("The output runs at %1 % to test it.").arg(field->text()));
    return true;
}

bool frm6::endTests() {
    return endVavTest();
}

bool frm6::endVavTest() {
    if (!vavTest_.active) return true;
    host_.ShowProgress(QStringLiteral("Putting back the VAV output's settings"));
    const int first = vavTest_.first;
    for (int k = 0; k < kTestBytes; ++k) ctx_.EeImage[first + k] = vavTest_.kept[size_t(k)];
    vavImageStale_ = true;
    const WriteRequest back{eepromRange(first, kTestBytes), true, false, true, true, true};
    if (!SensorMemWrite(ctx_, back)) {
        if (hasErrorToShow(ctx_))
            ctx_.ErrorText +=
                " The VAV output may still run its test position: send the "
                "settings to end it.";
        return false;
    }
    vavTest_.active = false;
    linÄndra->setVisible(false);
    lblVavTest->setVisible(false);
    return true;
}

void frm6::stepVav(QLineEdit* field, bool up, int16_t code) {
    host_.ShowProgress(QStringLiteral("Please wait"));
    field->setText(percentText(p6::vavStep(ParseNumber(field->text().toStdString()), up)));
    ctx_.PendingAction = code;
    wakeLoop();
}

void frm6::leaveVavField(QLineEdit* field, int16_t code) {
    const double value = ParseNumber(field->text().toStdString());
    if (value > 100) field->setText(QStringLiteral("100"));
    if (value < 0) field->setText(QStringLiteral("0"));
    host_.ShowProgress(QStringLiteral("Please wait"));
    ctx_.PendingAction = code;
    wakeLoop();
}

}  // namespace kelvo
