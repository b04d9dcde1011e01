// Simulated mode of the platform-5 window: what the two outputs would show for the channel
// values typed in, with the settings on screen. Never touches the sensor or the image.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>

#include "common/context.h"
#include "common/values.h"
#include "settings/function_shapes.h"
#include "windows/channel_panel.h"
#include "windows/platform5/frm5.h"
#include "windows/platform5/shape_picture.h"

namespace kelvo {

namespace {
constexpr int kMeasuredChannels = 4;

double number(const QLineEdit* field) {
    return ParseNumber(field->text().toStdString());
}
double limit(double value, double low, double high) {
    return std::clamp(value, low, high);
}

}  // namespace

double frm5::simulatedOutput(int j) {
    const bool digital = optOut5Digital[j]->isChecked();
    double out = digital ? 0 : number(txbOutBaseLine[j]);
    for (int i = 0; i < kFunctions; ++i) {
        if (!(j == 0 ? cbxFout1[i] : cbxFout2[i])->isChecked()) continue;
        int c = 0;
        while (c < kMeasuredChannels &&
               pctChannels->lblCH_Name[c]->text() != lblFchannel[i]->text()) {
            ++c;
        }
        if (c == kMeasuredChannels) continue;
        double v = number(pctChannels->txbCHact[c]);
        // The shift button counts as pressed.
        if (lblShiftb->text() == pctChannels->lblCH_Name[c]->text()) v += number(txbShiftBamount);
        const double a = number(txbFa[i]);
        const double b = number(txbFb[i]);
        v = std::max(std::min(v, b), a);
        // A function with A equal to B has no span to scale over: it adds nothing.
        const double x = b != a ? (v - a) / (b - a) : 0;
        out = limit(out + shapeContribution(visibleShape(i), x), -100, 100);
    }
    const bool testRunning = pctDigTPsign->progress() >= 0 || pctDigTNsign->progress() >= 0;
    if ((j == 0 ? cbxDigTout[0] : cbxDigTout[1])->isChecked() && testRunning) {
        out = limit(out + number(txbDigTlevel), -100, 100);
    }
    if (digital) {
        // Between the two states a digital output keeps the one it has.
        if (out > 0 && out < 100) out = number(txbOutOut[j]);
        if (out != 100) out = 0;
    }
    return limit(out, 0, 100);
}

void frm5::Simulate() {
    for (int j = 0; j < kOutputs; ++j) {
        txbOutOut[j]->setText(
            QString::fromStdString(NumberText(RoundHalfEven(simulatedOutput(j)))));
    }
}

void frm5::startTriggerTest() {
    const double time = number(txbDigTtime);
    if (time == 0 || trigger_.running) return;
    const double now = ctx_.clock.tickMs() / 1000.0;
    trigger_.running = true;
    trigger_.start = now;
    trigger_.end = now + (lblDigTunit->text() != mTimeUnitSec->text() ? time * 60 : time);
    (pctDigTPsign->isHidden() ? pctDigTNsign : pctDigTPsign)->setProgress(0);
    wakeLoop();
}

bool frm5::simulationStep() {
    if (!trigger_.running || number(txbDigTtime) == 0) return false;
    const double now = ctx_.clock.tickMs() / 1000.0;
    ShapePicture* line = pctDigTPsign->isHidden() ? pctDigTNsign : pctDigTPsign;
    if (now >= trigger_.end) {
        pctDigTPsign->setProgress(-1);
        pctDigTNsign->setProgress(-1);
        trigger_.running = false;
    } else {
        line->setProgress((now - trigger_.start) / (trigger_.end - trigger_.start));
    }
    Simulate();
    return trigger_.running;
}

}  // namespace kelvo
