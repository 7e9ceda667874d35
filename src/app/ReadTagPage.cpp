#include "app/ReadTagPage.h"

#include "app/Controls.h"
#include "app/PageControl.h"
#include "app/ReadButtonPanel.h"
#include "app/ReadLinkPages.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QListView>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

using namespace Controls;

namespace {
QTableView *grid(QWidget *parent, const char *name)
{
    auto *view = new QTableView(parent);
    view->setObjectName(QLatin1String(name));
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(20);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setDefaultSectionSize(56);
    return view;
}

QListView *list(QWidget *parent, const char *name)
{
    auto *view = new QListView(parent);
    view->setObjectName(QLatin1String(name));
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setUniformItemSizes(true);
    return view;
}
} // namespace

ReadTagPage::ReadTagPage(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto *left = new QVBoxLayout;
    m_links = new ReadLinkPages(this);
    m_buttons = new ReadButtonPanel(this);
    left->addWidget(m_links, 1);
    left->addWidget(m_buttons);
    layout->addLayout(left);

    m_pcReadTag = new PageControl(QStringLiteral("pcReadTag"), this);
    m_pcReadTag->addPage(buildViewAllPage(), QStringLiteral("tsViewAllTag"), QStringLiteral("View All TAG"));
    m_pcReadTag->addPage(buildViewSelectPage(), QStringLiteral("tsViewSelTag"),
                         QStringLiteral("View Select TAG"));
    layout->setStretch(0, 0);
    layout->addWidget(m_pcReadTag, 1);
}

QWidget *ReadTagPage::buildViewAllPage()
{
    auto *page = new QWidget;
    auto *v = new QVBoxLayout(page);
    auto *filterRow = new QHBoxLayout;
    filterRow->addWidget(label(page, "lblTagFilter", QStringLiteral("Tag ID Filter :")));
    m_edtTagFilter = edit(page, QStringLiteral("edtTagFilter"), QString());
    m_edtTagFilter->setMaxLength(16);
    filterRow->addWidget(m_edtTagFilter, 1);
    m_cbxBeep = check(page, QStringLiteral("cbxBeep"), QStringLiteral("Beep"));
    filterRow->addWidget(m_cbxBeep);
    v->addLayout(filterRow);

    auto *typeGrid = new QGridLayout;
    const char *captions[4] = {"Standard TAG", "One Temperature", "Two Temperature",
                               "Temperature && Humidity"};
    for (int n = 1; n <= 4; ++n) {
        auto *box = check(page, QStringLiteral("chk") + twoDigits(n), QLatin1String(captions[n - 1]));
        box->setChecked(true);
        m_typeChecks[size_t(n - 1)] = box;
        typeGrid->addWidget(box, (n - 1) / 2, (n - 1) % 2);
    }
    typeGrid->setColumnStretch(2, 1);
    v->addLayout(typeGrid);

    // The grid above, the tag list and the selection below; the user may move the border.
    auto *body = new QSplitter(Qt::Vertical, page);
    body->setObjectName(QStringLiteral("splViewAll"));
    body->setChildrenCollapsible(false);
    m_grdUID = grid(body, "grdUID");
    body->addWidget(m_grdUID);
    m_pnlSel = new QWidget(page);
    m_pnlSel->setObjectName(QStringLiteral("pnlSel"));
    auto *selLayout = new QVBoxLayout(m_pnlSel);
    selLayout->setContentsMargins(0, 0, 0, 0);
    selLayout->addWidget(label(m_pnlSel, "lblSelTag", QStringLiteral("Select TAG ID (Double Click)")));
    auto *lists = new QHBoxLayout;
    m_lvTag = list(m_pnlSel, "lvTag");
    m_lvSel = list(m_pnlSel, "lvSel");
    lists->addWidget(m_lvTag, 1);
    lists->addWidget(m_lvSel, 1);
    selLayout->addLayout(lists, 1);
    // The tag list and the selection share the panel half and half.
    body->addWidget(m_pnlSel);
    body->setStretchFactor(0, 3);
    body->setStretchFactor(1, 2);
    v->addWidget(body, 1);
    return page;
}

QWidget *ReadTagPage::buildViewSelectPage()
{
    auto *page = new QWidget;
    auto *v = new QVBoxLayout(page);
    auto *timing = new QHBoxLayout;
    timing->addWidget(label(page, "lblNo", QStringLiteral("Number:")));
    m_edNo = edit(page, QStringLiteral("edNo"), QStringLiteral("1"));
    m_edNo->setMaximumWidth(60);
    timing->addWidget(m_edNo);
    timing->addWidget(label(page, "lblTime", QStringLiteral("Time:")));
    m_pnlTime = panel(page, "pnlTime", QStringLiteral("0.0"));
    timing->addWidget(m_pnlTime);
    m_pnCount = panel(page, "pnCount", QStringLiteral("0"));
    timing->addWidget(m_pnCount);
    timing->addStretch(1);
    v->addLayout(timing);

    auto *csv = new QHBoxLayout;
    m_edFile = edit(page, QStringLiteral("edFile"), QString());
    csv->addWidget(m_edFile, 1);
    m_btnFile = button(page, "btnFile", QStringLiteral("..."));
    csv->addWidget(m_btnFile);
    m_chbAutoSave = check(page, QStringLiteral("chbAutoSave"), QStringLiteral("Auto Save To File"));
    csv->addWidget(m_chbAutoSave);
    m_chbAllTags = check(page, QStringLiteral("chbAllTags"), QStringLiteral("All tags"));
    csv->addWidget(m_chbAllTags);
    m_btnSave = button(page, "btnSave", QStringLiteral("Save"));
    csv->addWidget(m_btnSave);
    m_edFile2 = edit(page, QStringLiteral("edFile2"), QString());
    m_edFile2->hide();
    v->addLayout(csv);

    m_grdSel = grid(page, "grdSel");
    v->addWidget(m_grdSel, 1);
    return page;
}

void ReadTagPage::setModels(QAbstractItemModel *allTags, QAbstractItemModel *selectedTags,
                            QAbstractItemModel *tagList, QAbstractItemModel *selection)
{
    m_grdUID->setModel(allTags);
    m_grdSel->setModel(selectedTags);
    fitGridColumns();
    m_lvTag->setModel(tagList);
    m_lvSel->setModel(selection);
}

void ReadTagPage::fitGridColumns()
{
    // No. | UID | RSSI | LQI | DI | T1 | T2 [| Count]: the UID and sensor texts need the room.
    for (QTableView *view : {m_grdUID, m_grdSel}) {
        const QFontMetrics fm(view->font());
        const auto width = [&fm](const char *sample) {
            return fm.horizontalAdvance(QLatin1String(sample)) + 16;
        };
        view->setColumnWidth(0, width("00000"));
        view->setColumnWidth(1, width("0000000000000000"));
        view->setColumnWidth(4, width("[BAT=00][SW]"));
        view->setColumnWidth(5, width("-00.00 C / -00.00 F"));
        view->setColumnWidth(6, width("-00.00 C / -00.00 F"));
    }
}
