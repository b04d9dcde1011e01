#pragma once
// Settings fields bound to the sensor image: where a field's bits live, how they read as
// the text a control shows and back, and what the field showed last.
//
// The rule every window gets from here: looking at a sensor never changes it. A field
// remembers the bits it was shown from; when the window is read back and the control still
// holds the text it was shown, those bits go back unchanged, however the codec would have
// rounded or clamped the text. Only a field the user edited is stored through its codec.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvo {

struct Context;

enum class Memory { Ram, Eeprom };

// The bits of one image byte that a field owns; the byte's other bits belong to others.
struct FieldBits {
    int address = 0;
    uint8_t mask = 0xFF;
};

// Where a field lives: its bytes, most significant first, all in one memory.
struct FieldPlace {
    Memory memory = Memory::Ram;
    std::vector<FieldBits> bytes;
};

FieldPlace ramByte(int address, uint8_t mask = 0xFF);
// High byte first; highMask leaves flag bits of the high byte to another field.
FieldPlace ramWord(int address, uint8_t highMask = 0xFF);
FieldPlace eepromByte(int address, uint8_t mask = 0xFF);
FieldPlace eepromWord(int address, uint8_t highMask = 0xFF);

// The field's bits as one number: its bytes high first, each masked to the field's bits.
// An image value that is no whole byte counts as the byte the sensor would take from it.
uint32_t readField(const Context& ctx, const FieldPlace& place);
// Puts the field's bits of value into its bytes and leaves the bytes' other bits alone.
void writeField(Context& ctx, const FieldPlace& place, uint32_t value);

struct FieldCodec {
    // The text for the field's bits (as readField gives them).
    std::function<std::string(uint32_t bits)> show;
    // The bits for a text, laid out as readField gives them; bits outside the field are
    // dropped. Nothing when the text names nothing storable: the image then keeps what it
    // holds.
    std::function<std::optional<uint32_t>(const std::string& text)> store;
    // Whether bits the sensor holds lie in the range the field allows: a field shown from
    // bits outside it is brought into range through store even when nobody edited it.
    // Empty: every value is in range.
    std::function<bool(uint32_t bits)> inRange = {};
};

// A check box's bits: "1" sets them all, anything else clears them.
FieldCodec flagCodec();
// The bits as a whole number, for controls whose state is a number of their own.
FieldCodec bitsCodec();
// A pick list: value k shows caption(k) (k < count), a caption stores its value. A text
// that is no caption stores nothing; of two alike captions the later one is stored.
FieldCodec pickListCodec(std::function<std::string(int)> caption, int count);

class FieldBinding {
public:
    FieldBinding(FieldPlace place, FieldCodec codec);

    // The text for what the image holds now; the bits and the text are remembered.
    std::string show(const Context& ctx);
    // Stores what the control holds: the remembered bits when it still holds the text it
    // was shown, else the codec's bits for the text.
    void store(Context& ctx, const std::string& text) const;
    // A field never shown has nothing to keep: whatever it holds counts as edited.
    bool edited(const std::string& text) const;
    const FieldPlace& place() const { return place_; }

private:
    FieldPlace place_;
    FieldCodec codec_;
    std::optional<std::string> shownText_;
    uint32_t shownBits_ = 0;
};

// How a table reaches the control a field is shown in.
struct FieldControl {
    std::string name;                              // the control's objectName
    std::function<std::string()> text;             // what the control holds now
    std::function<void(const std::string&)> show;  // puts a text into the control
};

// A window's settings fields in one table: shown and stored in table order, so a field
// whose codec reads another field's bytes (a value formatted for its channel) comes after
// that field.
class FieldTable {
public:
    using Id = size_t;

    Id add(FieldControl control, FieldPlace place, FieldCodec codec);
    // Image to controls.
    void show(const Context& ctx);
    // Controls to image.
    void store(Context& ctx) const;
    // One field at once (a pick list that acts as soon as it is chosen).
    void store(Context& ctx, Id field) const;
    bool edited(Id field) const;

private:
    struct Field {
        FieldControl control;
        FieldBinding binding;
    };
    std::vector<Field> fields_;
};

// Controls whose bytes are worked out from all of them together (a panel of application
// settings rather than of single fields): shown together, and stored only when one of them
// was edited, so a panel nobody touched leaves every byte it covers as it was.
class FieldGroup {
public:
    using Texts = std::vector<std::string>;
    // show gives one text per control, in control order; store gets them back.
    FieldGroup(std::vector<FieldControl> controls, std::function<Texts(Context&)> show,
               std::function<void(Context&, const Texts&)> store);

    void show(Context& ctx);
    // evenUnedited: the bytes no longer hold what the group showed (something else wrote
    // them), so the group's values go back even though nobody edited them.
    void store(Context& ctx, bool evenUnedited = false) const;
    bool edited() const;

private:
    std::vector<FieldControl> controls_;
    std::function<Texts(Context&)> show_;
    std::function<void(Context&, const Texts&)> store_;
    std::optional<Texts> shown_;
};

}  // namespace kelvo
