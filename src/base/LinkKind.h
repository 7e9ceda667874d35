#pragma once

#include <QObject>

// The ways the program reaches readers. The first four serve reading (the "Read TAG" link pages) and
// configuration (the "Set Reader" link pages); the fifth reads, through an MQTT broker, the reports
// other instances publish, and has no "Set Reader" page (there is no reader to configure).
namespace LinkKinds {
Q_NAMESPACE

enum class LinkKind
{
    TcpToReaders, // the host connects out to readers that listen ("TCP Server" page)
    Serial,       // numbered serial ports ("COM" page)
    TcpListener,  // the host listens and readers connect in ("TCP Client" page)
    Udp,          // datagrams to and from readers ("UDP" page)
    Mqtt,         // reports other instances publish to a broker ("MQTT" page, reading only)
};
Q_ENUM_NS(LinkKind)

} // namespace LinkKinds

using LinkKinds::LinkKind;

// Serial ports COM1..COM20 and reader addresses 1..20: the numbered entries of the link pages, of the
// stored settings and of `talvo-cli read --tcp`.
inline constexpr int kNumberedLinkCount = 20;

namespace LinkKindTable {
// One row per kind: the value kept as "PAGE" in the settings, the index and the object name of its
// page among the "Read TAG" link pages and among the "Set Reader" link pages, and the page's caption
// (its translation key). The page controls add their pages in index order; kNoPage (and no name)
// marks a kind without a page in that set.
inline constexpr int kNoPage = -1;

struct Row
{
    LinkKind kind;
    int storedPage;
    int readPageIndex;
    int setReaderPageIndex;
    const char *caption;
    const char *readPageName;
    const char *setReaderPageName;
};

inline constexpr int kKindCount = 5;
inline constexpr Row kRows[kKindCount] = {
    {LinkKind::TcpToReaders, 0, 2, 2, "TCP Server", "tsNET", "tsTcpServer"},
    {LinkKind::Serial, 1, 0, 0, "COM", "tsCOM", "tsComPort"},
    {LinkKind::TcpListener, 2, 3, 3, "TCP Client", "tsNetServer", "tsTcpClient"},
    {LinkKind::Udp, 3, 1, 1, "UDP", "tsUDP", "tsUdpServer"},
    {LinkKind::Mqtt, 4, 4, kNoPage, "MQTT", "tsMQTT", nullptr},
};

constexpr const Row &row(LinkKind kind)
{
    for (const Row &r : kRows) {
        if (r.kind == kind)
            return r;
    }
    return kRows[3];
}

// How many kinds have a page in `column` (their indexes are 0 up to this count).
constexpr int pageCount(int Row::*column)
{
    int count = 0;
    for (const Row &r : kRows) {
        if (r.*column != kNoPage)
            ++count;
    }
    return count;
}

// The kind whose column `column` holds `value`; UDP when none does (as "PAGE" reads any other value).
constexpr LinkKind kindWhere(int Row::*column, int value)
{
    for (const Row &r : kRows) {
        if (r.*column == value)
            return r.kind;
    }
    return LinkKind::Udp;
}

constexpr int storedPage(LinkKind kind)
{
    return row(kind).storedPage;
}

// "PAGE" back to a kind: 0, 1, 2 and 4 stand for themselves, anything else is UDP.
constexpr LinkKind fromStoredPage(int page)
{
    return kindWhere(&Row::storedPage, page);
}

constexpr int readPageIndex(LinkKind kind)
{
    return row(kind).readPageIndex;
}

constexpr int setReaderPageIndex(LinkKind kind)
{
    return row(kind).setReaderPageIndex;
}

constexpr LinkKind fromReadPageIndex(int index)
{
    return index == kNoPage ? LinkKind::Udp : kindWhere(&Row::readPageIndex, index);
}

constexpr LinkKind fromSetReaderPageIndex(int index)
{
    return index == kNoPage ? LinkKind::Udp : kindWhere(&Row::setReaderPageIndex, index);
}

// The kind whose page has index `index`, in page order (for building the pages).
constexpr LinkKind inPageOrder(int index)
{
    return fromReadPageIndex(index);
}

constexpr const char *caption(LinkKind kind)
{
    return row(kind).caption;
}
} // namespace LinkKindTable
