#pragma once
// The reference value a technician types for a calibration, checked before anything goes to
// the sensor: the windows and kelvo-cli refuse the same texts with the same words.

#include <optional>
#include <string>

namespace kelvo {

struct Context;

enum class ReferenceQuantity { Temperature, CO2, O2 };

// "\"abc\" is not a number. Nothing was sent to the sensor."
std::string NotANumberMessage(const std::string& answer);

// The typed number (StrictNumber), or nothing with NotANumberMessage in ErrorText.
std::optional<double> ReferenceNumber(Context& ctx, const std::string& answer);

// The typed number when the calibration's channel can hold it: its raw word fits the word
// the sensor stores (signed on platform 7), and a concentration is not below zero.
// Otherwise nothing, with a message in ErrorText that gives the range in the channel's
// unit. Reads the channel's descriptor where it has not been read.
std::optional<double> CheckedReference(Context& ctx, ReferenceQuantity quantity,
                                       const std::string& answer);

}  // namespace kelvo
