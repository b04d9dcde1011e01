#pragma once
// Reading the sensor image a byte or a word at a time, fetching what is missing first.
// Shared by the model's modules; nothing outside src/model needs it.

#include <cstdint>

namespace kelvo {

struct Context;

namespace image {

// Reads Count bytes from From when any of their read flags is clear.
bool ensure(Context& ctx, bool eeprom, int from, int count);
// Reads Count bytes from From whatever the flags say (live values).
bool fresh(Context& ctx, bool eeprom, int from, int count);
// Reads an address list. All of these reads leave AddressMask as the caller set it.
bool readList(Context& ctx, int32_t listNo, bool eeprom);
// The same read without putting a message into ErrorText when it fails.
bool ensureQuietly(Context& ctx, bool eeprom, int from, int count);

// The stored value, 0 for an address outside the image.
float byteAt(const Context& ctx, bool eeprom, int address);
// The stored value as a whole byte, for bit tests.
int bitsAt(const Context& ctx, bool eeprom, int address);
// High byte first.
float wordAt(const Context& ctx, bool eeprom, int address);
// Stores HighByte and LowByte of the value at Address and Address+1.
void storeWord(Context& ctx, bool eeprom, int address, float value);

// The same for a word that a getter reads lazily: the word is read first when it has not
// been, so that the getter's read cannot put the old word back over the new one.
void modifyWord(Context& ctx, bool eeprom, int address, float value);

// A channel number as a whole number; -1 for one that is not whole or out of range.
int channelIndex(float channel);

}  // namespace image
}  // namespace kelvo
