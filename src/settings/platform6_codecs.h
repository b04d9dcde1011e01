#pragma once
// How the bytes of platform-6 settings read as the numbers people see and type, and back.
// Pure functions: the window's fields apply them, tools and tests use them without widgets.

#include <cstdint>
#include <string>

namespace kelvo::p6 {

// Base line of an output: byte b is b * 400 / 256 - 200 percent, shown rounded down.
std::string baseLineText(uint8_t b);
double baseLinePercent(uint8_t b);
// Rounded up to the next step; 198.4375 % is the most a byte holds, and anything above it
// (up to the field's 200) is stored as that rather than wrapping round to -200.
uint8_t baseLineByte(double percent);

// Integration time: code n means 2^(n+1) seconds. Anything below 2 s, a time of 0 or
// below or no number at all, is the smallest time; anything above 256 s the largest.
std::string intTimeText(uint8_t code);
uint8_t intTimeCode(double seconds);

// Digital trigger time: bits 0-6 whole units (the sensor keeps only those), bit 7 minutes.
uint8_t triggerTimeByte(double time, bool minutes);
std::string triggerTimeText(uint8_t bits);

// A level (trigger or digital output): bits 0-6 the level as a fraction of 127 of 100 %,
// bit 7 negative. Levels beyond 100 % count as 100 %.
std::string levelText(uint8_t bits);
uint8_t levelByte(double percent);

}  // namespace kelvo::p6
