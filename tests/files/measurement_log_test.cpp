#include "files/measurement_log.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(MeasurementLog, HeaderAndRowsStayNumericForAnySpreadsheet) {
    EXPECT_EQ(MeasurementLogHeader("SN 12345\r\nv3", {{"CO2", "ppm"}, {"Temp", "\xC2\xB0" "C"},
                                                     {"Relay, 1", ""}, {"Say \"hi\"", "%"}}),
              "# SN 12345  v3\n"
              "time,CO2 (ppm),Temp (\xC2\xB0" "C),\"Relay, 1\",\"Say \"\"hi\"\" (%)\"\n");
    EXPECT_EQ(MeasurementLogHeader("", {}), "# \ntime\n");

    // Values as the window shows them; a typed decimal comma becomes a point, a blank
    // field stays an empty cell.
    EXPECT_EQ(MeasurementLogRow("2026-12-08T13:05:09+01:00", {"412", "21,5", " -0.25 ", ""}),
              "2026-12-08T13:05:09+01:00,412,21.5,-0.25,\n");
    EXPECT_EQ(MeasurementLogRow("t", {}), "t\n");
}

}  // namespace
}  // namespace kelvo
