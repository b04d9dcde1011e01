#include "qt/port_names.h"

#include <gtest/gtest.h>

namespace kelvo::qt {
namespace {

TEST(PortNames, WholeNumbersAreComPorts) {
    const PortTarget first = resolvePortName("1");
    EXPECT_EQ(first.kind, PortTarget::Kind::Serial);
#ifdef _WIN32
    EXPECT_EQ(first.device, "COM1");
    EXPECT_EQ(resolvePortName(" 12 ").device, "COM12");
#else
    EXPECT_EQ(first.device, "/dev/ttyS0");
    EXPECT_EQ(resolvePortName(" 12 ").device, "/dev/ttyS11");
#endif
    EXPECT_EQ(resolvePortName("0").kind, PortTarget::Kind::Invalid);
    EXPECT_EQ(resolvePortName("-3").kind, PortTarget::Kind::Invalid);
}

TEST(PortNames, OtherTextIsTheDeviceName) {
    for (const char* name : {"/dev/ttyUSB0", "/dev/pts/7", "COM3", "3a"}) {
        const PortTarget target = resolvePortName(name);
        EXPECT_EQ(target.kind, PortTarget::Kind::Serial) << name;
        EXPECT_EQ(target.device, name);
    }
    EXPECT_EQ(resolvePortName("   ").kind, PortTarget::Kind::Invalid);
}

TEST(PortNames, VirtualSensorsTakeAPlatformAndAnOptionalVersion) {
    struct Case {
        const char* name;
        int platform;
        int version;
    };
    for (const Case c :
         {Case{"virtual:5", 5, 0}, Case{"virtual:6", 6, 0}, Case{"virtual:61", 61, 0},
          Case{"virtual:7", 7, 1}, Case{"virtual:6v3", 6, 3}, Case{"Virtual:61V1", 61, 1},
          Case{"virtual:7v2", 7, 2}}) {
        const PortTarget target = resolvePortName(c.name);
        ASSERT_EQ(target.kind, PortTarget::Kind::Virtual) << c.name;
        EXPECT_EQ(target.platform, c.platform) << c.name;
        EXPECT_EQ(target.version, c.version) << c.name;
    }
    for (const char* network : {"virtual:net", " Virtual:NET "})
        EXPECT_EQ(resolvePortName(network).kind, PortTarget::Kind::VirtualNetwork) << network;
    for (const char* bad : {"virtual:", "virtual:8", "virtual:6v", "virtual:6vx", "virtual:v3",
                            "virtual:6v3.5", "virtual:99999999999", "virtual:nett"}) {
        const PortTarget target = resolvePortName(bad);
        EXPECT_EQ(target.kind, PortTarget::Kind::Invalid) << bad;
        EXPECT_FALSE(target.error.empty()) << bad;
    }
}

}  // namespace
}  // namespace kelvo::qt
