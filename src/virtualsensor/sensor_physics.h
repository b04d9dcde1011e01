#pragma once
// The physics shared by the factory images and the live values: how a detector answers
// gas, and the tables a factory writes from that answer.

#include <cstdint>

#include "model/tables.h"
#include "virtualsensor/factory_images.h"

namespace kelvo::virtualsensor {

// Transmission model of a CO2 detector, F(x) = w1 e^(K x) + w2 e^(K k2 x) +
// w3 e^(K k2 k2 x) + 1 - w1 - w2 - w3 with x in ppm, so F(0) = 1.
struct GasModel {
    double K = 0, w1 = 0, w2 = 0, k2 = 0, w3 = 0;
    double at(double ppm) const;
};

// The detector families, by the channel-kind byte (1, 2, 9) or by the platform-7 nibble.
GasModel gasModelOfKind(int kind);
GasModel gasModelOfNibble(int nibble);

// An oxygen cell's word: kO2CellAtZero in no oxygen (platform 7; platform 61 trims it to 0)
// and kO2CellPerPercent more for each % of O2.
constexpr double kO2CellAtZero = 4000;
constexpr double kO2CellPerPercent = 400;

// Platform 61 version 0 reports CO2 in thousandths of a %: one unit is 10 ppm, and its
// detector's curve is laid over those units.
constexpr double kCO2PercentUnitsPerPpm = 0.1;

// The detector ratio, at zero gas, that the factory calibrated every sensor against:
// its zero word is 61440 * 2048 / kZeroGasRatio.
constexpr double kZeroGasRatio = 4096;

// The table a factory writes for a CO2 channel: entry p is the concentration (plus Bias)
// at which the detector's scaled ratio is p * 4096, for a CO2 factor N. Entry 15 is zero
// gas, entry 16 continues the last step.
TableEntries co2Table(const GasModel& model, double power, int n, double bias);

// The platform-5 definition-file coefficients of the CO2 channel for an identification
// byte, as the definition files in data/ carry them.
// Single precision, as the loader hands them to BuildTable.
struct Platform5Model {
    float l, m, o, tt, u;
    float start;
};
Platform5Model platform5Model(int idByte);

// What the sensor sees at a moment: its gas and its air.
struct Surroundings {
    double co2Ppm;
    double temperature;
    double humidity;
    double oxygen;
};
Surroundings surroundingsAt(const SensorMemory& memory, int64_t nowMs);

}  // namespace kelvo::virtualsensor
