#include "virtualsensor/virtual_network.h"

#include <algorithm>
#include <map>

namespace kelvo::virtualsensor {

namespace {
struct IdByte {
    bool eeprom;
    int address;  // -1: none
};

// Where each platform keeps its own network ID: the ID a window shows must be the one the
// sensor answers to. Returns the byte the sensor takes its ID from.
IdByte storeNetworkId(SensorMemory& memory, int id) {
    const auto byte = static_cast<uint8_t>(id);
    switch (memory.platform) {
        case kPlatform5:
            memory.ram[208] = byte;
            memory.eeprom[208] = byte;  // its persistent copy
            return {false, 208};
        case kPlatform6:
        case kPlatform61:
            memory.eeprom[32] = byte;
            return {true, 32};
        case kPlatform7:
            memory.eeprom[16] = byte;
            return {true, 16};
        default:
            return {false, -1};
    }
}
// Sensors of one kind straight from the factory image would share a serial number; the
// later ones of a line count theirs on, as a production run does.
void countSerialOn(SensorMemory& memory, int by) {
    auto addTo = [by](uint8_t& high, uint8_t& low) {
        const int serial = (high * 256 + low + by) & 0xFFFF;
        high = static_cast<uint8_t>(serial >> 8);
        low = static_cast<uint8_t>(serial & 0xFF);
    };
    switch (memory.platform) {
        case kPlatform5:
            addTo(memory.ram[66], memory.ram[67]);
            break;
        case kPlatform6:
        case kPlatform61:
            addTo(memory.eeprom[170], memory.eeprom[171]);
            break;
        default:
            break;
    }
}
}  // namespace

const std::vector<NetworkMember>& DemoNetwork() {
    // One of each platform, then two more platform-6 sensors: a building has many of a kind.
    static const std::vector<NetworkMember> members{{1, kPlatform5, 0},  {2, kPlatform6, 0},
                                                    {3, kPlatform61, 0}, {4, kPlatform7, 1},
                                                    {5, kPlatform6, 0},  {6, kPlatform6, 0}};
    return members;
}

VirtualNetwork::VirtualNetwork(const Clock& clock, const std::vector<NetworkMember>& members,
                               LineTiming timing) {
    std::map<int, int> ofPlatform;
    for (const NetworkMember& m : members) {
        auto memory = FactoryImage(m.platform, m.version);
        if (!memory) continue;
        if (const int earlier = ofPlatform[m.platform]++; earlier > 0) countSerialOn(*memory, earlier);
        const IdByte idByte = storeNetworkId(*memory, m.id);
        auto sensor = std::make_unique<VirtualSensor>(clock, std::move(*memory), timing);
        sensor->setNetworkId(m.id);
        if (idByte.address >= 0) sensor->followIdByte(idByte.eeprom, idByte.address);
        sensor->answerSingleAddress(false);
        sensors_.push_back(std::move(sensor));
    }
}

bool VirtualNetwork::open() {
    for (auto& s : sensors_) s->open();
    open_ = true;
    return true;
}

void VirtualNetwork::close() {
    for (auto& s : sensors_) s->close();
    open_ = false;
}

int VirtualNetwork::bytesWaiting() {
    int waiting = 0;
    for (auto& s : sensors_) waiting += s->bytesWaiting();
    return waiting;
}

// One sensor talks at a time, so its answer is the line's whole content.
Bytes VirtualNetwork::readAll() {
    Bytes bytes;
    for (auto& s : sensors_) {
        const Bytes part = s->readAll();
        bytes.insert(bytes.end(), part.begin(), part.end());
    }
    return bytes;
}

bool VirtualNetwork::write(const Bytes& bytes) {
    if (!open_) return false;
    for (uint8_t byte : bytes) {
        const auto holder = std::find_if(sensors_.begin(), sensors_.end(),
                                         [](const auto& s) { return s->midFrame(); });
        if (holder != sensors_.end()) {
            (*holder)->write({byte});
            continue;
        }
        for (auto& s : sensors_) s->write({byte});
    }
    return true;
}

void VirtualNetwork::setDtr(bool on) {
    for (auto& s : sensors_) s->setDtr(on);
}

std::optional<int64_t> VirtualNetwork::nextArrivalMs() const {
    std::optional<int64_t> next;
    for (const auto& s : sensors_)
        if (const auto at = s->nextArrivalMs(); at && (!next || *at < *next)) next = at;
    return next;
}

std::optional<int64_t> VirtualNetwork::nextArrivalNs() const {
    std::optional<int64_t> next;
    for (const auto& s : sensors_)
        if (const auto at = s->nextArrivalNs(); at && (!next || *at < *next)) next = at;
    return next;
}

void VirtualNetwork::setRecording(bool on) {
    for (auto& s : sensors_) s->setRecording(on);
}

VirtualSensor* VirtualNetwork::sensorAt(int id) {
    for (auto& s : sensors_)
        if (s->networkId() == id) return s.get();
    return nullptr;
}

}  // namespace kelvo::virtualsensor
