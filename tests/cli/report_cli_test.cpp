// kelvo-cli check and report, end to end: calibrations and checks on a served sensor end up
// in a PDF whose text a technician can read, beside a line of an older history file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "cli/cli_harness.h"
#include "common/system_clock.h"

namespace kelvo {
namespace {

using ReportCli = test::CliFolderTest;

TEST_F(ReportCli, CalibrationsAndChecksReachThePdf) {
    if (std::system("pdftotext -v >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed: the PDF's text is unchecked";
    test::VirtualSensorServer server({"--platform", "7"});
    ASSERT_TRUE(server.running()) << server.startError();
    const auto run = cliWith({"--port", server.port()});
    // A line of a history written before the readings had columns of their own.
    const std::string today = LocalTimeText(std::chrono::system_clock::now(), "%Y-%m-%d");
    std::ofstream(file("history.csv"))
        << "Time,Serial,Platform,Version,Action,Reference,Before,After,Bytes written,Bytes "
           "changed,Backup,Result,Message\r\n"
        << today << " 00:00:01,3270235,7,1,Calibrate CO2 zero,,EEPROM 14: 1,EEPROM 14: 2,2,2,"
        << "none: old,done,\r\n";
    EXPECT_EQ(run({"calibrate", "o2-span", "20.9"}).exitCode, 0);
    const auto within = run({"check", "o2", "20.9"});
    EXPECT_EQ(within.exitCode, 0) << within.err;
    EXPECT_NE(within.out.find("No calibration is needed."), std::string::npos) << within.out;
    const auto off = run({"check", "temp", "40"});
    EXPECT_EQ(off.exitCode, 1);
    EXPECT_NE(off.out.find("A calibration is needed."), std::string::npos) << off.out;
    EXPECT_EQ(run({"calibrate", "temp", "60"}).exitCode, 1);

    const auto made = run({"report", "--output", file("r.pdf"), "--technician", "Ann Tester"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    ASSERT_EQ(std::system(("pdftotext -layout " + file("r.pdf") + " " + file("r.txt")).c_str()), 0);
    std::ifstream in(file("r.txt"));
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const char* seen : {"Calibration report", "Platform 7, version 1, serial number 3270235",
                             "Ann Tester", "Calibrate CO2 zero", "calibrate o2-span", "O2 check",
                             "Within tolerance", "Temperature check", "Outside tolerance", "20.9 %",
                             "Refused", "use --force", "Settings changed"})
        EXPECT_NE(text.find(seen), std::string::npos) << seen << "\n" << text;

    const auto none = run({"report", "--output", file("s.pdf"), "--serial", "1"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("The service history holds nothing of sensor 1.\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(file("s.pdf")));
}

}  // namespace
}  // namespace kelvo
