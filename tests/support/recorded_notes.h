#pragma once
// A service record that keeps what it is told instead of writing a history: the notes by
// kind, the EEPROM bytes written, the selections writes announce, and the message the
// action ended with. Tests read it back to see what a technician's record would say.

#include <map>
#include <span>
#include <string>
#include <vector>

#include "common/context.h"
#include "common/service_recorder.h"

namespace kelvo::test {

struct RecordedNotes : ServiceRecorder {
    std::vector<Note> kept;
    std::map<Note, std::string> said;  // the last text of each kind
    std::string endedWith;             // the action's message when it ended
    bool succeeded = false;            // and whether it ended well
    bool refuse = false;               // what a write would replace cannot be kept
    std::map<int, std::vector<float>> eepromWrites;  // by address, in the order written
    std::vector<std::vector<int>> selections;        // the addresses each write may send

    void actionStarted(Context&, const std::string&, Kind) override {}
    void referenceTyped(const std::string&) override {}
    void actionEnded(Context& ctx, bool ok) override {
        endedWith = ctx.ErrorText;
        succeeded = ok;
    }
    void noted(Note what, const std::string& text) override {
        kept.push_back(what);
        said[what] = text;
    }
    bool beforeWrite(Context&, bool, std::span<const uint8_t> selection) override {
        std::vector<int>& sent = selections.emplace_back();
        for (size_t a = 0; a < selection.size(); ++a)
            if (selection[a] == 255) sent.push_back(static_cast<int>(a));
        return !refuse;
    }
    void bytesPlanned(bool, int) override {}
    void byteWritten(bool eeprom, int at, float, float after) override {
        if (eeprom) eepromWrites[at].push_back(after);
    }
};

}  // namespace kelvo::test
