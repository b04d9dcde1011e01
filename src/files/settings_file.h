#pragma once
// The settings-file container (".Set", last.set, ".sim"): a 17-byte header and typed blocks.

#include <cstdint>
#include <string>

namespace kelvo {

struct Context;

// BlockType 0 = the first block of type 1 or 10; on return it holds the type found.
bool ReadSetBlock(Context& ctx, const std::string& Path, int& BlockType, bool ReportErrors,
                  bool Load);
// ListNo 0: use the mask stored with the file (platforms 6 and 61). A platform-5 file with a
// mask block (a backup) puts back what its mask selects, and marks in RamToRestore what lies
// beyond the list for the next send.
bool LoadSettings(Context& ctx, const std::string& Path, int32_t ListNo);
// BlockType 0 = the platform's own data block; the mask block (15) comes from AddressMask when
// MaskFromAddressMask is set, else from the last type-15 block read.
// The name a save writes: ".Set" is added unless the name ends in ".set" in any case.
// Asks the sensor what a load compares a file with (identification, version, channel set),
// so the bytes it takes are in the image before a file is made from it. False when a read
// failed.
bool LearnLoadIdentity(Context& ctx);

std::string SettingsFileName(const std::string& Path);

bool SaveSettings(Context& ctx, int BlockType, const std::string& Path, uint8_t WriterFlag,
                  bool MaskFromAddressMask);

}  // namespace kelvo
