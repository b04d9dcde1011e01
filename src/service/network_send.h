#pragma once
// One settings file sent to several sensors of a network, one sensor after the other: the
// file must fit each sensor as "Send file to sensor" requires, a backup is kept before
// anything is written, and a read back proves every byte the file sets. A sensor that
// fails does not stop the others, and each one leaves its line in the service history.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvo {

struct Context;

struct NetworkSendResult {
    enum class Outcome { Verified, Refused, Failed, NotSent };
    int id = 0;
    Outcome outcome = Outcome::NotSent;
    // Why it was refused, or what reached the sensor and the way back.
    std::string detail;
};

// "ID 2: sent and verified", "ID 3: refused: why", "ID 4: failed: what reached it and the
// way back", "ID 5: not sent: stopped before it".
std::string NetworkSendLine(const NetworkSendResult& result);

struct NetworkSendHooks {
    std::function<void(int id)> starting;  // before each sensor
    // Asked between sensors, never during one: true ends the run there.
    std::function<bool()> stopRequested;
    std::function<void(const NetworkSendResult&)> done;  // after each sensor
};

// "1,3-4" -> 1, 3, 4: network IDs 0 to 29 and ranges of them, each at most once, in the
// order given; nullopt, with what is wrong in error, for anything else.
std::optional<std::vector<int>> ParseNetworkIds(const std::string& text, std::string& error);

// Forgets the sensor in the image (the whole image, the large EEPROM included) and
// addresses the sensor at the network ID from now on.
void AddressNetworkSensor(Context& ctx, int id);

// Sends the file to the sensor at the ID. The sensor keeps its own network ID whatever the
// file holds: a file saved from another sensor of the line would otherwise move this one
// onto that sensor's ID. Leaves ErrorText empty unless the user cancelled.
NetworkSendResult SendFileToNetworkSensor(Context& ctx, const std::string& path, int id);

// The file to each ID in turn; IDs after a stop request or a cancel are NotSent. The
// link's address is kept and the image left empty, as after a scan.
std::vector<NetworkSendResult> SendFileToNetwork(Context& ctx, const std::string& path,
                                                 const std::vector<int>& ids,
                                                 const NetworkSendHooks& hooks = {});

}  // namespace kelvo
