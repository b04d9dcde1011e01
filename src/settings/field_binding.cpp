#include "settings/field_binding.h"

#include <charconv>
#include <utility>

#include "common/context.h"

namespace kelvo {

namespace {
FieldPlace bytePlace(Memory memory, int address, uint8_t mask) {
    return {memory, {{address, mask}}};
}
FieldPlace wordPlace(Memory memory, int address, uint8_t highMask) {
    return {memory, {{address, highMask}, {address + 1, 0xFF}}};
}

const float* element(const Context& ctx, Memory memory, int address) {
    if (address < 0) return nullptr;
    if (memory == Memory::Eeprom) {
        return address < kEeImageSize ? &ctx.EeImage[address] : nullptr;
    }
    return address < kRamImageSize ? &ctx.RamImage[address] : nullptr;
}
float* element(Context& ctx, Memory memory, int address) {
    return const_cast<float*>(element(std::as_const(ctx), memory, address));
}

// The byte the sensor takes from an image value: held within 0..255, fraction dropped.
uint8_t wholeByte(float value) {
    if (!(value > 0)) return 0;  // also not a number
    if (value >= 255) return 255;
    return static_cast<uint8_t>(value);
}

uint8_t byteAt(const Context& ctx, Memory memory, int address) {
    const float* value = element(ctx, memory, address);
    return value ? wholeByte(*value) : 0;
}
}  // namespace

FieldPlace ramByte(int address, uint8_t mask) {
    return bytePlace(Memory::Ram, address, mask);
}
FieldPlace ramWord(int address, uint8_t highMask) {
    return wordPlace(Memory::Ram, address, highMask);
}
FieldPlace eepromByte(int address, uint8_t mask) {
    return bytePlace(Memory::Eeprom, address, mask);
}
FieldPlace eepromWord(int address, uint8_t highMask) {
    return wordPlace(Memory::Eeprom, address, highMask);
}

uint32_t readField(const Context& ctx, const FieldPlace& place) {
    uint32_t value = 0;
    for (const FieldBits& bits : place.bytes) {
        value = (value << 8) | (byteAt(ctx, place.memory, bits.address) & bits.mask);
    }
    return value;
}

void writeField(Context& ctx, const FieldPlace& place, uint32_t value) {
    const size_t count = place.bytes.size();
    for (size_t k = 0; k < count; ++k) {
        const FieldBits& bits = place.bytes[k];
        float* target = element(ctx, place.memory, bits.address);
        if (!target) continue;
        const uint8_t ours = static_cast<uint8_t>(value >> (8 * (count - 1 - k))) & bits.mask;
        const uint8_t others = wholeByte(*target) & static_cast<uint8_t>(~bits.mask);
        *target = static_cast<float>(others | ours);
    }
}

FieldCodec flagCodec() {
    return {[](uint32_t bits) { return std::string(bits ? "1" : "0"); },
            [](const std::string& text) -> std::optional<uint32_t> {
                return text == "1" ? ~uint32_t{0} : 0;
            }};
}

FieldCodec bitsCodec() {
    return {[](uint32_t bits) { return std::to_string(bits); },
            [](const std::string& text) -> std::optional<uint32_t> {
                uint32_t bits = 0;
                const char* end = text.data() + text.size();
                const auto [next, error] = std::from_chars(text.data(), end, bits);
                if (error != std::errc() || next != end) return std::nullopt;
                return bits;
            }};
}

FieldCodec pickListCodec(std::function<std::string(int)> caption, int count) {
    return {[caption, count](uint32_t bits) {
                return bits < uint32_t(count) ? caption(int(bits)) : std::string();
            },
            [caption, count](const std::string& shown) -> std::optional<uint32_t> {
                std::optional<uint32_t> chosen;
                for (int k = 0; k < count; ++k) {
                    if (caption(k) == shown) chosen = uint32_t(k);
                }
                return chosen;
            }};
}

FieldBinding::FieldBinding(FieldPlace place, FieldCodec codec)
    : place_(std::move(place)), codec_(std::move(codec)) {}

std::string FieldBinding::show(const Context& ctx) {
    shownBits_ = readField(ctx, place_);
    shownText_ = codec_.show(shownBits_);
    return *shownText_;
}

bool FieldBinding::edited(const std::string& text) const {
    return !shownText_ || text != *shownText_;
}

void FieldBinding::store(Context& ctx, const std::string& text) const {
    const bool keep = !codec_.inRange || codec_.inRange(shownBits_);
    if (!edited(text) && keep) {
        writeField(ctx, place_, shownBits_);
    } else if (const std::optional<uint32_t> bits = codec_.store(text)) {
        writeField(ctx, place_, *bits);
    }
}

FieldTable::Id FieldTable::add(FieldControl control, FieldPlace place, FieldCodec codec) {
    fields_.push_back({std::move(control), FieldBinding(std::move(place), std::move(codec))});
    return fields_.size() - 1;
}

void FieldTable::show(const Context& ctx) {
    for (Field& field : fields_) field.control.show(field.binding.show(ctx));
}

void FieldTable::store(Context& ctx) const {
    for (Id id = 0; id < fields_.size(); ++id) store(ctx, id);
}

void FieldTable::store(Context& ctx, Id field) const {
    const Field& f = fields_.at(field);
    f.binding.store(ctx, f.control.text());
}

bool FieldTable::edited(Id field) const {
    const Field& f = fields_.at(field);
    return f.binding.edited(f.control.text());
}

FieldGroup::FieldGroup(std::vector<FieldControl> controls, std::function<Texts(Context&)> show,
                       std::function<void(Context&, const Texts&)> store)
    : controls_(std::move(controls)), show_(std::move(show)), store_(std::move(store)) {}

void FieldGroup::show(Context& ctx) {
    const Texts texts = show_(ctx);
    for (size_t k = 0; k < controls_.size() && k < texts.size(); ++k) controls_[k].show(texts[k]);
    // What the controls hold now: a control may show a text its own way.
    Texts shown;
    for (const FieldControl& c : controls_) shown.push_back(c.text());
    shown_ = std::move(shown);
}

bool FieldGroup::edited() const {
    if (!shown_) return true;
    for (size_t k = 0; k < controls_.size(); ++k) {
        if (controls_[k].text() != (*shown_)[k]) return true;
    }
    return false;
}

void FieldGroup::store(Context& ctx, bool evenUnedited) const {
    if (!evenUnedited && !edited()) return;
    Texts texts;
    for (const FieldControl& c : controls_) texts.push_back(c.text());
    store_(ctx, texts);
}

}  // namespace kelvo
