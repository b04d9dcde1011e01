// The function editor of the platform-6 window: which of the twelve shapes each function
// shows, and what the shapes stand for.
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <cmath>

#include "common/values.h"
#include "settings/platform6_panels.h"
#include "windows/platform5/shape_picture.h"
#include "windows/platform6/frm6.h"

namespace kelvo {

int frm6::visibleShape(int i) const {
    int shown = -1;
    for (int k = 0; k < kFunctionShapes; ++k) {
        if (!functionShape[i][k]->isHidden()) shown = k;  // the last one shown counts
    }
    return shown;
}

bool frm6::drivesDigitalOutput(int i) const {
    for (int j = 0; j < kOutputs; ++j) {
        if (cbxFout[j][i]->isChecked() && optOut6Digital[j]->isChecked()) return true;
    }
    return false;
}

FunctionKind frm6::functionKind(int i) const {
    // Functions 1-3 span the whole output range, 4-6 half of it.
    const bool digital = drivesDigitalOutput(i);
    if (i < 3) return digital ? FunctionKind::UnsignedDigital : FunctionKind::UnsignedAnalog;
    return digital ? FunctionKind::Digital : FunctionKind::SignedAnalog;
}

uint8_t frm6::FunkTypeRead(float index, bool slope, bool sign) {
    const int i = static_cast<int>(index);
    if (i < 0 || i >= kFunctions) return 0;
    const int shape = visibleShape(i);
    if (slope) return static_cast<uint8_t>(shapeSlopeBit(shape));
    if (sign) return static_cast<uint8_t>(shapeSignBit(shape));
    return 0;
}

void frm6::FunkTypeUpdate(float index, bool nextPicture, bool posSign, bool posSlope) {
    const int i = static_cast<int>(index);
    if (i < 0 || i >= kFunctions) return;
    const FunctionKind kind = functionKind(i);
    const int chosen = nextPicture ? nextFunctionShape(visibleShape(i), kind)
                                   : functionShapeFor(kind, posSign, posSlope);
    for (int k = 0; k < kFunctionShapes; ++k) functionShape[i][k]->setVisible(k == chosen);
}

float frm6::GetFunkResult(int funkNr, float x) const {
    return static_cast<float>(kelvo::GetFunkResult(limits_, funkNr, x));
}

void frm6::GetInitSetVAV() {
    p6::GetInitSetVAV(ctx_);
}

bool frm6::Read6v3(const QString&) {
    return FormRead();
}

void frm6::flipSign(QLineEdit* level, ShapePicture* positive, ShapePicture* negative,
                    bool toNegative) {
    const double value = std::abs(ParseNumber(level->text().toStdString()));
    const QString text = QString::fromStdString(NumberText(value));
    // Only the text and the pictures change; the image takes the sign at the next read.
    level->setText(toNegative ? QStringLiteral("-") + text : text);
    positive->setVisible(!toNegative);
    negative->setVisible(toNegative);
    // The simulated outputs follow the new sign on the loop's next pass, not the next edit.
    wakeLoop();
}

}  // namespace kelvo
