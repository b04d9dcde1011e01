#include "common/values.h"

#include <clocale>
#include <cmath>
#include <limits>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/text.h"

namespace kelvo {
namespace {

TEST(SignedConversions, WordsAndBytesWrapAtTheirSignBit) {
    EXPECT_EQ(SignedWord(65535), -1);
    EXPECT_EQ(SignedWord(32768), -32768);
    EXPECT_EQ(SignedWord(32767), 32767);
    EXPECT_EQ(SignedWord(0), 0);
    EXPECT_EQ(SignedByte(200), -56);
    EXPECT_EQ(SignedByte(127), 127);
    EXPECT_EQ(SignedByte(128), -128);
    // Half-way values go by the byte they round to, as the sensor stores them.
    EXPECT_EQ(SignedWord(32767.5f), 32767.5 - 65536);
    EXPECT_EQ(SignedByte(127.5f), 127.5 - 256);
    EXPECT_EQ(UnsignedWord(-1), 65535);
    EXPECT_EQ(UnsignedWord(-100), 65436);
    EXPECT_EQ(UnsignedWord(1234), 1234);
}

TEST(ByteSplitting, ClampsAboveAWordInTheCallersVariable) {
    float value = 70000;
    EXPECT_EQ(HighByte(value), 255);
    EXPECT_EQ(value, 65535);
    value = 70000;
    EXPECT_EQ(LowByte(value), 255);
    EXPECT_EQ(value, 65535);

    float word = 0x1234;
    EXPECT_EQ(HighByte(word), 0x12);
    EXPECT_EQ(LowByte(word), 0x34);
    EXPECT_EQ(word, 0x1234);
}

TEST(ByteSplitting, TakesTheValueAsARoundedInteger) {
    float half = 256.5f;  // rounds to the even 256
    EXPECT_EQ(HighByte(half), 1);
    EXPECT_EQ(LowByte(half), 0);
    float aboveHalf = 255.5f;  // rounds to the even 256 as well
    EXPECT_EQ(HighByte(aboveHalf), 1);
    EXPECT_EQ(LowByte(aboveHalf), 0);
    float checksum = 6 + 33 + 500;  // a running sum reduced modulo 256
    EXPECT_EQ(LowByte(checksum), (6 + 33 + 500) % 256);
    float negative = -1;  // two's complement bits, not a crash
    EXPECT_EQ(LowByte(negative), 255);
    float atTheTop = 65535.5f, alsoAtTheTop = 65535.5f;  // would round past the top: clamped
    EXPECT_EQ(HighByte(atTheTop), 255);
    EXPECT_EQ(LowByte(alsoAtTheTop), 255);
    EXPECT_EQ(atTheTop, 65535);
    float belowTheTop = 65534.5f;  // rounds to the even 65534, below the clamp
    EXPECT_EQ(HighByte(belowTheTop), 255);
    EXPECT_EQ(LowByte(belowTheTop), 254);
    EXPECT_EQ(belowTheTop, 65534.5f);
}

TEST(RoundUp, PositiveFractionsGoUpEverythingElseDown) {
    EXPECT_EQ(RoundUp(2.1f), 3);
    EXPECT_EQ(RoundUp(2.0f), 2);
    EXPECT_EQ(RoundUp(-2.5f), -3);
    EXPECT_EQ(RoundUp(-2.0f), -2);
    EXPECT_EQ(RoundUp(0.0f), 0);
    EXPECT_EQ(RoundUp(0.001f), 1);
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(734.5), 734);
    EXPECT_EQ(RoundHalfEven(735.5), 736);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    EXPECT_EQ(Fix(-2.7), -2);
    EXPECT_EQ(Int(-2.7), -3);
    EXPECT_EQ(Fix(2.7), 2);
    // Saturated from its limit on, both ways, so no conversion leaves the int64 range.
    for (const double big : {1e30, 9.2e18, 9.25e18})
        EXPECT_EQ(ToInteger(big), std::numeric_limits<long long>::max()) << big;
    for (const double small : {-1e30, -9.2e18, -9.25e18})
        EXPECT_EQ(ToInteger(small), std::numeric_limits<long long>::min()) << small;
    EXPECT_EQ(ToInteger(9.1e18), 9'100'000'000'000'000'000);
    EXPECT_EQ(ToInteger(std::nan("")), 0);
}

TEST(NamesWithoutCase, WholeHeadAndTail) {
    EXPECT_TRUE(equalsNoCase("last.SET", "Last.set"));
    EXPECT_FALSE(equalsNoCase("last.set", "last.se"));
    // A name exactly as long as the part looked for, and one a character shorter.
    EXPECT_TRUE(endsWithNoCase(".Set", ".SET"));
    EXPECT_FALSE(endsWithNoCase("Set", ".Set"));
    EXPECT_TRUE(endsWithNoCase("a.set", ".Set"));
    EXPECT_FALSE(endsWithNoCase("a.sex", ".Set"));
    EXPECT_TRUE(startsWithNoCase("Virtual", "virtual"));
    EXPECT_FALSE(startsWithNoCase("Virtua", "virtual"));
    EXPECT_TRUE(startsWithNoCase("VIRTUAL:6", "virtual:"));
}

TEST(ParseNumber, KeepsDigitsSignsAndOnePoint) {
    EXPECT_DOUBLE_EQ(ParseNumber("12,5 ppm"), 12.5);
    EXPECT_DOUBLE_EQ(ParseNumber("1.000,5"), 1);
    EXPECT_DOUBLE_EQ(ParseNumber("-3 \xC2\xB0" "C"), -3);
    EXPECT_DOUBLE_EQ(ParseNumber("abc"), 0);
    EXPECT_DOUBLE_EQ(ParseNumber(""), 0);
    EXPECT_DOUBLE_EQ(ParseNumber("-"), 0);
    EXPECT_DOUBLE_EQ(ParseNumber("."), 0);
    EXPECT_DOUBLE_EQ(ParseNumber(" 4 0 0 "), 400);
    EXPECT_DOUBLE_EQ(ParseNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(ParseNumber("5-3"), 5);  // a later minus ends the number
    for (const char* none : {"-", ".", "-.", "abc"}) EXPECT_FALSE(NumberIn(none)) << none;
}

// What a person types where a value goes to a sensor: one plain decimal number, point or
// comma, blanks around it; over generated texts of the characters that fool a lenient
// reader, it takes what the expression takes, and reads it as ParseNumber does.
TEST(StrictNumber, TakesExactlyOnePlainDecimalNumber) {
    const std::regex plain(R"(^[ \t]*[-+]?([0-9]+([.,][0-9]*)?|[.,][0-9]+)[ \t]*$)");
    const std::string alphabet = "0123456789012345.,-+ \te=x";
    std::mt19937 random(24);
    for (int i = 0; i < 20000; ++i) {
        std::string text(random() % 9, ' ');
        for (char& c : text) c = alphabet[random() % alphabet.size()];
        const auto number = StrictNumber(text);
        ASSERT_EQ(number.has_value(), std::regex_match(text, plain)) << '"' << text << '"';
        ASSERT_EQ(number.value_or(0), number ? ParseNumber(text) : 0) << text;
    }
    EXPECT_FALSE(StrictNumber(std::string(400, '9')));  // not finite
}

TEST(NumberText, ShortestDecimalText) {
    EXPECT_EQ(NumberText(6), "6");
    EXPECT_EQ(NumberText(12.5), "12.5");
    EXPECT_EQ(NumberText(-0.25), "-0.25");
    EXPECT_EQ(NumberText(73.4f), "73.4");
    EXPECT_EQ(NumberText(0.0), "0");
    EXPECT_EQ(NumberText(-0.0), "0");
    EXPECT_EQ(NumberText(61440), "61440");
    EXPECT_EQ(NumberText(1.23456789012345), "1.23456789012345");  // wider than a float
}

// A Qt program takes the desktop's locale for the C library too; on a German desktop the
// numbers people type and the numbers written to files must still use a point.
TEST(NumberText, PointWhateverTheLocaleAndRoundTrips) {
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const bool german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> anyValue(-70000.0f, 70000.0f);
    for (int i = 0; i < 2000; ++i) {
        const float value = i % 3 == 0 ? std::round(anyValue(random)) / 10 : anyValue(random);
        const std::string text = NumberText(value);
        ASSERT_EQ(text.find(','), std::string::npos) << text;
        // Shown text read back and shown again is the same text: a value never creeps.
        ASSERT_EQ(NumberText(ParseNumber(text)), text);
        ASSERT_NEAR(ParseNumber(text), value, std::abs(value) * 1e-6) << text;
    }
    EXPECT_DOUBLE_EQ(ParseNumber("12.5"), 12.5);
    EXPECT_DOUBLE_EQ(ParseNumber("0." + std::string(400, '0') + "1"), 0);
    EXPECT_EQ(ParseNumber(std::string(400, '9')), std::numeric_limits<double>::infinity());
    std::setlocale(LC_NUMERIC, before.c_str());
    if (!german) GTEST_SKIP() << "no de_DE.UTF-8 locale here; checked in the C locale only";
}

}  // namespace
}  // namespace kelvo
