#pragma once

#include <QObject>

// The four ways the program reaches readers. The same four kinds serve reading (the "Read TAG" link
// pages) and configuration (the "Set Reader" link pages).
namespace LinkKinds {
Q_NAMESPACE

enum class LinkKind
{
    TcpToReaders, // the host connects out to readers that listen ("TCP Server" page)
    Serial,       // numbered serial ports ("COM" page)
    TcpListener,  // the host listens and readers connect in ("TCP Client" page)
    Udp,          // datagrams to and from readers ("UDP" page)
};
Q_ENUM_NS(LinkKind)

} // namespace LinkKinds

using LinkKinds::LinkKind;

namespace LinkKindTable {
// The value kept as "PAGE" in the settings: 0 TCP Server, 1 COM, 2 TCP Client, 3 UDP.
constexpr int storedPage(LinkKind kind)
{
    switch (kind) {
    case LinkKind::TcpToReaders:
        return 0;
    case LinkKind::Serial:
        return 1;
    case LinkKind::TcpListener:
        return 2;
    case LinkKind::Udp:
        return 3;
    }
    return 3;
}

// "PAGE" back to a kind: 0, 1 and 2 stand for themselves, anything else is UDP.
constexpr LinkKind fromStoredPage(int page)
{
    switch (page) {
    case 0:
        return LinkKind::TcpToReaders;
    case 1:
        return LinkKind::Serial;
    case 2:
        return LinkKind::TcpListener;
    default:
        return LinkKind::Udp;
    }
}
} // namespace LinkKindTable
