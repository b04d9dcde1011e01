#include "windows/platform5/platform5_fields.h"

#include <QAction>
#include <QLineEdit>
#include <algorithm>

#include "common/context.h"
#include "common/values.h"

namespace kelvo {

bool ramKnown(const Context& ctx, int first, int count) {
    for (int a = first; a < first + count; ++a) {
        if (a < 0 || a >= kRamImageSize || !ctx.RamRead[a]) return false;
    }
    return true;
}

uint16_t parameterWord(float raw) {
    return static_cast<uint16_t>(std::clamp<long long>(ToInteger(raw), 0, 0x7FFF));
}

FieldCodec networkIdCodec() {
    return {[](uint32_t id) { return std::to_string(id); },
            [](const std::string& t) -> std::optional<uint32_t> {
                const double id = std::clamp(ParseNumber(t), 0.0, double(kHighestNetworkId));
                return uint32_t(ToInteger(id));
            },
            [](uint32_t id) { return id <= kHighestNetworkId; }};
}

bool checkNetworkId(QLineEdit* field) {
    const double id =
        std::clamp(ParseNumber(field->text().toStdString()), 0.0, double(kHighestNetworkId));
    field->setText(QString::fromStdString(NumberText(id)));
    return false;
}

FieldCodec actionCaptionCodec(std::function<QString(int)> caption, int count) {
    return pickListCodec([caption](int k) { return caption(k).toStdString(); }, count);
}

}  // namespace kelvo
