#pragma once

#include "app/PageControl.h"
#include "base/LinkKind.h"

#include <QWidget>

// The builders of a set of link pages, one per link kind; `mqtt` stays null where the set has no
// MQTT page (LinkKindTable says which kinds have a page), and that kind is never built.
template <typename Page> struct LinkPageBuilders
{
    using Build = QWidget *(Page::*)();
    Build tcpToReaders;
    Build serial;
    Build tcpListener;
    Build udp;
    Build mqtt = nullptr;

    QWidget *build(Page *page, LinkKind kind) const
    {
        switch (kind) {
        case LinkKind::TcpToReaders:
            return (page->*tcpToReaders)();
        case LinkKind::Serial:
            return (page->*serial)();
        case LinkKind::TcpListener:
            return (page->*tcpListener)();
        case LinkKind::Mqtt:
            if (mqtt)
                return (page->*mqtt)();
            break;
        case LinkKind::Udp:
            break;
        }
        return (page->*udp)();
    }
};

// The link pages of a page control, one per link kind that has a page in `pageIndex`, in the table's
// page order: `pageName` names a kind's page and `build` makes it.
template <typename NameOf, typename Build>
void addLinkPages(PageControl *pages, int LinkKindTable::Row::*pageIndex, NameOf pageName, Build build)
{
    for (int index = 0; index < LinkKindTable::pageCount(pageIndex); ++index) {
        const LinkKind kind = LinkKindTable::kindWhere(pageIndex, index);
        pages->addPage(build(kind), pageName(kind), QLatin1String(LinkKindTable::caption(kind)));
    }
}
