// Fields bound to shared bytes: what nobody edited goes back bit for bit as it was shown,
// whatever its codec would make of the text; an edit goes through the codec into the
// field's own bits only.
#include "settings/field_binding.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

#include "common/context.h"
#include "support/test_context.h"

namespace kelvo::test {
namespace {

// A codec that loses: thirds are shown, so 7 shows as 2 and 2 stores as 6.
FieldCodec thirds() {
    return {[](uint32_t bits) { return std::to_string(bits / 3); },
            [](const std::string& text) -> std::optional<uint32_t> {
                if (text.empty()) return std::nullopt;  // nothing storable
                return uint32_t(std::stoul(text) * 3);
            }};
}

// The codec's bits as readField lays them out: each byte masked to the field's bits.
uint32_t masked(const FieldPlace& place, uint32_t value) {
    uint32_t bits = 0;
    const size_t n = place.bytes.size();
    for (size_t k = 0; k < n; ++k) {
        bits = (bits << 8) | ((value >> (8 * (n - 1 - k))) & place.bytes[k].mask);
    }
    return bits;
}

float& at(Context& ctx, Memory memory, int address) {
    return memory == Memory::Eeprom ? ctx.EeImage[address] : ctx.RamImage[address];
}

TEST(FieldBinding, UneditedFieldsKeepTheirBitsAndEditsReachOnlyTheirOwn) {
    std::mt19937 random(20240611);
    auto chance = [&](int percent) { return int(random() % 100) < percent; };
    constexpr std::array<int, 3> kBytes = {10, 11, 12};
    for (int round = 0; round < 400; ++round) {
        TestContext t;
        Context& ctx = t.ctx;
        const Memory memory = chance(50) ? Memory::Ram : Memory::Eeprom;
        for (int a : kBytes) at(ctx, memory, a) = float(random() % 256);
        // Byte 10 is split at random between a flag, a byte field and a word's high byte;
        // some of its bits belong to nobody.
        const uint8_t flagBit = uint8_t(1 << (random() % 8));
        const uint8_t rest = uint8_t(~flagBit);
        const uint8_t byteMask = uint8_t(random() & rest);
        const uint8_t highMask = uint8_t(random() & rest & ~byteMask);
        const std::vector<FieldPlace> places = {
            {memory, {{10, flagBit}}},
            {memory, {{10, byteMask}}},
            {memory, {{10, highMask}, {11, 0xFF}}},
            {memory, {{12, 0xFF}}},
        };
        std::array<std::string, 4> controls;
        FieldTable table;
        for (size_t f = 0; f < places.size(); ++f) {
            table.add({"field", [&controls, f] { return controls[f]; },
                       [&controls, f](const std::string& text) { controls[f] = text; }},
                      places[f], f == 0 ? flagCodec() : thirds());
        }
        table.show(ctx);
        const std::array<std::string, 4> shownTexts = controls;
        std::array<uint32_t, 4> shown{};
        for (size_t f = 0; f < places.size(); ++f) shown[f] = readField(ctx, places[f]);
        // Something else may write the bytes before they are stored back.
        if (chance(30)) at(ctx, memory, 10) = float(random() % 256);
        const uint8_t nobodys = uint8_t(~(flagBit | byteMask | highMask));
        const int othersBefore = int(at(ctx, memory, 10)) & nobodys;
        std::array<uint32_t, 4> before{};
        for (size_t f = 0; f < places.size(); ++f) before[f] = readField(ctx, places[f]);
        for (size_t f = 0; f < places.size(); ++f) {
            if (!chance(40)) continue;
            controls[f] = f == 0       ? (controls[f] == "1" ? "0" : "1")
                          : chance(10) ? std::string()
                                       : std::to_string(random() % 30000);
        }

        table.store(ctx);
        for (size_t f = 0; f < places.size(); ++f) {
            const bool edited = controls[f] != shownTexts[f];
            EXPECT_EQ(table.edited(f), edited);
            uint32_t expected = shown[f];
            if (edited && f == 0) {
                expected = masked(places[f], controls[f] == "1" ? ~0u : 0u);
            } else if (edited) {
                // A text that stores nothing leaves what the image holds now.
                expected = controls[f].empty()
                               ? before[f]
                               : masked(places[f], uint32_t(std::stoul(controls[f]) * 3));
            }
            EXPECT_EQ(readField(ctx, places[f]), expected) << "round " << round << " field " << f;
        }
        EXPECT_EQ(int(at(ctx, memory, 10)) & nobodys, othersBefore) << "round " << round;
    }
}

// A panel whose bytes are worked out together: nothing is stored until one of its controls
// holds another text than it was shown, or the caller says the bytes must go back.
TEST(FieldGroup, StoresOnlyWhenOneOfItsControlsWasEdited) {
    TestContext t;
    std::array<std::string, 2> held{};
    std::vector<FieldControl> controls;
    for (size_t k = 0; k < held.size(); ++k) {
        controls.push_back({"c" + std::to_string(k), [&held, k] { return held[k]; },
                            [&held, k](const std::string& s) { held[k] = s; }});
    }
    int stores = 0;
    FieldGroup group(
        controls, [](Context&) { return FieldGroup::Texts{"a", "b"}; },
        [&stores](Context&, const FieldGroup::Texts& texts) {
            ++stores;
            EXPECT_EQ(texts.size(), 2u);
        });
    EXPECT_TRUE(group.edited());  // never shown: whatever it holds counts as edited
    group.show(t.ctx);
    EXPECT_EQ(held[1], "b");
    const struct {
        const char* second;
        bool evenUnedited;
        int stores;
    } steps[] = {{"b", false, 0}, {"b", true, 1}, {"c", false, 2}, {"b", false, 2}};
    for (const auto& step : steps) {
        held[1] = step.second;
        group.store(t.ctx, step.evenUnedited);
        EXPECT_EQ(stores, step.stores) << step.second << step.evenUnedited;
    }
}

}  // namespace
}  // namespace kelvo::test
