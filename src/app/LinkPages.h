#pragma once

#include "app/PageControl.h"
#include "base/LinkKind.h"

#include <QWidget>

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
