// The memories of virtual sensors as a factory leaves them: identification, version and
// serial number, channel descriptors, linearisation tables, calibration words and
// references that agree with each other, and a few sensible settings. The live values
// are then filled in by the sensor's physics.
#include "virtualsensor/factory_images.h"

#include <cmath>

#include "virtualsensor/factory_panels.h"
#include "virtualsensor/sensor_physics.h"

namespace kelvo::virtualsensor {
namespace {

constexpr double kFullScale = 61440;
constexpr double kFreshAirPpm = 400;
constexpr double kSpanGasPpm = 2000;
constexpr double kAirO2Hundredths = 2090;
// Zero word of a detector calibrated against kZeroGasRatio.
constexpr double kFactoryZeroWord = kFullScale * 2048 / kZeroGasRatio;

// Descriptor bytes: bias flag, scale code, unit code, decimals code.
constexpr uint8_t descriptor(bool bias, int scale, int unit, int decimals) {
    return static_cast<uint8_t>((bias ? 0x80 : 0) | scale << 5 | unit << 2 | decimals);
}
constexpr int kUnitNone = 0, kUnitC = 1, kUnitV = 3, kUnitPpm = 4, kUnitPercent = 5, kUnitGkg = 6;
constexpr int kDecimals1 = 0, kDecimals1000 = 1, kDecimals100 = 2;

void putWord(std::vector<uint8_t>& bytes, int address, double value) {
    const long word = std::lround(value);
    bytes[address] = static_cast<uint8_t>((word >> 8) & 0xFF);
    bytes[address + 1] = static_cast<uint8_t>(word & 0xFF);
}
void putWord(std::array<uint8_t, 256>& bytes, int address, double value) {
    const long word = std::lround(value);
    bytes[address] = static_cast<uint8_t>((word >> 8) & 0xFF);
    bytes[address + 1] = static_cast<uint8_t>(word & 0xFF);
}

void putTable(std::vector<uint8_t>& eeprom, int base, const TableEntries& entries) {
    for (int i = 0; i < kTableEntries; ++i) putWord(eeprom, base + 2 * i, entries[i]);
}

TableEntries linearTable(double first, double step) {
    TableEntries entries{};
    for (int i = 0; i < kTableEntries; ++i) entries[i] = static_cast<float>(first + step * i);
    return entries;
}

// The scaled ratio at which a CO2 table reads the concentration, found in the table
// itself so that references and tables agree to the count.
double linearOf(const TableEntries& table, double raw) {
    return InterpolateToLinear(table, raw);
}

// Platform-5 settings kept in EEPROM as well (the sensor saves these RAM bytes there).
constexpr std::pair<int, int> kPlatform5Persistent[] = {
    {31, 39}, {57, 57}, {59, 64}, {128, 145}, {162, 196}, {202, 210}, {212, 233}};

// The alarm unit's five rows in the function slots, as its factory sets them: CO2 pre and
// main alarms at 1000 and 5000 ppm, the 8-hour TWA alarm at 5000 ppm (the usual workplace
// limit), temperature alarms below 5 and above 35 C; the main and TWA alarms switch the
// relay. Each row is its channel byte, A and B (raw with the bias; bit 15 of B set on
// rising alarms).
void twaAlarms(std::array<uint8_t, 256>& ram) {
    constexpr int kRising = 0x8000;
    const struct {
        int channel;
        int a, b;
    } rows[] = {{1, 5990, kRising | 6000},
                {1, 9990, kRising | 10000},
                {3, 10000, kRising | 10000},
                {0, 5500, 5600},
                {0, 8400, kRising | 8500}};
    for (int i = 0; i < 5; ++i) {
        ram[162 + 5 * i] = static_cast<uint8_t>(rows[i].channel);
        putWord(ram, 163 + 5 * i, rows[i].a);
        putWord(ram, 165 + 5 * i, rows[i].b);
    }
    ram[189] = 0x06;
}

SensorMemory platform5(int version) {
    static constexpr uint8_t kIdBytes[] = {231, 231, 127, 103};
    SensorMemory m;
    m.platform = 5;
    m.version = version;
    m.eeprom.assign(512, 0);
    auto& ram = m.ram;
    const uint8_t id = kIdBytes[version];
    ram[65] = id;
    putWord(ram, 66, 1207 + version);  // serial number
    ram[226] = static_cast<uint8_t>(version);
    // Zero words: offsets centred on 32768 for temperature and humidity, the CO2
    // detector's zero; span words 1.0.
    for (int c = 0; c <= 3; ++c) putWord(ram, 128 + 2 * c, 32768);
    putWord(ram, 130, kFactoryZeroWord);
    for (int c = 0; c <= 4; ++c) putWord(ram, 136 + 2 * c, 2048);
    ram[202] = 127;   // no temperature term
    ram[205] = 0x00;  // channel 0 in C with one decimal
    ram[206] = 0x0F;  // names no channel
    ram[207] = 0x41;  // shift button on CO2 (unit code 4)
    ram[208] = 0;     // network ID
    ram[31] = 0;      // display mode
    ram[32] = 0x2F;   // shift channel 1, amount 0
    if (version == 0) {
        // Function 0 on CO2: from 400 to 1200 ppm, rising; it drives Out 1.
        ram[162] = 1;
        putWord(ram, 163, 5400);
        putWord(ram, 165, 0x8000 | 6200);
        ram[189] = 0x01;
    } else {
        twaAlarms(ram);
    }
    putWord(ram, 190, 32768);
    ram[192] = 2;
    putWord(ram, 194, 32768);
    ram[196] = 2;
    // References of CO2 index 0: fresh air and span gas, through the definition's table.
    const Platform5Model p = platform5Model(id);
    const auto table = BuildTableEntries(p.l, p.m, p.o, p.tt, p.u, p.start, {});
    if (table) {
        putWord(ram, 216, linearOf(*table, 5000 + kFreshAirPpm));
        putWord(ram, 214, linearOf(*table, 5000 + kSpanGasPpm) * 2048 / kFactoryZeroWord);
    }
    for (const auto& [first, last] : kPlatform5Persistent)
        for (int a = first; a <= last; ++a) m.eeprom[a] = ram[a];
    return m;
}

// What platforms 6 and 61 share: version bytes, serial number, calibration words.
void versionBytes(SensorMemory& m, uint8_t id, bool bit0, int stored) {
    m.ram[65] = id;
    m.eeprom[164] = id;
    m.eeprom[165] = bit0 ? 1 : 0;
    m.eeprom[173] = static_cast<uint8_t>(stored);
}

// CO2 table (number `table`), zero word, zero reference and span reference of CO2 index 0.
// The table's values count `unitsPerPpm` to the ppm: 1 for ppm, 0.1 for a channel in
// thousandths of a %.
void co2Calibration(SensorMemory& m, int table, int zeroWord, int zeroRef, int spanRef,
                    int liveSpanRef, const GasModel& model, int n, double unitsPerPpm = 1) {
    const TableEntries entries = co2Table(model, 1, n, 5000);
    putTable(m.eeprom, 308 + 34 * table, entries);
    putWord(m.eeprom, zeroWord, kFactoryZeroWord);
    // Zero reference: the scaled ratio of fresh air before the factor is applied.
    const double fresh = linearOf(entries, 5000 + kFreshAirPpm * unitsPerPpm);
    putWord(m.eeprom, zeroRef, kFullScale - (kFullScale - fresh) / n);
    const double span = linearOf(entries, 5000 + kSpanGasPpm * unitsPerPpm);
    const double ratio = (kFullScale - (kFullScale - span) / n) * 2048 / kFactoryZeroWord;
    putWord(m.eeprom, spanRef, ratio);
    putWord(m.ram, liveSpanRef, ratio);
}

SensorMemory platform6(int version) {
    SensorMemory m;
    m.platform = 6;
    m.version = version;
    m.eeprom.assign(512, 0);
    auto& ee = m.eeprom;
    switch (version) {
        case 0:
            versionBytes(m, 222, true, 6);
            break;
        case 1:
            versionBytes(m, 222, true, 1);
            break;
        case 2:
            versionBytes(m, 222, true, 2);
            ee[90] = 1;  // carries a CO channel
            break;
        case 3:
            versionBytes(m, 223, true, 3);
            break;
        case 4:
            versionBytes(m, 222, false, 0);
            break;
        default:
            versionBytes(m, 221, true, 0);
            break;
    }
    putWord(ee, 170, 31415 + version);
    ee[32] = 0;  // network ID
    // Temperature (channel 3 on 223 and on version 2, which hides channel 2, else 2)
    // and humidity; CO2 but no CO channel 12.
    const bool temperatureOn3 = m.ram[65] == 223 || version == 2;
    ee[98] = temperatureOn3 ? 0x12 : 0x11;
    ee[158] = 0x04;
    ee[50] = temperatureOn3 ? 0x3B : 0x2B;  // display: CO2, then temperature
    ee[51] = 0x06;
    // Channel kinds and temperature terms of the CO2 channels.
    ee[58] = 1;
    ee[59] = 1;
    ee[104] = 127;
    ee[105] = 127;
    const uint8_t volts = descriptor(false, 0, kUnitV, kDecimals1000);
    const uint8_t celsius = descriptor(true, 0, kUnitC, kDecimals100);
    const uint8_t humidity = descriptor(true, 0, kUnitPercent, kDecimals100);
    const uint8_t ppm = descriptor(true, 0, kUnitPpm, kDecimals1);
    const uint8_t absolute = descriptor(true, 0, kUnitGkg, kDecimals100);
    const uint8_t plain = descriptor(false, 0, kUnitNone, kDecimals1);
    const uint8_t descriptors[13] = {volts,
                                     volts,
                                     celsius,
                                     celsius,
                                     absolute,
                                     absolute,
                                     humidity,
                                     humidity,
                                     celsius,
                                     plain,
                                     version == 2 ? ppm : plain,
                                     ppm,
                                     ppm};
    for (int c = 0; c < 13; ++c) ee[218 + c] = descriptors[c];
    // Tables: 0 temperature, 1 absolute humidity, 2 relative humidity, 3 temperature
    // difference, 4 CO2, 5 CO.
    putTable(ee, 308, linearTable(1000, 800));
    putTable(ee, 342, linearTable(5000, 200));
    putTable(ee, 376, linearTable(5000, 625));
    putTable(ee, 410, linearTable(1000, 800));
    co2Calibration(m, 4, 46, 38, 36, 212, gasModelOfKind(1), 1);
    putTable(ee, 478, co2Table(gasModelOfKind(1), 1, 1, 5000));
    putWord(ee, 48, kFactoryZeroWord);
    // Outputs: 0 % base line, integration time 8 s; function 0 on CO2 drives Out 1.
    for (int j = 0; j < 4; ++j) {
        ee[139 + 3 * j] = 128;
        ee[140 + 3 * j] = 2;
    }
    ee[138] = 0x01;
    ee[106] = 9;  // channel 11
    putWord(ee, 107, 5400);
    putWord(ee, 109, 0x8000 | 6200);
    m.ram[34] = 0;  // no error
    return m;
}

SensorMemory platform61(int version) {
    SensorMemory m;
    m.platform = 61;
    m.version = version;
    m.eeprom.assign(512, 0);
    auto& ee = m.eeprom;
    if (version == 0)
        versionBytes(m, 214, true, 6);
    else
        versionBytes(m, 215, true, 1);
    putWord(ee, 170, 27182 + version);
    ee[83] = 127;  // no temperature term
    // Version 0 is the high-range CO2 and O2 unit: its window shows CO2 in %, so the
    // channel counts thousandths of a % (room air is about 0.04 %), and its detector's
    // curve spans 0 to 10 % over the table's range.
    const bool percentCO2 = version == 0;
    ee[218 + 4] = descriptor(true, 0, kUnitC, kDecimals100);
    ee[218 + 5] = percentCO2 ? descriptor(true, 0, kUnitPercent, kDecimals1000)
                             : descriptor(true, 0, kUnitPpm, kDecimals1);
    if (version == 0) ee[218 + 6] = descriptor(true, 0, kUnitPercent, kDecimals100);
    ee[50] = 0x45;  // display: CO2, then temperature
    if (version == 0) {
        // Alarm levels: CO2 pre and main at 1.5 and 3 %, O2 pre and main at 19 and 18 %.
        putWord(ee, 76, 5000 + 1500);
        putWord(ee, 78, 5000 + 3000);
        putWord(ee, 80, 5000 + 1900);
        putWord(ee, 84, 5000 + 1800);
    }
    putTable(ee, 308, linearTable(1000, 800));
    const int n = version == 1 ? 2 : 1;
    const GasModel model = gasModelOfKind(version == 1 ? 9 : 2);
    co2Calibration(m, 4, 46, 58, 34, 210, model, n, percentCO2 ? kCO2PercentUnitsPerPpm : 1);
    // The O2 cell reads through table 4 as well: a span factor that makes air read 20.9 %.
    if (version == 0)
        putWord(ee, 0,
                linearOf(co2Table(model, 1, n, 5000), 5000 + kAirO2Hundredths) * 2048 /
                    (kAirO2Hundredths / 100.0 * kO2CellPerPercent));
    m.ram[67] = 0;  // status: OK
    return m;
}

SensorMemory platform7(int version) {
    SensorMemory m;
    m.platform = 7;
    m.version = version;
    m.eeprom.assign(1024, 0);
    auto& ee = m.eeprom;
    m.ram[65] = static_cast<uint8_t>(0x1F + version);  // 32 and 33
    ee[1023] = static_cast<uint8_t>(version);
    // Serial number 70234 + version, low byte first.
    const long serial = 70234 + version;
    ee[998] = serial & 0xFF;
    ee[999] = (serial >> 8) & 0xFF;
    ee[1000] = (serial >> 16) & 0xFF;
    putWord(ee, 762, 2048);  // CO2 factor 1
    ee[1003] = 0x10;         // detector family 1
    ee[881] = 0;             // no temperature term
    ee[792 + 4] = descriptor(false, 0, kUnitC, kDecimals100);
    ee[792 + 5] = descriptor(false, 0, kUnitPpm, kDecimals1);
    ee[792 + 6] = descriptor(false, 0, kUnitPercent, kDecimals100);
    // Temperature: 4 C a step from 0 C, in hundredths.
    putTable(ee, 512, linearTable(0, 400));
    const TableEntries co2 = co2Table(gasModelOfNibble(1), 1, 1, 0);
    putTable(ee, 580, co2);
    putTable(ee, 682, co2);  // the table the zero reference is read through
    putWord(ee, 14, kFactoryZeroWord);
    putWord(ee, 976, linearOf(co2, kFreshAirPpm));
    // Oxygen cell: zero offset, span factor for 20.9 % and 2.5 % of O2 a table step.
    putTable(ee, 648, linearTable(0, 250));
    putWord(ee, 760, 3990);
    putWord(ee, 0, 2090.0 / 250 * 4096 / (20.9 * 400 + 10) * 2048);
    // Alarm rows (level word, slope bit, slope word) on CO2 above 1000 and 5000 ppm and O2
    // below 19 and 18 %; the display shows CO2, temperature, O2, CO2.
    const struct {
        int channel;
        int level;
        bool below;
    } alarms[] = {{5, 1000, false}, {5, 5000, false}, {6, 1900, true}, {6, 1800, true}};
    for (int r = 0; r < 4; ++r) {
        putWord(ee, 834 + 6 * r, alarms[r].level);
        if (alarms[r].below) {
            ee[836 + 6 * r] = 0x80;
            putWord(ee, 838 + 6 * r, 0x3FFF);
        }
        ee[925 + 2 * r] = static_cast<uint8_t>(alarms[r].channel);
    }
    const uint8_t display[] = {5, 4, 6, 5};
    for (int d = 0; d < 4; ++d) ee[393 + d] = display[d];
    return m;
}

}  // namespace

std::optional<SensorMemory> FactoryImage(int platform, int version) {
    std::optional<SensorMemory> memory;
    if (platform == kPlatform5 && version >= 0 && version <= 3) memory = platform5(version);
    if (platform == kPlatform6 && version >= 0 && version <= 5) {
        memory = platform6(version);
        ApplyFactoryPanel(*memory);
    }
    if (platform == kPlatform61 && (version == 0 || version == 1)) memory = platform61(version);
    if (platform == kPlatform7 && (version == 1 || version == 2)) memory = platform7(version);
    if (memory) UpdateLiveValues(*memory, 0);
    return memory;
}

}  // namespace kelvo::virtualsensor
