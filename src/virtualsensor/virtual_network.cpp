#include "virtualsensor/virtual_network.h"

#include <algorithm>

namespace kelvo::virtualsensor {

namespace {
// Where each platform keeps its own network ID: the ID a window shows must be the one the
// sensor answers to.
void storeNetworkId(SensorMemory& memory, int id) {
    const auto byte = static_cast<uint8_t>(id);
    switch (memory.platform) {
        case kPlatform5:
            memory.ram[208] = byte;
            memory.eeprom[208] = byte;  // its persistent copy
            break;
        case kPlatform6:
        case kPlatform61:
            memory.eeprom[32] = byte;
            break;
        case kPlatform7:
            memory.eeprom[16] = byte;
            break;
        default:
            break;
    }
}
}  // namespace

const std::vector<NetworkMember>& DemoNetwork() {
    static const std::vector<NetworkMember> members{
        {1, kPlatform5, 0}, {2, kPlatform6, 0}, {3, kPlatform61, 0}, {4, kPlatform7, 1}};
    return members;
}

VirtualNetwork::VirtualNetwork(const Clock& clock, const std::vector<NetworkMember>& members,
                               LineTiming timing) {
    for (const NetworkMember& m : members) {
        auto memory = FactoryImage(m.platform, m.version);
        if (!memory) continue;
        storeNetworkId(*memory, m.id);
        auto sensor = std::make_unique<VirtualSensor>(clock, std::move(*memory), timing);
        sensor->setNetworkId(m.id);
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
