#pragma once
// How the settings of every sensor window's general panel read as the texts it shows: the
// network ID, the display sequence, and the shift button of platform 5. Qt-free: the panel
// binds its controls through these, tests use them without widgets.

#include <functional>
#include <string>

#include "link/memory_request.h"
#include "model/platform_profile.h"
#include "settings/field_binding.h"

namespace kelvo {

struct Context;

// The field over the bytes of a span, each masked alike.
FieldPlace placeOf(const MemorySpan& span, uint8_t mask = 0xFF);

// The sensor's network ID as a whole number 0..29; a typed number is held in that range,
// and a sensor's ID above 29 is no value the field allows.
FieldCodec networkIdCodec();

// The caption of pick-list item n ("CH5", or the name the window gave it); empty for a
// number the list has no item for.
using CaptionOf = std::function<std::string(int n)>;

// A display position in one nibble (shift 0 or 4) of its byte. A caption that names none of
// channels 0 .. channels - 1 stores channel 0.
FieldCodec displayNibbleCodec(CaptionOf caption, int shift, int channels);
// A display position in a byte of its own. A caption that names none of channels
// 0 .. channels - 1 leaves the byte as it is.
FieldCodec displayByteCodec(CaptionOf caption, int channels);

// Display position p (0..3) of the sequence the sensor keeps, and how it reads as the
// caption of the channel it names. The sensor must keep a display sequence.
FieldPlace displayPositionPlace(const DisplaySettings& display, int position);
FieldCodec displayPositionCodec(const DisplaySettings& display, int position, CaptionOf caption);

// Where the shift button's channel (with the top bits of the step byte) and its step live.
FieldPlace shiftChannelPlace(const DisplaySettings& display);
FieldPlace shiftStepPlace(const DisplaySettings& display);
// The shift button's channel, laid out as the field over the channel byte (channel and unit
// code) and the top three bits of the step byte: picking channel c (0 .. channels - 1)
// stores c in both, beside the channel's default unit code from the production definition.
FieldCodec shiftChannelCodec(const Context& ctx, CaptionOf caption, int channels);
// The shift amount in the units of the shift channel, channel() at the moment it is shown
// or stored.
FieldCodec shiftAmountCodec(Context& ctx, std::function<int()> channel);

}  // namespace kelvo
