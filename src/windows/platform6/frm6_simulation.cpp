// Simulated mode of the platform-6 window: what the four outputs would show for the channel
// values typed in, with the settings on screen. Never touches the sensor or the image.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>

#include "common/context.h"
#include "common/values.h"
#include "windows/channel_panel.h"
#include "windows/edit_field.h"
#include "windows/platform5/shape_picture.h"
#include "windows/platform6/frm6.h"

namespace kelvo {

namespace {
double number(const QLineEdit* field) {
    return ParseNumber(field->text().toStdString());
}
double limit(double value, double low, double high) {
    return std::clamp(value, low, high);
}

// Where a channel value lies between A and B, from 0 to 1. With A equal to B the function
// is a switch at A: off below it, fully on from it.
double placeBetween(double v, double a, double b) {
    if (a == b) return v >= a ? 1 : 0;
    v = std::max(std::min(v, b), a);
    return (v - a) / (b - a);
}
}  // namespace

double frm6::simulatedOutput(int j) {
    double out = number(txbOutBaseLine[j]);
    for (int i = 0; i < kFunctions; ++i) {
        if (!cbxFout[j][i]->isChecked()) continue;
        int k = 0;
        while (k < kChannelRows &&
               !(pctChannels->rowShown(k) &&
                 pctChannels->lblCH_Name[k]->text() == lblFchannel[i]->text())) {
            ++k;
        }
        if (k == kChannelRows) continue;  // a channel the sensor does not measure adds nothing
        const double x =
            placeBetween(number(pctChannels->txbCHact[k]), number(txbFa[i]), number(txbFb[i]));
        out = limit(out + shapeContribution(visibleShape(i), x), -100, 100);
    }
    const bool testRunning = pctDigTPsign->progress() >= 0 || pctDigTNsign->progress() >= 0;
    if (cbxDigTout[j]->isChecked() && testRunning) {
        out = limit(out + number(txbDigTlevel), -100, 100);
    }
    if (cbxDigout[j]->isChecked() && cbxDigActive->isChecked()) {
        out = limit(out + number(txbDigLevel), -100, 100);
    }
    if (cbxOut6Invert[j]->isChecked()) out = std::abs(out);
    out = limit(out, 0, 100);
    // Between its two states a digital output keeps the one it has.
    if (optOut6Digital[j]->isChecked() && out > 0 && out < 100) out = number(txbOutOut[j]);
    return out;
}

void frm6::Simulate() {
    for (int j = 0; j < kOutputs; ++j) {
        txbOutOut[j]->setText(
            QString::fromStdString(NumberText(RoundHalfEven(simulatedOutput(j)))));
    }
}

void frm6::startTriggerTest() {
    const double time = number(txbDigTtime);
    if (time == 0 || trigger_.running) return;
    const double now = ctx_.clock.tickMs() / 1000.0;
    trigger_.running = true;
    trigger_.start = now;
    trigger_.end = now + (lblDigTunit->text() == mTimeUnitSec->text() ? time : time * 60);
    (pctDigTPsign->isHidden() ? pctDigTNsign : pctDigTPsign)->setProgress(0);
    wakeLoop();
}

bool frm6::simulationStep() {
    // While a channel value is being typed the outputs stay as they are.
    for (QLineEdit* value : pctChannels->txbCHact) {
        if (value && value->palette().color(QPalette::Base) == QColor(Qt::white))
            return trigger_.running;
    }
    if (trigger_.running && number(txbDigTtime) != 0) {
        const double now = ctx_.clock.tickMs() / 1000.0;
        ShapePicture* line = pctDigTPsign->isHidden() ? pctDigTNsign : pctDigTPsign;
        if (now >= trigger_.end) {
            pctDigTPsign->setProgress(-1);
            pctDigTNsign->setProgress(-1);
            trigger_.running = false;
        } else {
            line->setProgress((now - trigger_.start) / (trigger_.end - trigger_.start));
        }
    }
    Simulate();
    return trigger_.running;
}

}  // namespace kelvo
