// Sending one settings file to four sensors of a network at once, against four single
// sends of it, on a 9600-baud line (virtual time from the virtual sensors' line timing),
// each with its backup and history line. Prints both and their ratio; the send to many
// should take at most 1.1 times the single sends, its read back included.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "common/context.h"
#include "files/platform_settings_file.h"
#include "files/send_file.h"
#include "link/port_hold.h"
#include "model/platform_profile.h"
#include "service/network_send.h"
#include "service/service_journal.h"
#include "virtualsensor/virtual_network.h"

#include "bench_support.h"

namespace {

using namespace kelvo;
using bench::BenchClock;
using bench::BenchPump;
namespace fs = std::filesystem;

const std::vector<int> kIds{1, 2, 3, 4};

// Line time (ms) of a run on a fresh network of four platform-6 sensors, the file made from
// the first with a few settings changed; -1 when a send failed.
int64_t lineTime(const fs::path& dir, const std::function<bool(Context&, const std::string&)>& run) {
    std::vector<virtualsensor::NetworkMember> members;
    for (int id : kIds) members.push_back({id, kPlatform6, 0});
    BenchClock clock;
    virtualsensor::VirtualNetwork net(clock, members, virtualsensor::LineTiming::RealTime);
    net.setRecording(false);
    BenchPump pump(clock, net);
    bench::BenchPrompter prompts;
    Context ctx(net, clock, pump, prompts);
    ctx.AppDir = dir.string();
    const std::string file = (dir / "site.Set").string();
    AddressNetworkSensor(ctx, kIds.front());
    if (!ReadSpans(ctx, WholeImageReads(kPlatform6))) return -1;
    for (int a : {107, 108, 109, 110, 139, 142}) ctx.EeImage[a] = static_cast<float>(a);
    if (!SavePlatformSettings(ctx, file)) return -1;
    ServiceJournal journal;
    ctx.serviceRecorder = &journal;
    const int64_t start = clock.tick;
    const bool ok = run(ctx, file);
    if (prompts.messages) return -1;
    return ok ? clock.tick - start : -1;
}

}  // namespace

int main() {
    const fs::path dir = fs::temp_directory_path() / ("kelvo-network-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const int64_t single = lineTime(dir, [](Context& ctx, const std::string& file) {
        bool ok = true;
        for (int id : kIds) {
            AddressNetworkSensor(ctx, id);
            // As kelvo-cli send-file holds the port for its one action.
            const PortHold hold(ctx);
            RecordedAction action(ctx, "Send file to sensor");
            ok = action.finish(SendSettingsFile(ctx, file, {})) && ok;
        }
        return ok;
    });
    const int64_t many = lineTime(dir, [](Context& ctx, const std::string& file) {
        const auto results = SendFileToNetwork(ctx, file, kIds);
        return std::all_of(results.begin(), results.end(), [](const NetworkSendResult& r) {
            return r.outcome == NetworkSendResult::Outcome::Verified;
        });
    });
    fs::remove_all(dir);
    std::printf("four single sends         line time %7lld ms\n", static_cast<long long>(single));
    std::printf("one send to four sensors  line time %7lld ms (read back included)\n",
                static_cast<long long>(many));
    if (single <= 0 || many <= 0) {
        std::printf("FAILED: a send did not go through\n");
        return 1;
    }
    std::printf("ratio %.3f (goal at most 1.1)\n", static_cast<double>(many) / single);
    return 0;
}
