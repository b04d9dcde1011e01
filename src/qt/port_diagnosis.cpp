#include "qt/port_diagnosis.h"

#include <QSerialPort>

#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace kelvo::qt {
namespace {

#ifndef _WIN32
// The group that may use the device: "dialout" on Debian and Ubuntu, "uucp" elsewhere.
std::string deviceGroup(const std::string& device) {
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0) return {};
    const group* g = ::getgrgid(info.st_gid);
    return g ? g->gr_name : std::string();
}
#endif

}  // namespace

std::string portProblem(const std::string& device) {
#ifndef _WIN32
    if (::access(device.c_str(), R_OK | W_OK) != 0 && errno == EACCES) {
        const std::string group = deviceGroup(device);
        if (group.empty() || group == "root") return "no permission to use it";
        return "no permission: the user must be in the group '" + group + "' (sudo usermod -aG " +
               group + " $USER, then log in again)";
    }
#endif
    QSerialPort port;
    port.setPortName(QString::fromStdString(device));
    if (port.open(QIODevice::ReadWrite)) {
        port.close();
        return {};
    }
    switch (port.error()) {
        case QSerialPort::PermissionError:
            return "in use by another program";
        case QSerialPort::DeviceNotFoundError:
            return "not present";
        default:
            return port.errorString().toStdString();
    }
}

}  // namespace kelvo::qt
