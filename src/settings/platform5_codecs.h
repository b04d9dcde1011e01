#pragma once
// How the bytes of platform-5 settings read as the numbers people see and type, and back.
// Pure functions: the window's fields apply them, tools and tests use them without widgets.

#include <cstdint>
#include <string>

namespace kelvo::p5 {

// Base line of an analogue output: word 32768 is 0 %, 16384 steps are 100 %.
std::string baseLineText(uint16_t word);
uint16_t baseLineWord(double percent);

// Integration time: byte n means 2^(n+1) seconds; anything below 2 counts as 2.
std::string intTimeText(uint8_t n);
uint8_t intTimeByte(double seconds);

// Digital trigger time: bits 0-6 quarter units, bit 7 minutes.
std::string triggerTimeText(uint8_t bits);
uint8_t triggerTimeByte(double time, bool minutes);

// Digital trigger level: bits 0-6 the level as a fraction of 127, bit 7 negative.
std::string triggerLevelText(uint8_t bits);
uint8_t triggerLevelByte(double percent);

// Shift button: bits 0-4 the step s of amount s * 250 - 3750, bits 5-7 the channel.
double shiftAmount(uint8_t bits);
uint8_t shiftByte(int channel, double amount);

// Present output level: 16384 is 100 %; shown at most 100.
std::string outputLevelText(uint16_t word);

}  // namespace kelvo::p5
