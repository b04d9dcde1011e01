#include "virtualsensor/virtual_sensor.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace kelvo::virtualsensor {
namespace {

constexpr int kIdByteAddress = 65;
constexpr uint8_t kOtherMasterByte = 225;  // a central unit asking its sensor 1

struct Span {
    int first;
    int last;
};

// Platform 5 keeps its settings and calibration words in RAM and a copy of them at the
// same addresses in EEPROM, which it loads at power-up. Identification, serial number and
// measured values are not settings and never travel between the two.
constexpr Span kPlatform5PersistentRam[] = {{31, 39},   {57, 57},   {59, 64},  {128, 145},
                                            {162, 196}, {202, 210}, {212, 233}};

struct Target {
    bool valid = false;
    bool eeprom = false;
    int address = 0;
    int count = 0;
};

uint8_t sumOf(Bytes::const_iterator first, Bytes::const_iterator last) {
    return static_cast<uint8_t>(std::accumulate(first, last, 0u) & 0xFF);
}

}  // namespace

VirtualSensor::VirtualSensor(const Clock& clock, SensorMemory memory, LineTiming timing)
    : clock_(clock), memory_(std::move(memory)), timing_(timing) {
    // A memory too short for its platform would let a frame read past it.
    memory_.eeprom.resize(largeEeprom() ? 1024 : 512, 0);
}

int64_t VirtualSensor::nowNs() const {
    return clock_.tickNs();
}

int VirtualSensor::protocol() const {
    switch (memory_.platform) {
        case kPlatform5:
            return ((memory_.ram[kIdByteAddress] >> 3) & 3) != 0 ? 1 : 2;
        case kPlatform6:
            return 1;
        default:
            return 2;
    }
}

// ---- The port, as the master sees it ----

bool VirtualSensor::open() {
    if (vanished_) {
        error_ = "No such file or directory";
        return false;
    }
    if (refuseOpen_) {
        error_ = "Permission denied";
        return false;
    }
    if (open_) return true;
    open_ = true;
    ++opens_;
    error_.clear();
    inbound_.clear();
    otherMasterNextNs_ = nowNs() + kOtherMasterPeriodNs;
    return true;
}

void VirtualSensor::close() {
    if (open_) ++closes_;
    open_ = false;
    inbound_.clear();
}

int VirtualSensor::bytesWaiting() {
    if (!open_) return 0;
    const int64_t now = nowNs();
    catchUpOtherMaster(now);
    return static_cast<int>(std::count_if(inbound_.begin(), inbound_.end(),
                                          [now](const Arrival& a) { return a.atNs <= now; }));
}

Bytes VirtualSensor::readAll() {
    Bytes bytes;
    if (!open_) return bytes;
    const int64_t now = nowNs();
    catchUpOtherMaster(now);
    while (!inbound_.empty() && inbound_.front().atNs <= now) {
        bytes.push_back(inbound_.front().byte);
        inbound_.pop_front();
    }
    return bytes;
}

std::optional<int64_t> VirtualSensor::nextArrivalMs() const {
    const auto next = nextArrivalNs();
    if (!next) return std::nullopt;
    return (*next + kNsPerMs - 1) / kNsPerMs;  // readable from this tick on
}

std::optional<int64_t> VirtualSensor::nextArrivalNs() const {
    if (!open_) return std::nullopt;
    // Only bytes still on their way count: one already readable must not make a waiting
    // master wake again and again.
    const int64_t now = nowNs();
    std::optional<int64_t> next;
    const auto pending = std::upper_bound(inbound_.begin(), inbound_.end(), now,
                                          [](int64_t t, const Arrival& a) { return t < a.atNs; });
    if (pending != inbound_.end()) next = pending->atNs;
    if (otherMaster_) {
        int64_t chatter = otherMasterNextNs_;
        if (chatter <= now)
            chatter += ((now - chatter) / kOtherMasterPeriodNs + 1) * kOtherMasterPeriodNs;
        if (!next || chatter < *next) next = chatter;
    }
    return next;
}

bool VirtualSensor::write(const Bytes& bytes) {
    if (!open_) {
        if (error_.empty()) error_ = "Port not open";
        return false;
    }
    for (uint8_t byte : bytes) {
        if (vanishCountdown_ == 0) {
            takeVanishedPort();
            return false;
        }
        if (vanishCountdown_ > 0) --vanishCountdown_;
        int64_t at = nowNs();
        if (timing_ == LineTiming::RealTime) {
            at = std::max(at, masterLineFreeNs_) + kByteTimeNs;
            masterLineFreeNs_ = at;
        }
        receive(byte, at);
    }
    return true;
}

void VirtualSensor::setDtr(bool on) {
    if (dtr_ && !on) ++dtrPulses_;
    dtr_ = on;
}

void VirtualSensor::takeVanishedPort() {
    vanished_ = true;
    open_ = false;
    inbound_.clear();
    error_ = "The device was disconnected";
}

void VirtualSensor::reconnect() {
    vanished_ = false;
    vanishCountdown_ = -1;
}

// ---- Faults that put bytes on the line ----

void VirtualSensor::answerLateBy(int64_t ms, int answers) {
    lateByNs_ = ms * kNsPerMs;
    lateAnswers_ = answers;
}

void VirtualSensor::sendGarbage(const Bytes& bytes) {
    int64_t start = nowNs();
    for (uint8_t byte : bytes) {
        int64_t at = std::max(start, sensorLineFreeNs_);
        if (timing_ == LineTiming::RealTime) at += kByteTimeNs;
        sensorLineFreeNs_ = at;
        deliver(byte, at);
    }
}

void VirtualSensor::otherMasterTalking(bool on) {
    if (on && !otherMaster_) otherMasterNextNs_ = nowNs() + kOtherMasterPeriodNs;
    otherMaster_ = on;
}

void VirtualSensor::catchUpOtherMaster(int64_t untilNs) {
    if (!otherMaster_) return;
    for (; otherMasterNextNs_ <= untilNs; otherMasterNextNs_ += kOtherMasterPeriodNs)
        deliver(kOtherMasterByte, otherMasterNextNs_);
}

void VirtualSensor::deliver(uint8_t byte, int64_t atNs) {
    auto at = std::upper_bound(inbound_.begin(), inbound_.end(), atNs,
                               [](int64_t t, const Arrival& a) { return t < a.atNs; });
    inbound_.insert(at, Arrival{atNs, byte});
}

void VirtualSensor::answer(const Bytes& bytes, int64_t requestEndNs) {
    int64_t start = requestEndNs + kTurnaroundNs;
    if (lateAnswers_ > 0) {
        --lateAnswers_;
        start += lateByNs_;
    }
    for (uint8_t byte : bytes) {
        int64_t at = std::max(start, sensorLineFreeNs_);
        if (timing_ == LineTiming::RealTime) at += kByteTimeNs;
        sensorLineFreeNs_ = at;
        deliver(byte, at);
    }
}

void VirtualSensor::clearRecord() {
    received_.clear();
    requests_.clear();
    opens_ = closes_ = dtrPulses_ = handshakesAnswered_ = 0;
    savesToRam_ = savesToEeprom_ = idSaves_ = twaResets_ = 0;
}

// ---- The firmware ----

bool VirtualSensor::isOurRequestToSend(uint8_t byte) const {
    if (byte < kRequestToSendBase) return false;
    const int address = byte - kRequestToSendBase;
    return address == networkId_ || (answerSingleAddress_ && address == kSingleSensorAddress);
}

bool VirtualSensor::midFrame() const {
    return !frame_.empty() && nowNs() - lastByteNs_ <= kFrameTimeoutNs;
}

VirtualSensor::Command VirtualSensor::commandOf(uint8_t code) const {
    if (protocol() == 1) {
        switch (code) {
            case 32:
                return Command::SaveToRam;
            case 161:
                return Command::SaveToEeprom;
            case 16:
                return Command::Lock;
            case 144:
                return Command::Unlock;
            default:
                return Command::None;
        }
    }
    switch (code) {
        case 145:
            return Command::SaveToRam;
        case 153:
            return Command::SaveToEeprom;
        case 169:
            return Command::Lock;
        case 177:
            return Command::Unlock;
        case 161:
            return Command::SaveId;
        case 185:
            return Command::TwaReset;
        default:
            return Command::None;
    }
}

// Bytes in the frame that starts with `first`, checksum included; 0 = no such frame.
size_t VirtualSensor::frameLength(uint8_t first) const {
    if (commandOf(first) != Command::None) return 3;
    if (first & 0x30) return 0;
    const int count = first & 7;
    const bool eeprom = first & 8;
    const bool upperRam = first & 64;
    if (count == 0 || (eeprom && upperRam)) return 0;
    const size_t header = eeprom && largeEeprom() ? 3 : 2;
    if (first & 0x80) return count > 6 ? 0 : header + 1;
    return count > 4 ? 0 : header + count + 1;
}

void VirtualSensor::receive(uint8_t byte, int64_t atNs) {
    if (recording_) received_.push_back(byte);
    if (awaitingFrame_ && atNs - lastByteNs_ > kFrameTimeoutNs) {
        awaitingFrame_ = false;
        frame_.clear();
    }
    lastByteNs_ = atNs;
    if (frame_.empty()) {
        if (isOurRequestToSend(byte)) {
            awaitingFrame_ = false;
            if (silentHandshakes_ > 0) {
                --silentHandshakes_;
                return;
            }
            ++handshakesAnswered_;
            answer({kClearToSend}, atNs);
            awaitingFrame_ = true;
            lastByteNs_ = sensorLineFreeNs_;
            return;
        }
        // Not for us: another sensor's traffic, or noise.
        if (!awaitingFrame_) return;
        frameSize_ = frameLength(byte);
        if (frameSize_ == 0) {
            awaitingFrame_ = false;
            return;
        }
    }
    frame_.push_back(byte);
    if (frame_.size() < frameSize_) return;
    if (recording_) requests_.push_back(frame_);
    handleFrame(atNs);
    frame_.clear();
    awaitingFrame_ = false;
}

void VirtualSensor::handleFrame(int64_t atNs) {
    if (sumOf(frame_.begin(), frame_.end() - 1) != frame_.back()) return refuse(atNs);
    if (refusals_ > 0 && answersBeforeRefusals_ > 0) {
        --answersBeforeRefusals_;
    } else if (refusals_ > 0) {
        --refusals_;
        return refuse(atNs);
    }
    if (answersLeft_ == 0) return refuse(atNs);
    if (answersLeft_ > 0) --answersLeft_;
    if (silentCountdown_ > 0 && --silentCountdown_ == 0)
        silentHandshakes_ = std::numeric_limits<int>::max();
    if (Command command = commandOf(frame_[0]); command != Command::None)
        return handleCommand(command, atNs);
    if (frame_[0] & 0x80) return handleRead(atNs);
    handleWrite(atNs);
}

namespace {

Target targetOf(const Bytes& frame, bool largeEeprom, size_t eepromSize) {
    Target t;
    t.count = frame[0] & 7;
    t.eeprom = frame[0] & 8;
    if (t.eeprom) {
        t.address = largeEeprom ? frame[1] * 256 + frame[2] : frame[1] * 2;
        t.valid = t.address + t.count <= static_cast<int>(eepromSize);
    } else {
        t.address = frame[1] + ((frame[0] & 64) ? 128 : 0);
        t.valid = frame[1] < 128 && t.address + t.count <= 256;
    }
    return t;
}

}  // namespace

void VirtualSensor::handleRead(int64_t atNs) {
    const Target t = targetOf(frame_, largeEeprom(), memory_.eeprom.size());
    if (!t.valid) return refuse(atNs);
    UpdateLiveValues(memory_, atNs / kNsPerMs);
    Bytes reply{ackStatus()};
    for (int i = 0; i < t.count; ++i)
        reply.push_back(t.eeprom ? memory_.eeprom[t.address + i] : memory_.ram[t.address + i]);
    uint8_t checksum = sumOf(reply.begin(), reply.end());
    if (corruptNextReply_) {
        corruptNextReply_ = false;
        checksum ^= 0x5A;
    }
    reply.push_back(checksum);
    answer(reply, atNs);
}

void VirtualSensor::handleWrite(int64_t atNs) {
    const Target t = targetOf(frame_, largeEeprom(), memory_.eeprom.size());
    if (refuseWrites_ || !t.valid) return refuse(atNs);
    if (t.eeprom) {
        if (locked_) return refuse(atNs);
        // The large EEPROM writes one 16-byte page at a time.
        if (largeEeprom() && (t.address & ~15) != ((t.address + t.count - 1) & ~15))
            return refuse(atNs);
    }
    const size_t dataStart = t.eeprom && largeEeprom() ? 3 : 2;
    for (int i = 0; i < t.count; ++i) {
        const uint8_t value = frame_[dataStart + i];
        if (t.eeprom)
            memory_.eeprom[t.address + i] = value;
        else
            memory_.ram[t.address + i] = value;
    }
    answer({ackStatus()}, atNs);
}

void VirtualSensor::handleCommand(Command command, int64_t atNs) {
    // Protocol 2 guards its commands with a key in the data byte; protocol 1 sends 0.
    uint8_t key = 0;
    if (protocol() == 2) {
        switch (command) {
            case Command::SaveToEeprom:
                key = 173;
                break;
            case Command::Lock:
                key = 171;
                break;
            case Command::Unlock:
                key = 169;
                break;
            case Command::TwaReset:
                key = 1;
                break;
            default:
                break;
        }
    }
    if (frame_[1] != key) return refuse(atNs);
    switch (command) {
        case Command::SaveToRam:
            persist(false);
            takeNetworkIdFromSettings();
            ++savesToRam_;
            break;
        case Command::SaveToEeprom:
            persist(true);
            takeNetworkIdFromSettings();
            ++savesToEeprom_;
            break;
        case Command::Lock:
            locked_ = true;
            break;
        case Command::Unlock:
            locked_ = false;
            break;
        case Command::SaveId:
            ++idSaves_;
            break;
        case Command::TwaReset:
            ++twaResets_;
            break;
        case Command::None:
            return refuse(atNs);
    }
    answer({ackStatus()}, atNs);
}

// Platforms 6, 61 and 7 work from their EEPROM settings directly, so for them both saves
// are acknowledged without moving bytes; platform 5 copies its persistent RAM.
void VirtualSensor::persist(bool toEeprom) {
    if (memory_.platform != kPlatform5) return;
    for (const Span& span : kPlatform5PersistentRam) {
        for (int a = span.first; a <= span.last; ++a) {
            if (toEeprom)
                memory_.eeprom[a] = memory_.ram[a];
            else
                memory_.ram[a] = memory_.eeprom[a];
        }
    }
}

void VirtualSensor::takeNetworkIdFromSettings() {
    if (idByteAddress_ < 0) return;
    const size_t size = idByteEeprom_ ? memory_.eeprom.size() : memory_.ram.size();
    if (static_cast<size_t>(idByteAddress_) >= size) return;
    const int id = idByteEeprom_ ? memory_.eeprom[idByteAddress_] : memory_.ram[idByteAddress_];
    // 224 + ID must still be a request-to-send byte.
    if (id <= 255 - kRequestToSendBase) networkId_ = id;
}

}  // namespace kelvo::virtualsensor
