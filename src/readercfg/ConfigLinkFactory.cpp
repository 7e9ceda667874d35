#include "readercfg/ConfigLinkFactory.h"

#include "link/SerialPortMap.h"
#include "readercfg/SerialConfigLink.h"
#include "readercfg/TcpClientConfigLink.h"
#include "readercfg/TcpListenerConfigLink.h"
#include "readercfg/UdpConfigLink.h"

namespace ConfigLinkFactory {

QString serialDevice(const ConfigLinkRequest &request)
{
    const QString given = request.comDevice.trimmed();
    return given.isEmpty() ? SerialPortMap::defaultDevice(request.comNumber) : given;
}

std::unique_ptr<ConfigLink> create(const ConfigLinkRequest &r)
{
    switch (r.kind) {
    case LinkKind::Serial:
        return std::make_unique<SerialConfigLink>(serialDevice(r), r.serialMode);
    case LinkKind::TcpToReaders:
        return std::make_unique<TcpClientConfigLink>(r.tcpServerHost, r.tcpServerPort);
    case LinkKind::TcpListener:
        return std::make_unique<TcpListenerConfigLink>(r.listenAddress, r.listenPort, r.acceptAddress,
                                                       r.handedOver);
    case LinkKind::Udp:
        return std::make_unique<UdpConfigLink>(r.udpLocalAddress, r.udpLocalPort, r.udpDestAddress,
                                               r.udpDestPort, r.handedOver);
    case LinkKind::Mqtt:
        break; // a broker has no reader to configure
    }
    return nullptr;
}

} // namespace ConfigLinkFactory
