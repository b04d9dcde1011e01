#include "link/sensor_mem_read.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "common/context.h"
#include "common/id_byte.h"
#include "common/values.h"
#include "link/address_lists.h"
#include "link/com_log.h"
#include "link/line_attempts.h"
#include "link/port_hold.h"
#include "link/link_frames.h"
#include "link/link_progress.h"

namespace kelvo {
namespace {

using namespace link;

constexpr uint8_t kWholeByte = 255;
constexpr int kRamHalf = 128;

struct Block {
    int a;
    int n;
};

// Only a mask value of 255 asks for a byte; EEPROM words are always read whole.
std::vector<bool> wantedMap(const Context& ctx, Memory memory) {
    const int top = topAddress(memory);
    std::vector<bool> wanted(top + 1);
    for (int a = 0; a <= top; ++a) wanted[a] = ctx.AddressMask[a] == kWholeByte;
    if (memory != Memory::Ram)
        for (int a = 1; a <= top; a += 2)
            if (wanted[a]) wanted[a - 1] = true;
    return wanted;
}

int blockLength(const std::vector<bool>& wanted, Memory memory, int a) {
    auto w = [&wanted](int x) { return x < static_cast<int>(wanted.size()) && wanted[x]; };
    switch (memory) {
        case Memory::SmallEeprom:
            if (w(a + 4) || w(a + 5)) return 6;
            if (w(a + 2) || w(a + 3)) return 4;
            return 2;
        case Memory::LargeEeprom:
            if (w(a + 2) || w(a + 3)) return 4;
            if (w(a + 1)) return 2;
            return 1;
        case Memory::Ram: {
            int n = 1;
            for (int k = 1; k <= 5; ++k)
                if (w(a + k)) n = k + 1;
            // One request never spans both halves of the RAM.
            if (a < kRamHalf) n = std::min(n, kRamHalf - a);
            return n;
        }
    }
    return 1;
}

std::vector<Block> readBlocks(const std::vector<bool>& wanted, Memory memory) {
    std::vector<Block> blocks;
    for (int a = 0; a < static_cast<int>(wanted.size());) {
        if (!wanted[a]) {
            ++a;
            continue;
        }
        const int n = blockLength(wanted, memory, a);
        blocks.push_back({a, n});
        a += n;
    }
    return blocks;
}

void selectRange(Context& ctx, float Address, int Count, int top) {
    const long long first = ToInteger(Address);
    for (int a = 0; a <= top; ++a)
        ctx.AddressMask[a] = (a >= first && a < first + Count) ? kWholeByte : 0;
}

void store(Context& ctx, Memory memory, int a, const Bytes& data) {
    for (size_t k = 0; k < data.size(); ++k) {
        const size_t at = a + k;
        if (memory == Memory::Ram) {
            if (at >= ctx.RamImage.size()) break;
            ctx.RamImage[at] = ctx.RamLast[at] = data[k];
            ctx.RamRead[at] = true;
        } else {
            if (at >= ctx.EeImage.size()) break;
            ctx.EeImage[at] = ctx.EeLast[at] = data[k];
            ctx.EeRead[at] = true;
        }
    }
}

Outcome readBlock(Context& ctx, const AttemptPolicy& policy, ComLog* log, Memory memory,
                  Block block) {
    const Bytes request = readRequest(memory, block.a, block.n);
    if (!sendEachByte(ctx, request)) return Outcome::Fail;
    // The two-byte-address request of the large EEPROM never made it into the log.
    if (log && memory != Memory::LargeEeprom) log->request(request);
    Stopwatch since(ctx.clock);
    if (!waitForBytes(ctx, block.n + 2, since, policy.replyWait)) {
        ctx.port.readAll();
        if (log) log->shortReply();
        return Outcome::Retry;
    }
    const ReadReply reply = parseReadReply(ctx.port.readAll(), block.n);
    switch (reply.kind) {
        case ReadReply::Kind::Short:
            if (log) log->shortReply();
            return Outcome::Retry;
        case ReadReply::Kind::Refused:
            if (log) log->refused(reply.status);
            return Outcome::Retry;
        case ReadReply::Kind::Complete:
            break;
    }
    // Stored even when the checksum is wrong; the retry overwrites them.
    store(ctx, memory, block.a, reply.data);
    if (log) log->reply(reply.status, reply.data, reply.checksum, reply.checksumMatches);
    return reply.checksumMatches ? Outcome::Done : Outcome::Retry;
}

bool readSelection(Context& ctx, int32_t ListNo, float Address, uint8_t Count, Memory memory,
                   uint8_t MaxTries, ComLog* log) {
    const int top = topAddress(memory);
    if (Count > 0)
        selectRange(ctx, Address, Count, top);
    else if (ListNo != 0)
        SelectAddressList(ctx, ListNo);
    const std::vector<bool> wanted = wantedMap(ctx, memory);
    const std::vector<Block> blocks = readBlocks(wanted, memory);
    Progress progress(ctx, static_cast<int>(std::count(wanted.begin(), wanted.end(), true)));
    const AttemptPolicy policy = readPolicy(MaxTries);
    for (const Block& block : blocks) {
        if (!ensureOpen(ctx)) return false;
        progress.advance(block.n);
        ctx.events.processEvents();
        const bool done = runAttempts(ctx, policy, log, [&](Stopwatch&) {
            return readBlock(ctx, policy, log, memory, block);
        });
        if (!done) return false;
    }
    return true;
}

}  // namespace

bool SensorMemRead(Context& ctx, int32_t ListNo, float Address, uint8_t Count, bool Eeprom,
                   bool KeepOpen, uint8_t MaxTries, bool& ReportError) {
    std::optional<ComLog> log;
    if (ctx.ComLogEnabled) log.emplace(ListNo, Address, Count, Eeprom);
    const Memory memory = !Eeprom                                  ? Memory::Ram
                          : platformKeepingMask(ctx) == kPlatform7 ? Memory::LargeEeprom
                                                                   : Memory::SmallEeprom;
    ctx.StatusText = "Reading from sensor";
    ctx.events.processEvents();
    const bool ok =
        checkSensorAddress(ctx) && checkRange(ctx, Address, Count, Eeprom, topAddress(memory)) &&
        readSelection(ctx, ListNo, Address, Count, memory, MaxTries, log ? &*log : nullptr);
    if (log) log->appendTo(ctx);
    ctx.StatusText = "";
    if (!KeepOpen) releasePort(ctx);
    if (!ok && ReportError) failWith(ctx, "Can't read from sensor");
    return ok;
}

bool SensorMemRead(Context& ctx, int32_t ListNo, float Address, uint8_t Count, bool Eeprom,
                   bool KeepOpen) {
    bool report = true;
    return SensorMemRead(ctx, ListNo, Address, Count, Eeprom, KeepOpen, 100, report);
}

bool SensorMemRead(Context& ctx, const ReadRequest& r) {
    bool report = r.reportError;
    return SensorMemRead(ctx, r.span.list, static_cast<float>(r.span.address),
                         static_cast<uint8_t>(r.span.count), r.span.eeprom, r.keepOpen, r.maxTries,
                         report);
}

}  // namespace kelvo
