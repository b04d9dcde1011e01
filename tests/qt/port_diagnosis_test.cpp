// What the port pick list says of a device it cannot open.
#include "qt/port_diagnosis.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QSerialPort>

namespace kelvo::qt {
namespace {

// A pseudo-terminal stands in for a serial device.
struct Pty {
    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            path = ::ptsname(master);
    }
    ~Pty() {
        if (master >= 0) ::close(master);
    }
    int master = -1;
    std::string path;
};

TEST(PortDiagnosis, SaysWhyADeviceCannotBeOpened) {
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    EXPECT_EQ(portProblem(pty.path), "") << "a free device opens";
    EXPECT_EQ(portProblem("/dev/kelvo-no-such-device"), "not present");

    QSerialPort holder;
    holder.setPortName(QString::fromStdString(pty.path));
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite)) << holder.errorString().toStdString();
    EXPECT_EQ(portProblem(pty.path), "in use by another program");
    holder.close();
    EXPECT_EQ(portProblem(pty.path), "") << "the probe leaves the device free";
}

}  // namespace
}  // namespace kelvo::qt
