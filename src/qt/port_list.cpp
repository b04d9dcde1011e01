#include "qt/port_list.h"

#include <QSerialPortInfo>

#include "qt/port_diagnosis.h"
#include "qt/port_names.h"

namespace kelvo::qt {

std::vector<PortChoice> virtualPorts() {
    std::vector<PortChoice> ports;
    for (int platform : {5, 6, 61, 7}) {
        ports.push_back({kVirtualPrefix + std::to_string(platform),
                         "Virtual platform-" + std::to_string(platform) + " sensor, version " +
                             std::to_string(defaultVirtualVersion(platform)),
                         {}});
    }
    ports.push_back({kVirtualNetworkName,
                     "Virtual sensor network: platforms 5, 6, 61 and 7 at IDs 1 to 4", {}});
    return ports;
}

std::vector<PortChoice> availablePorts() {
    std::vector<PortChoice> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
#ifdef _WIN32
        const QString name = info.portName();
#else
        const QString name = info.systemLocation();
#endif
        QString description = info.description();
        if (!info.manufacturer().isEmpty())
            description += (description.isEmpty() ? "" : ", ") + info.manufacturer();
        ports.push_back({name.toStdString(), description.toStdString(),
                         portProblem(info.systemLocation().toStdString())});
    }
    const auto virtuals = virtualPorts();
    ports.insert(ports.end(), virtuals.begin(), virtuals.end());
    return ports;
}

}  // namespace kelvo::qt
