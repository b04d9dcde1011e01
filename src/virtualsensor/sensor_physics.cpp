// How a virtual sensor's measured values come about. Each live value is derived from what
// the sensor "sees" (surroundingsAt) through the sensor's own calibration words and tables
// in its memory, the same arithmetic the calibration procedures invert, so that a word a
// calibration writes changes what the sensor reports afterwards.
#include "virtualsensor/sensor_physics.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <numbers>

namespace kelvo::virtualsensor {
namespace {

constexpr double kFullScale = 61440;
constexpr double kFactorOne = 2048;

double wordAt(const uint8_t* bytes, int address) {
    return bytes[address] * 256.0 + bytes[address + 1];
}

bool pinned(const SensorMemory& memory, int address) {
    return memory.liveWritten[address] && memory.ram[address] != memory.liveValue[address];
}

void putLiveByte(SensorMemory& memory, int address, uint8_t value) {
    memory.ram[address] = value;
    memory.liveValue[address] = value;
    memory.liveWritten[address] = true;
}

// Writes a live RAM word unless it was pinned from outside; returns the word in effect.
double putLive(SensorMemory& memory, int address, double value) {
    if (pinned(memory, address) || pinned(memory, address + 1))
        return wordAt(memory.ram.data(), address);
    const long word = std::lround(std::clamp(value, 0.0, 65535.0));
    putLiveByte(memory, address, static_cast<uint8_t>(word >> 8));
    putLiveByte(memory, address + 1, static_cast<uint8_t>(word & 0xFF));
    return static_cast<double>(word);
}

// A live temperature byte (127 + degrees); returns the degrees in effect.
double putLiveTemperatureByte(SensorMemory& memory, int address, double degrees) {
    if (!pinned(memory, address))
        putLiveByte(memory, address, static_cast<uint8_t>(std::clamp(127 + degrees, 0.0, 255.0)));
    return memory.ram[address] - 127.0;
}

// A live signed temperature word; returns the degrees in effect.
double putLiveSignedWord(SensorMemory& memory, int address, double degrees) {
    const double word = putLive(memory, address, degrees < 0 ? degrees + 65536 : degrees);
    return word >= 32768 ? word - 65536 : word;
}

TableEntries tableAt(const SensorMemory& memory, int base) {
    TableEntries entries{};
    for (int i = 0; i < kTableEntries; ++i)
        entries[i] = static_cast<float>(wordAt(memory.eeprom.data(), base + 2 * i));
    return entries;
}

// Platform 7 keeps signed values in its temperature table and reports signed words:
// the table read through with its entries signed, the result stored as a word.
double signedTableWord(const TableEntries& table, double linear) {
    const int i = std::clamp(static_cast<int>(std::floor(linear / 4096)), 0, kTableEntries - 2);
    const auto value = [&table](int at) {
        return table[at] >= 32768 ? table[at] - 65536.0 : static_cast<double>(table[at]);
    };
    const double v =
        std::round(value(i) + (linear - 4096.0 * i) / 4096 * (value(i + 1) - value(i)));
    const double clamped = std::clamp(v, -32768.0, 32767.0);
    return clamped < 0 ? clamped + 65536 : clamped;
}

double wave(int64_t nowMs, double periodSeconds) {
    return std::sin(2 * std::numbers::pi * static_cast<double>(nowMs) / 1000.0 / periodSeconds);
}

// The detector ratio a CO2 detector of the model reads in the gas.
double detectorRatio(const GasModel& model, double ppm) {
    return std::clamp(std::round(kZeroGasRatio * model.at(ppm)), 1.0, 65535.0);
}

// What the sensor's firmware computes from the detector ratio R with its zero word Z, the
// temperature terms and the CO2 factor n: the scaled ratio that the table converts.
double scaledRatio(double zero, double ratio, double tk, double tc, double n) {
    const double corrected = zero * ratio / kFactorOne;
    return kFullScale - (kFullScale - corrected) * (tk * tc + kFactorOne) * n / kFactorOne;
}

// A temperature table of platforms 6 and 61: -40 C at 0, 8 degrees per step, raw in
// hundredths plus the bias of 5000.
double temperatureLinear(double celsius) {
    return (celsius + 40) / 8 * 4096;
}

const TableEntries& platform5Table(int idByte) {
    static std::mutex guard;
    static std::map<int, TableEntries> built;
    std::lock_guard lock(guard);
    auto found = built.find(idByte);
    if (found == built.end()) {
        const Platform5Model p = platform5Model(idByte);
        const auto entries = BuildTableEntries(p.l, p.m, p.o, p.tt, p.u, p.start, {});
        found = built.emplace(idByte, entries.value_or(TableEntries{})).first;
    }
    return found->second;
}

void live5(SensorMemory& memory, const Surroundings& s) {
    const uint8_t* ram = memory.ram.data();
    const double tc = putLiveTemperatureByte(memory, 234, std::round(s.temperature));
    // Temperature and humidity carry their offset words, centred on 32768.
    putLive(memory, 20, 5000 + std::round(s.temperature * 100) + wordAt(ram, 128) - 32768);
    putLive(memory, 24, 5000 + std::round(s.humidity * 1000) + wordAt(ram, 132) - 32768);

    const Platform5Model p = platform5Model(ram[65]);
    const auto response = [&p](double x) {
        const double l = p.l, m = p.m, o = p.o, tt = p.tt, u = p.u;
        return l * std::exp(m * x) + o * std::exp(tt * m * x) + u * std::exp(tt * tt * m * x) + 1 -
               l - o - u;
    };
    const double a = response(p.start);
    const double share = (response(s.co2Ppm) - a) / (1 - a);
    const double ratio = putLive(memory, 70, std::round(kZeroGasRatio * share));
    const double zero = wordAt(ram, 130);
    const double span = wordAt(ram, 138);
    const double tk = ram[202] - 127.0;
    const double linear = kFullScale - (kFullScale - zero * ratio / kFactorOne) * span /
                                           kFactorOne * (tk * tc / 32 + kFactorOne) / kFactorOne;
    const double co2 = putLive(memory, 22, InterpolateToRaw(platform5Table(ram[65]), linear));
    // Output levels: Out 1 follows CO2 over 0..2000 ppm, Out 2 temperature over 0..50 C.
    putLive(memory, 197, std::clamp((co2 - 5000) / 2000, 0.0, 1.0) * 16384);
    putLive(memory, 199, std::clamp(s.temperature / 50, 0.0, 1.0) * 16384);
}

// The CO2 channel of platforms 6, 61 and 7: detector ratio, then the firmware's arithmetic
// with the sensor's own zero word and table. Returns the reported word.
double co2Live(SensorMemory& memory, const Surroundings& s, int ratioAddress, int zeroAddress,
               int tableBase, int valueAddress, const GasModel& model, double tk, double tc,
               double n, double unitsPerPpm = 1) {
    const double ratio =
        putLive(memory, ratioAddress, detectorRatio(model, s.co2Ppm * unitsPerPpm));
    const double zero = wordAt(memory.eeprom.data(), zeroAddress);
    const double q = scaledRatio(zero, ratio, tk, tc, n);
    return putLive(memory, valueAddress, InterpolateToRaw(tableAt(memory, tableBase), q));
}

void live6(SensorMemory& memory, const Surroundings& s) {
    const uint8_t* ee = memory.eeprom.data();
    const double tc = putLiveTemperatureByte(memory, 254, std::round(s.temperature));
    const double temperature =
        InterpolateToRaw(tableAt(memory, 308), temperatureLinear(s.temperature));
    putLive(memory, 12, temperature);
    putLive(memory, 14, temperature);
    putLive(memory, 20, InterpolateToRaw(tableAt(memory, 376), s.humidity / 100 * 65536));
    const double n = 1 + ((ee[165] >> 1) & 1);
    const double co2 =
        co2Live(memory, s, 72, 46, 444, 30, gasModelOfKind(ee[58]), ee[104] - 127.0, tc, n);
    // The second CO2 channel (12) through its own zero word and table.
    co2Live(memory, s, 74, 48, 478, 32, gasModelOfKind(ee[59]), ee[105] - 127.0, tc, n);
    // The CO variant reports carbon monoxide on channel 10, with the bias: none in room air.
    if (ee[90] & 1) putLive(memory, 28, 5000);
    // Out 1 follows CO2 over 0..2000 ppm, Out 2 temperature over 0..50 C, in millivolts.
    const double out1 = std::clamp((co2 - 5000) / 2000, 0.0, 1.0) * 10000;
    const double out2 = std::clamp(s.temperature / 50, 0.0, 1.0) * 10000;
    const bool swapped = memory.ram[65] == 223;
    putLive(memory, 236, swapped ? out2 : out1);
    putLive(memory, 238, swapped ? out1 : out2);
}

void live61(SensorMemory& memory, const Surroundings& s) {
    const uint8_t* ee = memory.eeprom.data();
    const double tc = putLiveSignedWord(memory, 42, std::round(s.temperature));
    putLive(memory, 20, InterpolateToRaw(tableAt(memory, 308), temperatureLinear(s.temperature)));
    // Identification byte 215 measures with factor 1 (version 0) or 2 (version 1); the
    // firmware of the others works with factor 1.
    const double n = memory.ram[65] == 215 && memory.version == 1 ? 2 : 1;
    const int kind = memory.version == 1 ? 9 : 2;
    co2Live(memory, s, 40, 46, 444, 22, gasModelOfKind(kind), ee[83] - 127.0, tc, n,
            memory.version == 0 ? kCO2PercentUnitsPerPpm : 1);
    if (memory.version != 0) return;
    // The oxygen cell, its offset trimmed at the factory (this platform keeps no zero word):
    // its word scaled by the span factor at EEPROM 0 and read through table 4, the table
    // the O2 span calibration computes its factor from.
    const double cell = putLive(memory, 38, std::round(s.oxygen * kO2CellPerPercent));
    putLive(memory, 24, InterpolateToRaw(tableAt(memory, 444), cell * wordAt(ee, 0) / kFactorOne));
}

void live7(SensorMemory& memory, const Surroundings& s) {
    const uint8_t* ee = memory.eeprom.data();
    const double tc = putLiveSignedWord(memory, 42, std::round(s.temperature));
    putLive(memory, 20, signedTableWord(tableAt(memory, 512), s.temperature * 100 / 400 * 4096));
    const int nibble = ee[1003] >> 4;
    const double n = (nibble == 0 || nibble == 2) ? 2 : 1;
    const double tk = ee[881] >= 128 ? ee[881] - 256.0 : ee[881];
    // The platform-7 zero word lives at EEPROM 14.
    co2Live(memory, s, 40, 14, 580, 22, gasModelOfNibble(nibble), tk, tc, n);
    // The oxygen cell: the word it reports has its zero offset (EEPROM 760) taken off
    // already, as the zero calibration expects when it clears the offset and reads the bare
    // cell; the span factor (EEPROM 0) then scales it into table 4, in hundredths.
    const double bare = std::round(kO2CellAtZero + s.oxygen * kO2CellPerPercent);
    const double cell = putLive(memory, 38, std::max(0.0, bare - wordAt(ee, 760)));
    putLive(memory, 24, InterpolateToRaw(tableAt(memory, 648), cell * wordAt(ee, 0) / kFactorOne));
}

}  // namespace

double GasModel::at(double ppm) const {
    return w1 * std::exp(K * ppm) + w2 * std::exp(K * k2 * ppm) + w3 * std::exp(K * k2 * k2 * ppm) +
           1 - w1 - w2 - w3;
}

GasModel gasModelOfKind(int kind) {
    switch (kind) {
        case 2:
            return {-0.00995154, 0.0717408, 0.218223, 0.194551, 0.386614};
        case 9:
            return {-0.00162505, 0.124038, 0.390136, 0.130051, 0.213468};
        default:
            return {-0.00185441, 0.115081, 0.42264, 0.114645, 0.2415};
    }
}

GasModel gasModelOfNibble(int nibble) {
    switch (nibble) {
        case 1:
            return gasModelOfKind(2);
        case 2:
            return gasModelOfKind(9);
        case 3:
            return {-0.01291, 0.0514902, 0.178395, 0.173295, 0.480166};
        default:
            return gasModelOfKind(1);
    }
}

TableEntries co2Table(const GasModel& model, double power, int n, double bias) {
    TableEntries entries{};
    for (int p = 0; p <= 15; ++p) {
        const double target = (n - 1 + p * 4096 / kFullScale) / n;
        // The transmission falls with concentration: bisect for the concentration that
        // gives the target, within the 0..9999 ppm a table spans.
        double low = 0;
        double high = 9999;
        for (int k = 0; k < 60; ++k) {
            const double mid = (low + high) / 2;
            if (std::pow(model.at(mid), power) > target)
                low = mid;
            else
                high = mid;
        }
        entries[p] = static_cast<float>(std::trunc(low) + bias);
    }
    entries[16] = static_cast<float>(std::max(0.0, 2.0 * entries[15] - entries[14]));
    return entries;
}

Platform5Model platform5Model(int idByte) {
    // The definition files in data/ carry these same numbers (scripts/make-definition-files).
    switch (idByte) {
        case 127:
            return {0.0717408f, -0.00995154f, 0.218223f, 0.194551f, 0.386614f, 5000};
        case 103:
            return {0.124038f, -0.00162505f, 0.390136f, 0.130051f, 0.213468f, 10000};
        default:
            return {0.115081f, -0.00185441f, 0.42264f, 0.114645f, 0.2415f, 2000};
    }
}

Surroundings surroundingsAt(const SensorMemory& memory, int64_t nowMs) {
    Surroundings s{};
    s.co2Ppm = memory.gasPpm.value_or(450 + 25 * wave(nowMs, 600) + 3 * wave(nowMs, 37));
    s.temperature = memory.airTemperature.value_or(22.4 + 0.3 * wave(nowMs, 900));
    s.humidity = 41 + 1.5 * wave(nowMs, 1200);
    s.oxygen = memory.oxygenPercent.value_or(20.9 + 0.02 * wave(nowMs, 300));
    return s;
}

void UpdateLiveValues(SensorMemory& memory, int64_t nowMs) {
    const Surroundings s = surroundingsAt(memory, nowMs);
    const size_t needed = memory.platform == kPlatform7 ? 1024 : 512;
    if (memory.eeprom.size() < needed) return;
    switch (memory.platform) {
        case kPlatform5:
            live5(memory, s);
            break;
        case kPlatform6:
            live6(memory, s);
            break;
        case kPlatform61:
            live61(memory, s);
            break;
        case kPlatform7:
            live7(memory, s);
            break;
        default:
            break;
    }
}

}  // namespace kelvo::virtualsensor
