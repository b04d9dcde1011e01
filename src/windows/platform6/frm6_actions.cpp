// What the platform-6 window does beyond the shared actions: its reads and sends keep the
// window's mode, and the VAV panel sends test positions of its output.
#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
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

bool frm6::ActionSensorRead() {
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
    // The output's three bytes and their neighbour, in the sensor's order of records.
    const int first = product == p6::kProductVavOut1 ? 138 : 140;
    const WriteRequest test{eepromRange(first, kTestBytes), true, false, true, true, true};
    if (!SensorMemWrite(ctx_, test)) return false;
    linÄndra->setVisible(true);
    reportSuccess(QStringLiteral("The output runs at %1 % to test it; send or read the settings "
                                 "to end the test.")
                      .arg(field->text()));
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
