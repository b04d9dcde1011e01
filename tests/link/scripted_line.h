#pragma once
// A small sensor on a scripted line: it answers the handshake, reads, writes and
// commands from two memories, and misbehaves on request. It records everything sent.

#include <array>
#include <cstdint>
#include <deque>
#include <numeric>
#include <vector>

#include "common/platform.h"

namespace kelvo::test {

class ScriptedLine : public SerialPort {
public:
    // Replies land this long after the byte that asked for them.
    int64_t replyDelayMs = 1;
    bool largeEeprom = false;
    uint8_t ackStatus = 6;
    bool answersHandshake = true;  // false: a dead line
    int ignoreHandshakes = 0;      // the next N request-to-send bytes get no answer
    int wrongClearToSends = 0;     // the next N request-to-send bytes are answered with 21
    bool answersFrames = true;     // false: the handshake is answered, frames never are
    int corruptChecksums = 0;      // the next N read replies carry a wrong checksum
    int refuseFrames = 0;          // the next N frames are answered with 21
    bool refuseWrites = false;     // every write frame is answered with 21
    bool openable = true;
    int writesAllowed = -1;  // writes after this many fail, as on a pulled adapter; -1: all work
    int failedWrites = 0;
    bool eepromLocked = true;

    std::array<uint8_t, 1024> eeprom{};
    std::array<uint8_t, 256> ram{};

    // What arrived: every write call, the bytes in order, the complete frames.
    std::vector<Bytes> writes;
    Bytes sent;
    std::vector<Bytes> frames;
    std::vector<bool> dtr;
    int opens = 0, closes = 0, handshakes = 0;
    std::vector<int> openedAfter;  // the handshakes before each open: when a reopen came

    void attach(const Clock& clock) { clock_ = &clock; }

    void setPortName(const std::string& name) override { name_ = name; }
    std::string portName() const override { return name_; }
    bool open() override {
        ++opens;
        openedAfter.push_back(handshakes);
        open_ = openable;
        return open_;
    }
    void close() override {
        if (open_) ++closes;
        open_ = false;
    }
    bool isOpen() const override { return open_; }
    int bytesWaiting() override { return static_cast<int>(landed()); }
    Bytes readAll() override {
        Bytes bytes;
        for (size_t k = landed(); k > 0; --k) {
            bytes.push_back(pending_.front().byte);
            pending_.pop_front();
        }
        return bytes;
    }
    bool write(const Bytes& bytes) override {
        if (!open_ || writesAllowed == 0) {
            ++failedWrites;
            return false;
        }
        if (writesAllowed > 0) --writesAllowed;
        writes.push_back(bytes);
        for (uint8_t byte : bytes) receive(byte);
        return true;
    }
    void setDtr(bool on) override { dtr.push_back(on); }
    std::string errorString() const override { return open_ ? "" : "No such device"; }
    std::optional<int64_t> nextArrivalMs() const override {
        if (pending_.empty()) return std::nullopt;
        return pending_.front().at;
    }

    // Sends bytes as if another master talked on the line.
    void chatter(const Bytes& bytes) { reply(bytes); }

private:
    struct Landing {
        int64_t at;
        uint8_t byte;
    };

    size_t landed() const {
        size_t n = 0;
        while (n < pending_.size() && pending_[n].at <= clock_->tickMs()) ++n;
        return n;
    }
    void reply(const Bytes& bytes) {
        for (uint8_t byte : bytes) pending_.push_back({clock_->tickMs() + replyDelayMs, byte});
    }
    void replyWithSum(Bytes bytes, uint8_t offset = 0) {
        bytes.push_back(
            static_cast<uint8_t>(std::accumulate(bytes.begin(), bytes.end(), 0) + offset));
        reply(bytes);
    }

    void receive(uint8_t byte) {
        if (byte >= 224 && frame_.empty()) {
            awaitingFrame_ = false;
            ++handshakes;
            if (!answersHandshake) return;
            if (ignoreHandshakes > 0) {
                --ignoreHandshakes;
                return;
            }
            if (wrongClearToSends > 0) {
                --wrongClearToSends;
                reply({21});
                return;
            }
            awaitingFrame_ = true;
            reply({223});
            return;
        }
        if (!awaitingFrame_) return;
        frame_.push_back(byte);
        if (static_cast<int>(frame_.size()) < frameLength()) return;
        frames.push_back(frame_);
        Bytes frame;
        frame.swap(frame_);
        awaitingFrame_ = false;
        answer(frame);
    }

    bool isRead(uint8_t c) const {
        const int low = c & 0x7F;
        return (c & 0x80) &&
               ((low >= 1 && low <= 6) || (low >= 9 && low <= 14) || (low >= 65 && low <= 70));
    }
    bool isWrite(uint8_t c) const {
        return (c >= 1 && c <= 4) || (c >= 9 && c <= 12) || (c >= 65 && c <= 68);
    }
    int addressBytes(uint8_t c) const { return (c & 0x7F & 8) && largeEeprom ? 2 : 1; }
    int frameLength() const {
        const uint8_t c = frame_.front();
        if (isRead(c)) return 2 + addressBytes(c);
        if (isWrite(c)) return 2 + addressBytes(c) + (c & 7);
        return 3;
    }

    // Byte address and memory of a read or write frame.
    uint8_t* cell(uint8_t c, const Bytes& f, int k) {
        const int area = c & 0x7F & ~7;
        if (area == 8) {
            const int a = largeEeprom ? f[1] * 256 + f[2] : f[1] * 2;
            return &eeprom[(a + k) % eeprom.size()];
        }
        return &ram[(f[1] + (area == 64 ? 128 : 0) + k) % ram.size()];
    }

    void answer(const Bytes& f) {
        const uint8_t c = f[0];
        if (!answersFrames) return;
        if (refuseFrames > 0) {
            --refuseFrames;
            reply({21});
            return;
        }
        if (isRead(c)) {
            Bytes out{ackStatus};
            for (int k = 0; k < (c & 7); ++k) out.push_back(*cell(c, f, k));
            replyWithSum(out, corruptChecksums > 0 ? 1 : 0);
            if (corruptChecksums > 0) --corruptChecksums;
        } else if (isWrite(c)) {
            if (refuseWrites || ((c & 8) && eepromLocked)) {
                reply({21});
                return;
            }
            const int n = c & 7;
            for (int k = 0; k < n; ++k) *cell(c, f, k) = f[f.size() - 1 - n + k];
            reply({ackStatus});
        } else {
            if (f[0] == 144 || f[0] == 177) eepromLocked = false;
            if (f[0] == 16 || f[0] == 169) eepromLocked = true;
            reply({ackStatus});
        }
    }

    const Clock* clock_ = nullptr;
    std::string name_ = "1";
    bool open_ = false;
    bool awaitingFrame_ = false;
    Bytes frame_;
    std::deque<Landing> pending_;
};

}  // namespace kelvo::test

#include "support/test_context.h"

namespace kelvo::test {

// A Context whose port is a ScriptedLine on the virtual clock.
struct WiredContext {
    WiredContext() { line.attach(t.clock); }
    // Identification without a read: platform 5 = 96 (protocol 2) or 104 (protocol 1),
    // 6 = 88, 61 = 80, 7 = 32.
    void identify(uint8_t idByte) {
        t.ctx.RamImage[65] = idByte;
        t.ctx.RamRead[65] = true;
    }
    int64_t now() const { return t.clock.tickMs(); }
    // Frames sent, without the request-to-send bytes.
    const std::vector<Bytes>& frames() const { return line.frames; }

    ScriptedLine line;
    TestContext t{&line};
    Context& ctx = t.ctx;
};

}  // namespace kelvo::test
