#include "link/sensor_mem_write.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "common/context.h"
#include "common/id_byte.h"
#include "common/values.h"
#include "link/address_lists.h"
#include "link/line_attempts.h"
#include "link/port_hold.h"
#include "link/link_frames.h"
#include "link/link_progress.h"
#include "link/sensor_command.h"

namespace kelvo {
namespace {

using namespace link;

constexpr uint8_t kWholeByte = 255;
constexpr int kPageSize = 16;  // the large EEPROM programs one 16-byte page per frame

struct Request {
    int32_t listNo;
    float address;
    uint8_t count;
    bool eeprom, commit, unlock, lock, writeAll;
};

class WriteTransaction {
public:
    WriteTransaction(Context& ctx, const Request& request, Memory memory, uint8_t platform)
        : ctx_(ctx),
          r_(request),
          memory_(memory),
          platform_(platform),
          map_(topAddress(memory) + 1) {}

    bool run() {
        copyMask();
        if (ctx_.serviceRecorder && !ctx_.serviceRecorder->beforeWrite(ctx_, r_.eeprom, candidates()))
            return false;
        if (!checkSensorAddress(ctx_) || !checkRange(ctx_, r_.address, r_.count, r_.eeprom, top()))
            return false;
        if (r_.eeprom && r_.unlock) {
            ctx_.StatusText = "Unlocking EEPROM";
            if (!SensorCommand(ctx_, kUnlockEeprom, true)) return false;
            unlocked_ = true;
        }
        ctx_.StatusText = "Sending to sensor";
        if (!select()) return false;
        return sendBlocks() && finish();
    }

    // Whether a failure leaves the EEPROM open: unlocked here, or unlocked by the caller
    // who asked for the lock that never went out.
    bool leftUnlocked() const {
        return r_.eeprom && !lockSent_ && (unlocked_ || (r_.lock && !r_.unlock));
    }

private:
    // The bytes this write may send before unchanged ones are left out, with the partner of
    // every small-EEPROM word: what the sensor held there is what a backup must keep.
    std::vector<uint8_t> candidates() {
        std::vector<uint8_t> selection = map_;
        if (r_.listNo != 0) {
            const auto kept = ctx_.AddressMask;
            SelectAddressList(ctx_, r_.listNo);
            std::copy_n(ctx_.AddressMask.begin(), selection.size(), selection.begin());
            ctx_.AddressMask = kept;
        }
        if (r_.count > 0) {
            const long long first = ToInteger(r_.address);
            for (int a = 0; a <= top(); ++a)
                selection[a] = (a >= first && a < first + r_.count) ? kWholeByte : 0;
        }
        if (memory_ == Memory::SmallEeprom)
            for (int a = 0; a <= top(); ++a)
                if (selection[a] != 0) selection[a ^ 1] = kWholeByte;
        return selection;
    }

    int top() const { return static_cast<int>(map_.size()) - 1; }
    bool selected(int a) const { return a <= top() && map_[a] != 0; }

    void copyMask() { std::copy_n(ctx_.AddressMask.begin(), map_.size(), map_.begin()); }

    bool select() {
        if (r_.listNo != 0) {
            SelectAddressList(ctx_, r_.listNo);
            copyMask();
        }
        if (r_.count > 0) {
            const long long first = ToInteger(r_.address);
            for (int a = 0; a <= top(); ++a)
                map_[a] = (a >= first && a < first + r_.count) ? kWholeByte : 0;
        }
        if (!r_.eeprom) return true;
        if (platform_ == kPlatform5) {
            // Platform-5 settings go through RAM and the save-to-EEPROM command.
            ctx_.prompt.message("Kan inte skriva till infPlatform 5 EEPROM");
            return false;
        }
        if (!r_.writeAll)
            for (int a = 0; a <= top(); ++a)
                if (map_[a] == kWholeByte && ctx_.EeRead[a] && ctx_.EeImage[a] == ctx_.EeLast[a])
                    map_[a] = 0;
        return memory_ != Memory::SmallEeprom || completeWords();
    }

    // The small EEPROM is written in whole words; the partner byte must be known.
    bool completeWords() {
        for (int a = 0; a <= top(); ++a) {
            if (map_[a] != kWholeByte) continue;
            const int partner = a ^ 1;
            if (map_[partner] == 0 && !ctx_.EeRead[partner]) {
                ctx_.prompt.message("Word varning ", Prompter::Icon::Critical);
                return false;
            }
            map_[partner] = kWholeByte;
        }
        return true;
    }

    int blockLength(int a) const {
        int n = 1;
        switch (memory_) {
            case Memory::SmallEeprom:
                return selected(a + 2) || selected(a + 3) ? 4 : 2;
            case Memory::LargeEeprom:
                for (int k = 1; k <= 3; ++k)
                    if (selected(a + k) && (a + k) / kPageSize == a / kPageSize) n = k + 1;
                return n;
            case Memory::Ram:
                for (int k = 1; k <= 3; ++k)
                    if (selected(a + k)) n = k + 1;
                return n;
        }
        return n;
    }

    bool sendBlocks() {
        const int total = static_cast<int>(
            std::count_if(map_.begin(), map_.end(), [](uint8_t m) { return m != 0; }));
        if (!ensureOpen(ctx_)) return false;
        if (ctx_.serviceRecorder) ctx_.serviceRecorder->bytesPlanned(r_.eeprom, total);
        Progress progress(ctx_, total);
        for (int a = 0; a <= top();) {
            if (!selected(a)) {
                ++a;
                continue;
            }
            const int n = blockLength(a);
            progress.advance(n);
            ctx_.events.processEvents();
            if (!ctx_.ErrorText.empty()) return false;
            if (memory_ == Memory::SmallEeprom && a % 2 != 0) {
                ctx_.prompt.message("Får inte vara ojämn adress till EEPROM");
                return false;
            }
            if (!runAttempts(ctx_, kWritePolicy, nullptr,
                             [&](Stopwatch& since) { return sendBlock(a, n, since); }))
                return false;
            a += n;
        }
        return true;
    }

    Outcome sendBlock(int a, int n, Stopwatch& sinceClearToSend) {
        const bool ram = memory_ == Memory::Ram;
        std::vector<float> values;
        for (int k = 0; k < n; ++k)
            values.push_back(ram ? ctx_.RamImage[a + k] : ctx_.EeImage[a + k]);
        const std::optional<Bytes> frame = writeFrame(memory_, a, values);
        if (!frame) return Outcome::Fail;
        waitOut(ctx_, sinceClearToSend, kFrameSettle);
        if (!ctx_.port.write(*frame)) return Outcome::Fail;
        Stopwatch since(ctx_.clock);
        if (!waitForBytes(ctx_, 1, since, kWritePolicy.replyWait)) return Outcome::Retry;
        const Bytes reply = ctx_.port.readAll();
        if (reply.empty() || !isAcknowledge(reply.front())) return Outcome::Retry;
        for (int k = 0; k < n; ++k) {
            float& last = ram ? ctx_.RamLast[a + k] : ctx_.EeLast[a + k];
            if (ctx_.serviceRecorder)
                ctx_.serviceRecorder->byteWritten(!ram, a + k, last, values[k]);
            last = values[k];
        }
        ctx_.BytesWritten += n;
        return Outcome::Done;
    }

    bool finish() {
        if (r_.eeprom) {
            if (r_.lock) {
                ctx_.StatusText = "Locking EEPROM";
                lockSent_ = true;
                if (!SensorCommand(ctx_, kLockEeprom, true)) return false;
            }
            if (r_.commit) {
                ctx_.StatusText = "Saving to RAM";
                if (!SensorCommand(ctx_, kSaveToRam, true)) return false;
            }
        } else if (r_.commit) {
            ctx_.StatusText = "Saving to EEPROM";
            if (!SensorCommand(ctx_, kSaveToEeprom, true)) return false;
        }
        return true;
    }

    Context& ctx_;
    const Request r_;
    const Memory memory_;
    const uint8_t platform_;
    std::vector<uint8_t> map_;
    bool unlocked_ = false;
    bool lockSent_ = false;
};

constexpr const char* kWriteFailed = "Can't save to sensor";

}  // namespace

bool RelockAfterFailure(Context& ctx) {
    const std::string first = ctx.ErrorText.empty() ? kWriteFailed : ctx.ErrorText;
    ctx.ErrorText.clear();
    const bool locked = SensorCommand(ctx, kLockEeprom, true);
    ctx.ErrorText = first;
    return locked;
}

bool SensorMemWrite(Context& ctx, int32_t ListNo, float Address, uint8_t Count, bool Eeprom,
                    bool Commit, bool KeepOpen, bool Unlock, bool Lock, bool WriteAll) {
    const uint8_t platform = Eeprom ? platformKeepingMask(ctx) : 0;
    const Memory memory = !Eeprom                  ? Memory::Ram
                          : platform == kPlatform7 ? Memory::LargeEeprom
                                                   : Memory::SmallEeprom;
    WriteTransaction write(ctx, {ListNo, Address, Count, Eeprom, Commit, Unlock, Lock, WriteAll},
                           memory, platform);
    const bool ok = write.run();
    if (!ok && (write.leftUnlocked() || ctx.EepromMayBeUnlocked)) RelockAfterFailure(ctx);
    ctx.StatusText = "";
    if (!KeepOpen) releasePort(ctx);
    if (!ok) failWith(ctx, kWriteFailed);
    return ok;
}

bool SensorMemWrite(Context& ctx, const WriteRequest& r) {
    return SensorMemWrite(ctx, r.span.list, static_cast<float>(r.span.address),
                          static_cast<uint8_t>(r.span.count), r.span.eeprom, r.commit, r.keepOpen,
                          r.unlock, r.lock, r.writeAll);
}

}  // namespace kelvo
