#include "common/values.h"

#include <clocale>
#include <cmath>
#include <limits>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/text.h"

namespace kelvo {
namespace {

// Every conversion against its plain definition, on and around the points where rounding,
// sign and the word's ends decide: exact halves, negatives, the bits 7 and 15, 65535.
TEST(ValueConversions, AgreeWithTheirDefinitionsAtEveryDecidingPoint) {
    const auto even = [](double v) {  // nearest, halves to the even neighbour
        const double below = std::floor(v), rest = v - below;
        return rest > 0.5 || (rest == 0.5 && std::fmod(below, 2) != 0) ? below + 1 : below;
    };
    const auto bits = [&](double v, long long modulus) {  // two's complement, as an integer
        return ((static_cast<long long>(even(v)) % modulus) + modulus) % modulus;
    };
    for (const double base :
         {0,     1,     2,     127,   128, 255, 256,  734,  735,    32767,  32768,
          65534, 65535, 65536, 70000, -1,  -2,  -128, -129, -32768, -32769, -65536}) {
        for (const double step : {-1.0, -0.75, -0.5, -0.25, 0.0, 0.25, 0.5, 0.75, 1.0}) {
            const float f = static_cast<float>(base + step);
            const double v = f;
            SCOPED_TRACE(v);
            EXPECT_EQ(RoundHalfEven(v), even(v));
            EXPECT_EQ(ToInteger(v), even(v));
            EXPECT_EQ(Fix(v), v < 0 ? std::ceil(v) : std::floor(v));
            EXPECT_EQ(Int(v), v - std::fmod(v, 1) - (std::fmod(v, 1) < 0 ? 1 : 0));
            EXPECT_EQ(RoundUp(f), v > 0 ? std::ceil(v) : std::floor(v));
            EXPECT_EQ(SignedWord(f), bits(v, 65536) >= 32768 ? v - 65536 : v);
            EXPECT_EQ(SignedByte(f), bits(v, 256) >= 128 ? v - 256 : v);
            EXPECT_EQ(UnsignedWord(f), v < 0 ? v + 65536 : v);
            const double clamped = v > 65535 ? 65535 : v;
            float high = f, low = f;
            EXPECT_EQ(HighByte(high), bits(clamped, 65536) / 256);
            EXPECT_EQ(LowByte(low), bits(clamped, 256));
            EXPECT_EQ(high, clamped);  // the caller's variable holds the clamped value
            EXPECT_EQ(low, clamped);
        }
    }
}

TEST(Rounding, IntegersSaturateAtTheirRange) {
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
    // A later minus ends the number.
    for (const auto& [text, value] :
         {std::pair{"12,5 ppm", 12.5}, {"1.000,5", 1.0}, {"-3 \xC2\xB0" "C", -3.0}, {"abc", 0.0},
          {"", 0.0}, {"-", 0.0}, {".", 0.0}, {" 4 0 0 ", 400.0}, {".5", 0.5}, {"5-3", 5.0}})
        EXPECT_DOUBLE_EQ(ParseNumber(text), value) << text;
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
    EXPECT_EQ(NumberText(1.23456789012345), "1.23456789012345");  // wider than a float
    EXPECT_DOUBLE_EQ(ParseNumber("0." + std::string(400, '0') + "1"), 0);
    EXPECT_EQ(ParseNumber(std::string(400, '9')), std::numeric_limits<double>::infinity());
    std::setlocale(LC_NUMERIC, before.c_str());
    if (!german) GTEST_SKIP() << "no de_DE.UTF-8 locale here; checked in the C locale only";
}

}  // namespace
}  // namespace kelvo
