#include "model/tables.h"

#include <cmath>

#include "common/context.h"
#include "common/values.h"
#include "model/definition_access.h"
#include "model/identification.h"
#include "model/image_access.h"

namespace kelvo {
namespace {

constexpr bool kEeprom = true;
constexpr bool kRam = false;
constexpr double kFullScale = 61440;
constexpr double kStep = 4096;

// EEPROM address of the high byte of entry 0 of a table; -1 when the platform keeps no
// such table.
int tableBase(uint8_t platform, int table) {
    int base = -1;
    int top = 511;
    switch (platform) {
        case kPlatform5:
            base = 34 * table;
            break;
        case kPlatform6:
        case kPlatform61:
            base = 308 + 34 * table;
            break;
        case kPlatform7:
            base = 512 + 34 * table;
            top = 1023;
            break;
        default:
            return -1;
    }
    if (table < 0 || base + 2 * kTableEntries - 1 > top) return -1;
    return base;
}

TableEntries readTable(Context& ctx, int table) {
    TableEntries entries{};
    for (int i = 0; i < kTableEntries; ++i) entries[i] = GetTableEntry(ctx, table, i);
    return entries;
}

// The table that converts a CO2 reference, and the factor k by which the sensor scales
// the distance of a reference from full scale.
int referenceTable(Context& ctx, uint8_t platform, int n) {
    switch (platform) {
        case kPlatform5:
            return n + 1;
        case kPlatform6:
        case kPlatform61:
            return GetChannelTable(ctx, GetCO2Channel(ctx, n));
        case kPlatform7:
            return 5;
        default:
            return -1;
    }
}

double referenceFactor(Context& ctx, uint8_t platform, int n) {
    if (platform == kPlatform5) return GetSpanWord(ctx, static_cast<float>(n + 1)) / 2048.0;
    return GetCO2Factor(ctx);
}

struct RefPlace {
    bool eeprom = false;
    int address = -1;
};

RefPlace zeroReferencePlace(uint8_t platform, int n) {
    if (n < 0) return {};
    switch (platform) {
        case kPlatform5:
            return n <= 1 ? RefPlace{kRam, 216 + 7 * n} : RefPlace{};
        case kPlatform6:
            return n <= 1 ? RefPlace{kEeprom, 38 + 5 * n} : RefPlace{};
        case kPlatform61:
            return n <= 1 ? RefPlace{kEeprom, 58 + 2 * n} : RefPlace{};
        case kPlatform7:
            return n <= 24 ? RefPlace{kEeprom, 976 + 2 * n} : RefPlace{};
        default:
            return {};
    }
}

RefPlace spanReferencePlace(uint8_t platform, int n, bool live) {
    if (n < 0 || n > 1) return {};
    switch (platform) {
        case kPlatform5:
            return {kRam, 214 + 7 * n};
        case kPlatform6:
            return live ? RefPlace{kRam, 212 + 5 * n} : RefPlace{kEeprom, 36 + 5 * n};
        case kPlatform61:
            return live ? RefPlace{kRam, 210 + 2 * n} : RefPlace{kEeprom, 34 + 2 * n};
        default:
            return {};
    }
}

float clampWord(double value) {
    if (!std::isfinite(value) || value < 0) return 0;
    return value > 65535 ? 65535.0f : static_cast<float>(value);
}

}  // namespace

double InterpolateToRaw(const TableEntries& entries, double x) {
    if (!std::isfinite(x)) return 0;
    double result = 0;
    for (int i = 0; i < kTableEntries - 1; ++i) {
        if (kStep * (i + 1) >= x) {
            const double e0 = entries[i];
            const double e1 = entries[i + 1];
            result = RoundHalfEven(e0 + (x - kStep * i) / kStep * (e1 - e0));
            break;
        }
    }
    if (!std::isfinite(result)) return 0;
    if (result > 65535) return 65535;
    if (result < 0) return 0;
    return result;
}

double InterpolateToLinear(const TableEntries& entries, double y) {
    if (!std::isfinite(y)) return 0;
    double result = 0;
    for (int i = 0; i < kTableEntries - 1; ++i) {
        const double c = entries[i];
        const double e = entries[i + 1];
        if (c == e) continue;
        if ((y >= c && y <= e) || (y <= c && y >= e)) {
            result = RoundHalfEven(kStep * i + kStep * (y - c) / (e - c));
            break;
        }
        // Beyond every segment so far: the sensor reads this as the top of the scale.
        result = 65535;
    }
    if (!std::isfinite(result)) return 0;
    if (result > 65536) return 65536;
    if (result < 0) return 0;
    return result;
}

std::optional<TableEntries> BuildTableEntries(double l, double m, double o, double tt, double u,
                                              double g, const std::function<void()>& yield) {
    if (l == 0 && m == 0 && o == 0) return std::nullopt;
    const auto response = [&](double x) {
        return l * std::exp(m * x) + o * std::exp(tt * m * x) + u * std::exp(tt * tt * m * x) + 1 -
               l - o - u;
    };
    const double a = response(g);
    // A model that does not fall away from 1 at the start point cannot be scaled.
    if (!std::isfinite(a) || 1 - a == 0) return std::nullopt;
    const auto scaled = [&](double x) {
        const double value = (response(x) - a) / (1 - a) * kFullScale;
        return std::isfinite(value) ? Fix(value) : value;
    };
    TableEntries entries{};
    for (int point = 15; point >= 0; --point) {
        const double target = kStep * point;
        // Single precision, as the sensors' tools have always bisected: the step halves
        // until it underflows.
        float x = 32768;
        float step = 16384;
        double f = 0;
        do {
            if (yield) yield();
            f = scaled(x);
            if (target > f) x -= step;
            if (target < f) x += step;
            step /= 2;
        } while (step != 0 && f != target);
        entries[point] = clampWord(Fix(x) + 5000);
    }
    entries[16] = clampWord(2.0 * entries[15] - entries[14]);
    return entries;
}

float GetTableEntry(Context& ctx, int Table, int Entry) {
    const uint8_t platform = GetPlatform(ctx);
    const int base = tableBase(platform, Table);
    if (base < 0 || Entry < 0 || Entry >= kTableEntries) return 0;
    const int address = base + 2 * Entry;
    if (platform == kPlatform5) {
        // Platform 5 keeps no table of its own: it is built from the definition file.
        EnsureDefinition(ctx);
    } else if (!ctx.EeRead[address] || !ctx.EeRead[address + 1]) {
        if (platform == kPlatform7)
            image::fresh(ctx, kEeprom, base, 2 * kTableEntries);
        else
            image::readList(ctx, 32 + Table, kEeprom);
    }
    return image::wordAt(ctx, kEeprom, address);
}

void SetTableEntry(Context& ctx, int Table, int Entry, float Value) {
    const uint8_t platform = GetPlatform(ctx);
    const int base = tableBase(platform, Table);
    if (base < 0 || Entry < 0 || Entry >= kTableEntries) return;
    const int address = base + 2 * Entry;
    // Fetch the table before changing it, as GetTableEntry would: a fetch made after the
    // change would overwrite it with the sensor's old entries.
    if (platform != kPlatform5 && (!ctx.EeRead[address] || !ctx.EeRead[address + 1])) {
        if (platform == kPlatform7)
            image::ensureQuietly(ctx, kEeprom, base, 2 * kTableEntries);
        else
            image::readList(ctx, 32 + Table, kEeprom);
    }
    image::storeWord(ctx, kEeprom, address, Value);
}

float TableToRaw(Context& ctx, int Table, double X) {
    return static_cast<float>(InterpolateToRaw(readTable(ctx, Table), X));
}

float TableToLinear(Context& ctx, int Table, double Y) {
    return static_cast<float>(InterpolateToLinear(readTable(ctx, Table), Y));
}

bool BuildTable(Context& ctx, int Table, float l, float m, float o, float tt, float u, float g,
                float) {
    const auto entries =
        BuildTableEntries(l, m, o, tt, u, g, [&ctx] { ctx.events.processEvents(); });
    if (!entries) return false;
    const uint8_t platform = GetPlatform(ctx);
    if (platform == kPlatform5 || platform == kPlatform6 || platform == kPlatform61)
        for (int i = 0; i < kTableEntries; ++i) SetTableEntry(ctx, Table, i, (*entries)[i]);
    return true;
}

namespace {
// The table lookup is not one-to-one at its ends, so encoding the value a stored word
// decodes to need not give that word back. A word that already stands for the value stays
// as it is: storing a reference again unchanged (a settings file loaded onto the sensor it
// came from) must not move the sensor. The word is read first either way.
bool storedAlready(Context& ctx, const RefPlace& place, float stored, float Raw) {
    return image::ensureQuietly(ctx, place.eeprom, place.address, 2) && stored == Raw;
}
}  // namespace

float GetZeroReference(Context& ctx, int n) {
    const uint8_t platform = GetPlatform(ctx);
    const RefPlace place = zeroReferencePlace(platform, n);
    if (place.address < 0 || !image::ensure(ctx, place.eeprom, place.address, 2)) return 0;
    const double w = image::wordAt(ctx, place.eeprom, place.address);
    const double k = referenceFactor(ctx, platform, n);
    const double v = kFullScale - (kFullScale - w) * k;
    return TableToRaw(ctx, referenceTable(ctx, platform, n), v);
}

void SetZeroReference(Context& ctx, int n, float Raw) {
    const uint8_t platform = GetPlatform(ctx);
    const RefPlace place = zeroReferencePlace(platform, n);
    if (place.address < 0) return;
    if (platform == kPlatform5 &&
        (GetSpanWord(ctx, static_cast<float>(n + 1)) == 0 || !ctx.ErrorText.empty()))
        return;
    const double k = referenceFactor(ctx, platform, n);
    // A sensor without a CO2 factor has no zero reference to scale; keep the stored word.
    if (k == 0 || !std::isfinite(k)) return;
    if (storedAlready(ctx, place, GetZeroReference(ctx, n), Raw)) return;
    const double x = TableToLinear(ctx, referenceTable(ctx, platform, n), Raw);
    const double w = RoundHalfEven(kFullScale - (kFullScale - x) / k);
    image::modifyWord(ctx, place.eeprom, place.address, clampWord(w));
}

float GetSpanReference(Context& ctx, int n, bool Live, bool ReadFirst) {
    const uint8_t platform = GetPlatform(ctx);
    const RefPlace place = spanReferencePlace(platform, n, Live);
    if (place.address < 0) return 0;
    const bool read = ReadFirst ? image::fresh(ctx, place.eeprom, place.address, 2)
                                : image::ensure(ctx, place.eeprom, place.address, 2);
    if (!read) return 0;
    const double w2 = image::wordAt(ctx, place.eeprom, place.address);
    const double e = w2 * GetZeroWord(ctx, GetCO2Channel(ctx, n)) / 2048;
    const double v = kFullScale - (kFullScale - e) * referenceFactor(ctx, platform, n);
    if (!ctx.ErrorText.empty()) return 0;
    return TableToRaw(ctx, referenceTable(ctx, platform, n), v);
}

void SetSpanReference(Context& ctx, int n, bool Live, float Raw) {
    const uint8_t platform = GetPlatform(ctx);
    const RefPlace place = spanReferencePlace(platform, n, Live);
    if (place.address < 0) return;
    const double k = referenceFactor(ctx, platform, n);
    const double zero = GetZeroWord(ctx, GetCO2Channel(ctx, n));
    // Without a factor or a zero word the span reference cannot be expressed.
    if (k == 0 || zero == 0 || !std::isfinite(k)) return;
    if (storedAlready(ctx, place, GetSpanReference(ctx, n, Live, false), Raw)) return;
    double x = TableToLinear(ctx, referenceTable(ctx, platform, n), Raw);
    x = kFullScale - (kFullScale - x) / k;
    image::modifyWord(ctx, place.eeprom, place.address, clampWord(RoundHalfEven(x * 2048 / zero)));
}

}  // namespace kelvo
