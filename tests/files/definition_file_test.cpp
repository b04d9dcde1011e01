#include "files/definition_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "model/channels.h"
#include "model/definition_access.h"
#include "model/identification.h"
#include "model/image_fill.h"
#include "model/tables.h"
#include "support/test_context.h"
#include "virtualsensor/sensor_physics.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using test::TestContext;

void putInt(std::vector<uint8_t>& bytes, size_t position, int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    for (int k = 0; k < 4; ++k) bytes[position - 1 + k] = static_cast<uint8_t>(v >> (8 * k));
}

// A definition file with one CO2 channel (1) and a temperature channel (0).
std::vector<uint8_t> sampleFile() {
    std::vector<uint8_t> bytes(kDefinitionFileSize, 0);
    const int32_t model[5][2] = {
        {115081, -6}, {-185441, -8}, {42264, -5}, {114645, -6}, {2415, -4}};
    for (int k = 0; k < 5; ++k) {
        putInt(bytes, 41 + 96 + 8 * k, model[k][0]);
        putInt(bytes, 45 + 96 + 8 * k, model[k][1]);
    }
    putInt(bytes, 81 + 96, 2000);
    putInt(bytes, 9, 3);        // channel 0: both flags
    putInt(bytes, 9 + 192, 2);  // channel 2: the second bit alone
    putInt(bytes, 9 + 288, 1);  // channel 3: the first bit alone
    putInt(bytes, 13 + 96, 1);  // channel 1: second flag
    putInt(bytes, 89, 1);
    putInt(bytes, 89 + 96, 1);
    std::memcpy(&bytes[424], "Te\0mp  ", 7);  // an embedded 0 byte, trailing blanks
    std::memcpy(&bytes[424 + 15], "  CO2", 5);
    // The three texts at their full 20 characters, up to the next field.
    std::memcpy(&bytes[404], "Product 20 chars ok!", 20);
    std::memcpy(&bytes[584], "Gas sensor, 20 chars", 20);
    std::memcpy(&bytes[604], "Made by us, 20 chars", 20);
    putInt(bytes, 625, 2);  // right after the last text: its low byte is no character of it
    putInt(bytes, 629, 4);
    return bytes;
}

class DefinitionFiles : public test::FolderTest {
protected:
    DefinitionFiles() : FolderTest("kelvo-def-") {}
    void SetUp() override {
        FolderTest::SetUp();
        t.ctx.AppDir = dir.string();
        test::markAllRead(t.ctx);
        test::setRam(t.ctx, kRamIdByte, 231);
    }
    void write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream out(dir / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    TestContext t;
};

TEST(DefinitionFileName, PadsTheIdentificationByte) {
    EXPECT_EQ(DefinitionFileName(5), "DEF00005.PDT");
    EXPECT_EQ(DefinitionFileName(23), "DEF00023.PDT");
    EXPECT_EQ(DefinitionFileName(231), "DEF00231.PDT");
}

TEST_F(DefinitionFiles, LoadsNamesUnitsFlagsAndTables) {
    write("DEF00231.PDT", sampleFile());
    ASSERT_TRUE(LoadDefinition(t.ctx)) << t.ctx.ErrorText;
    const ProductDefinition& d = t.ctx.Definition;
    EXPECT_EQ(d.loadedIdByte, 231);
    EXPECT_EQ(d.channelName[0], "Temp");
    EXPECT_EQ(d.channelName[1], "CO2");
    EXPECT_EQ(d.unitCode[0], 2);
    EXPECT_EQ(d.unitCode[1], 4);
    EXPECT_EQ(d.channelFlags, 0x59);
    EXPECT_EQ(d.secondFlags, 0x02);
    EXPECT_EQ(d.texts[0], "Product 20 chars ok!");
    EXPECT_EQ(d.texts[1], "Gas sensor, 20 chars");
    EXPECT_EQ(d.texts[2], "Made by us, 20 chars");
    EXPECT_EQ(ChannelName(t.ctx, 2, false), "OFF");
    EXPECT_FALSE(ChannelPresent(t.ctx, 2, false, false));
    EXPECT_EQ(GetTableEntry(t.ctx, 1, 15), 5000);
    EXPECT_NEAR(GetTableEntry(t.ctx, 1, 0), 7000, 1);
    EXPECT_EQ(GetTableEntry(t.ctx, 0, 0), 0);  // no model for the temperature channel
}

TEST_F(DefinitionFiles, MissingFileIsNamedAndRetriedOnTheNextQuery) {
    EXPECT_EQ(ChannelName(t.ctx, 1, false), "");
    EXPECT_EQ(t.ctx.ErrorText, "Can't find file: " + (dir / "DEF00231.PDT").string() + ", ");
    EXPECT_EQ(t.ctx.Definition.loadedIdByte, 0);
    t.ctx.ErrorText.clear();
    write("DEF00231.PDT", sampleFile());
    EXPECT_EQ(ChannelName(t.ctx, 1, false), "CO2");
    EXPECT_EQ(t.ctx.ErrorText, "");
}

// Its name is matched without regard to case.
TEST_F(DefinitionFiles, ANewIdentificationByteLoadsItsOwnFile) {
    write("DEF00231.PDT", sampleFile());
    auto other = sampleFile();
    std::memcpy(&other[424 + 15], "CO2 wide", 8);
    write("def00127.pdt", other);
    EXPECT_EQ(ChannelName(t.ctx, 1, false), "CO2");
    test::setRam(t.ctx, kRamIdByte, 127);
    EXPECT_EQ(ChannelName(t.ctx, 1, false), "CO2 wide");
    EXPECT_EQ(t.ctx.Definition.loadedIdByte, 127);
}

TEST_F(DefinitionFiles, ShortOrGarbledFileIsAFileError) {
    const std::string expected = "File error '" + (dir / "DEF00231.PDT").string() + ", ";
    auto shortFile = sampleFile();
    shortFile.resize(639);
    auto huge = sampleFile();
    putInt(huge, 45 + 96, 400);  // 10^400 is no single-precision number
    for (const auto& bytes : {shortFile, huge, std::vector<uint8_t>{}}) {
        write("DEF00231.PDT", bytes);
        t.ctx.ErrorText.clear();
        EXPECT_FALSE(EnsureDefinition(t.ctx));
        EXPECT_EQ(t.ctx.ErrorText, expected);
        EXPECT_EQ(t.ctx.Definition.loadedIdByte, 0);
    }
}

TEST(ParseDefinition, AnyBytesGiveADefinitionOrNothing) {
    std::mt19937 random(7);
    for (size_t size : {0, 1, 639, 640, 641, 4096}) {
        for (int round = 0; round < 20; ++round) {
            std::vector<uint8_t> bytes(size);
            for (auto& b : bytes) b = static_cast<uint8_t>(random());
            const auto parsed = ParseDefinition(bytes);
            if (size < kDefinitionFileSize) {
                EXPECT_FALSE(parsed);
            }
            if (!parsed) continue;
            // Latin-1 text turns into at most two bytes a character.
            for (const auto& c : parsed->channels) EXPECT_LE(c.name.size(), 30u);
        }
    }
}

// Names are kept one byte a character and handed on as UTF-8: every byte value comes back
// as the character of that code, and nothing else does.
TEST(ParseDefinition, EveryByteOfANameIsItsLatin1Character) {
    // One- and two-byte UTF-8 back to codes; anything else (an overlong form too) is refused.
    const auto codePoints = [](const std::string& text) {
        std::vector<int> codes;
        for (size_t i = 0; i < text.size(); ++i) {
            const int lead = static_cast<uint8_t>(text[i]);
            const int next = i + 1 < text.size() ? static_cast<uint8_t>(text[i + 1]) : 0;
            if (lead < 0x80) {
                codes.push_back(lead);
            } else {
                if (lead < 0xC2 || lead > 0xDF || (next & 0xC0) != 0x80) return std::vector<int>{};
                codes.push_back((lead & 0x1F) << 6 | (next & 0x3F));
                ++i;
            }
        }
        return codes;
    };
    for (int b = 1; b < 256; ++b) {
        std::vector<uint8_t> bytes(kDefinitionFileSize, 0);
        bytes[424] = 'a';  // letters around it, so a blank is not trimmed away
        bytes[425] = static_cast<uint8_t>(b);
        bytes[426] = 'z';
        const auto parsed = ParseDefinition(bytes);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(codePoints(parsed->channels[0].name), (std::vector<int>{'a', b, 'z'})) << b;
    }
    std::vector<uint8_t> full(kDefinitionFileSize, 0);  // a name that fills its 15 bytes
    for (int i = 0; i < 15; ++i) full[424 + i] = static_cast<uint8_t>('A' + i);
    EXPECT_EQ(ParseDefinition(full)->channels[0].name, "ABCDEFGHIJKLMNO");
}

// The files in data/ are the virtual platform-5 sensors' own: each builds the table the
// sensor measures with.
TEST(ShippedDefinitionFiles, BuildTheVirtualSensorsTables) {
    for (int id : {231, 127, 103}) {
        std::ifstream in(fs::path(KELVO_SOURCE_DIR) / "data" / DefinitionFileName(id),
                         std::ios::binary);
        ASSERT_TRUE(in) << id;
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
        const auto parsed = ParseDefinition(bytes);
        ASSERT_TRUE(parsed) << id;
        EXPECT_EQ(parsed->channels[0].name, "Temp");
        EXPECT_EQ(parsed->channels[1].name, "CO2");
        EXPECT_EQ(parsed->channels[1].unitCode, 4);
        EXPECT_EQ(parsed->channels[2].unitCode, 5);
        EXPECT_EQ(parsed->channels[3].enable, 0);
        const auto& c = parsed->channels[1];
        const auto p = virtualsensor::platform5Model(id);
        EXPECT_EQ(c.l, p.l);
        EXPECT_EQ(c.m, p.m);
        EXPECT_EQ(c.o, p.o);
        EXPECT_EQ(c.tt, p.tt);
        EXPECT_EQ(c.u, p.u);
        EXPECT_EQ(c.start, p.start);
    }
}

}  // namespace
}  // namespace kelvo
