#include "app/ReadTagPage.h"

#include "app/Controls.h"
#include "app/PageControl.h"
#include "app/ReadButtonPanel.h"
#include "app/ReadLinkPages.h"
#include "app/WindowTranslator.h"
#include "base/PortText.h"
#include "i18n/LanguageTable.h"
#include "reading/TagTableModel.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QKeyEvent>
#include <QListView>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

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

// A list with its column header ("ID") above it.
QWidget *withHeader(QListView *view, const char *headerName)
{
    auto *box = new QWidget(view->parentWidget());
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *header = new QHeaderView(Qt::Horizontal, box);
    header->setObjectName(QLatin1String(headerName));
    header->setStretchLastSection(true);
    header->setSectionsClickable(false);
    layout->addWidget(header);
    view->setParent(box);
    layout->addWidget(view, 1);
    return box;
}

// Sets a text only when it changed, so a typing user's cursor stays put.
void showText(QLineEdit *edit, const QString &text)
{
    if (edit->text() != text)
        edit->setText(text);
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

    m_pcReadTag = new PageControl(QStringLiteral("pcReadTag"), this, PageControl::TabLook::Plain);
    m_pcReadTag->addPage(buildViewAllPage(), QStringLiteral("tsViewAllTag"), QStringLiteral("View All TAG"));
    m_pcReadTag->addPage(buildViewSelectPage(), QStringLiteral("tsViewSelTag"),
                         QStringLiteral("View Select TAG"));
    layout->setStretch(0, 0);
    // The "Publish" group takes one line below the tag views (its settings fold out).
    auto *right = new QVBoxLayout;
    right->addWidget(m_pcReadTag, 1);
    m_publish = new PublishGroup(this);
    right->addWidget(m_publish);
    layout->addLayout(right, 1);
    m_edNo->installEventFilter(this);
    connectIntents();
}

void ReadTagPage::addTagView(QWidget *view, const QString &name, const QString &caption)
{
    m_pcReadTag->addPage(view, name, caption);
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
    lists->addWidget(withHeader(m_lvTag, "lvTagHeader"), 1);
    lists->addWidget(withHeader(m_lvSel, "lvSelHeader"), 1);
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

    auto *file = new QHBoxLayout;
    m_edFile = edit(page, QStringLiteral("edFile"), QString());
    file->addWidget(m_edFile, 1);
    m_btnFile = button(page, "btnFile", QStringLiteral("..."));
    file->addWidget(m_btnFile);
    v->addLayout(file);
    auto *csv = new QHBoxLayout;
    m_chbAutoSave = check(page, QStringLiteral("chbAutoSave"), QStringLiteral("Auto Save To File"));
    csv->addWidget(m_chbAutoSave);
    m_chbAllTags = check(page, QStringLiteral("chbAllTags"), QStringLiteral("All tags"));
    csv->addWidget(m_chbAllTags);
    csv->addStretch(1);
    m_btnSave = button(page, "btnSave", QStringLiteral("Save"));
    csv->addWidget(m_btnSave);
    m_edFile2 = edit(page, QStringLiteral("edFile2"), QString());
    m_edFile2->hide();
    v->addLayout(csv);

    m_grdSel = grid(page, "grdSel");
    v->addWidget(m_grdSel, 1);
    return page;
}

void ReadTagPage::connectIntents()
{
    ReadButtonPanel *b = m_buttons;
    connect(b->btnStart(), &QPushButton::clicked, this, &ReadTagPage::startStopRequested);
    connect(b->btnExit(), &QPushButton::clicked, this, &ReadTagPage::exitRequested);
    connect(b->btnSetTag(), &QPushButton::clicked, this, &ReadTagPage::setTagRequested);
    connect(b->btnTemperReset(), &QPushButton::clicked, this, &ReadTagPage::tamperResetRequested);
    connect(b->btnClear(), &QPushButton::clicked, this, &ReadTagPage::clearRequested);
    connect(b->sbRSSI(), &QScrollBar::valueChanged, this, &ReadTagPage::rssiThresholdChanged);
    connect(m_btnSave, &QPushButton::clicked, this, &ReadTagPage::saveRequested);
    connect(m_links, &QTabWidget::currentChanged, this, [this] { emit linkKindChanged(linkKind()); });
    for (int n = 1; n <= ReadLinkPages::kCount; ++n)
        connect(m_links->comDevice(n), &QLineEdit::editingFinished, this,
                [this, n] { emit comDeviceEdited(n, m_links->comDevice(n)->text().trimmed()); });
    for (QCheckBox *box : m_typeChecks)
        connect(box, &QCheckBox::toggled, this, &ReadTagPage::typeSwitchesChanged);
    connect(m_edtTagFilter, &QLineEdit::textEdited, this, &ReadTagPage::tagFilterEdited);
    connect(m_cbxBeep, &QCheckBox::toggled, this, &ReadTagPage::beepToggled);
    connect(m_chbAutoSave, &QCheckBox::toggled, this, &ReadTagPage::autoSaveToggled);
    connect(m_chbAllTags, &QCheckBox::toggled, this, &ReadTagPage::allTagsToggled);
    const auto clicked = [this] { emit autoSaveClicked(autoSave(), allTags()); };
    connect(m_chbAutoSave, &QCheckBox::clicked, this, clicked);
    connect(m_chbAllTags, &QCheckBox::clicked, this, clicked);
    connect(m_lvTag, &QListView::doubleClicked, this,
            [this](const QModelIndex &index) { emit tagListActivated(index.row()); });
    connect(m_lvSel, &QListView::doubleClicked, this,
            [this](const QModelIndex &index) { emit selectionActivated(index.row()); });
    connect(m_edFile, &QLineEdit::editingFinished, this, [this] { emit csvFileEdited(csvFile()); });
    connect(m_btnFile, &QPushButton::clicked, this, &ReadTagPage::chooseFile);
    connect(m_publish, &PublishGroup::edited, this, &ReadTagPage::mqttEdited);
    connect(m_links, &ReadLinkPages::brokerEdited, this, &ReadTagPage::mqttEdited);
    connectTagChoice();
}

// Choosing the tag to configure: a click on the all-tags grid takes the row's UID into "TAG ID:", a
// double click also picks the tag in the tag list and runs the list's double-click action, and typing
// in "TAG ID:" chooses what was typed.
void ReadTagPage::connectTagChoice()
{
    connect(m_grdUID, &QTableView::clicked, this, [this](const QModelIndex &index) {
        const QString uid = allTagsUid(index.row());
        if (uid.isEmpty())
            return;
        m_buttons->edtTagID()->setText(uid);
        emit tagClicked(uid);
    });
    connect(m_grdUID, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        const QString uid = allTagsUid(index.row());
        QAbstractItemModel *list = m_lvTag->model();
        if (uid.isEmpty() || !list)
            return;
        for (int row = 0; row < list->rowCount(); ++row) {
            if (list->index(row, 0).data().toString() == uid) {
                followRow(Grid::TagList, row);
                emit tagListActivated(row);
                return;
            }
        }
    });
    connect(m_buttons->edtTagID(), &QLineEdit::textEdited, this, &ReadTagPage::tagIdEdited);
}

QString ReadTagPage::allTagsUid(int row) const
{
    const QAbstractItemModel *model = m_grdUID->model();
    if (!model || row < 0 || row >= model->rowCount())
        return {};
    return model->index(row, 1).data().toString();
}

LinkKind ReadTagPage::linkKind() const
{
    return m_links->linkKind();
}

void ReadTagPage::showLinkKind(LinkKind kind)
{
    m_links->showLinkKind(kind);
}

LinkRequest ReadTagPage::linkRequest() const
{
    LinkRequest r;
    r.kind = linkKind();
    for (int n = 1; n <= ReadLinkPages::kCount; ++n) {
        if (m_links->comCheck(n)->isChecked())
            r.comPorts.append({n, comDevice(n)});
        if (m_links->ipCheck(n)->isChecked())
            r.readerAddresses.append({n, m_links->ipEdit(n)->text().trimmed()});
    }
    r.tcpRemotePort = PortText::port(m_links->edtTcpRemotePort()->text());
    r.listenPort = PortText::port(m_links->edtListenPort()->text());
    r.localPort = PortText::port(m_links->edLocalPort()->text());
    r.desPort = PortText::port(m_links->edDesPort()->text());
    return r;
}

SettingsStore::ReadingStart ReadTagPage::startSettings()
{
    m_edtTagFilter->setText(tagFilter());
    for (QLineEdit *e : {m_links->edLocalPort(), m_links->edDesPort(), m_links->edtListenPort(),
                         m_links->edtTcpRemotePort()})
        e->setText(PortText::portText(e->text()));
    const LinkRequest request = linkRequest();
    SettingsStore::ReadingStart s;
    s.tagFilterUid = m_edtTagFilter->text();
    s.tcpRemotePort = request.tcpRemotePort;
    s.localPort = request.localPort;
    s.desPort = request.desPort;
    s.listenPort = request.listenPort;
    s.page = request.kind;
    for (int n = 1; n <= ReadLinkPages::kCount; ++n) {
        s.com[size_t(n - 1)] = m_links->comCheck(n)->isChecked();
        s.net[size_t(n - 1)] = m_links->ipCheck(n)->isChecked();
        s.ip[size_t(n - 1)] = m_links->ipEdit(n)->text();
    }
    return s;
}

void ReadTagPage::applySettings(const SettingsStore::Values &v)
{
    m_links->showLinkKind(v.page);
    m_edtTagFilter->setText(v.tagFilterUid);
    m_links->edtTcpRemotePort()->setText(QString::number(v.tcpRemotePort));
    m_links->edLocalPort()->setText(QString::number(v.localPort));
    m_links->edDesPort()->setText(QString::number(v.desPort));
    m_links->edtListenPort()->setText(QString::number(v.listenPort));
    m_edFile->setText(v.fileName);
    m_chbAutoSave->setChecked(v.autoSaveFile);
    m_chbAllTags->setChecked(v.allTags);
    m_publish->applyValues(v.mqtt);
    m_publish->applyWebView(v.webView, v.webViewPort);
    m_links->applyBrokerValues(v.mqtt);
    for (int n = 1; n <= ReadLinkPages::kCount; ++n) {
        m_links->comCheck(n)->setChecked(v.com[size_t(n - 1)]);
        m_links->ipCheck(n)->setChecked(v.net[size_t(n - 1)]);
        m_links->ipEdit(n)->setText(v.ip[size_t(n - 1)]);
    }
}

SettingsStore::MqttValues ReadTagPage::mqttValues() const
{
    SettingsStore::MqttValues v;
    m_publish->fillValues(&v);
    m_links->fillBrokerValues(&v);
    return v;
}

bool ReadTagPage::publishing() const
{
    return m_publish->publishing();
}

void ReadTagPage::showPublishState(PublishGroup::State state, quint64 dropped)
{
    m_publish->showState(state, dropped);
}

void ReadTagPage::tickOnlyComPort(int number)
{
    for (int n = 1; n <= ReadLinkPages::kCount; ++n)
        m_links->comCheck(n)->setChecked(n == number);
}

void ReadTagPage::showFirstTagView()
{
    m_pcReadTag->setCurrentIndex(0);
}

QString ReadTagPage::comDevice(int number) const
{
    return m_links->comDevice(number)->text().trimmed();
}

void ReadTagPage::showComDevice(int number, const QString &device)
{
    m_links->comDevice(number)->setText(device);
}

void ReadTagPage::setRunning(bool running)
{
    m_running = running;
    showStartCaption(running ? "Stop" : "Start");
    ReadButtonPanel *b = m_buttons;
    b->setEnabled(true);
    b->btnStart()->setEnabled(true);
    b->btnClear()->setEnabled(true);
    b->btnExit()->setEnabled(!running);
    m_links->setEnabled(!running);
    m_links->showConnectionLists(running);
    m_publish->setRunning(running);
    if (!running)
        b->setIdleLook();
}

void ReadTagPage::setStopping()
{
    m_running = false;
    showStartCaption("Start");
    m_buttons->setEnabled(false);
    m_buttons->btnStart()->setEnabled(false);
    m_buttons->btnClear()->setEnabled(false);
    m_buttons->btnExit()->setEnabled(false);
}

void ReadTagPage::showStartCaption(const char *key)
{
    QPushButton *start = m_buttons->btnStart();
    WindowTranslator::setKey(start, QLatin1String(key));
    start->setText(translate(m_language, WindowTranslator::key(start)));
}

void ReadTagPage::setLanguage(Language language)
{
    m_language = language;
    showStartCaption(m_running ? "Stop" : "Start");
    m_links->setLanguage(language);
    m_publish->setLanguage(language);
}

ReportTypeSwitches ReadTagPage::typeSwitches() const
{
    ReportTypeSwitches s;
    s.standard = m_typeChecks[0]->isChecked();
    s.oneTemperature = m_typeChecks[1]->isChecked();
    s.twoTemperature = m_typeChecks[2]->isChecked();
    s.temperatureHumidity = m_typeChecks[3]->isChecked();
    return s;
}

QString ReadTagPage::tagFilter() const
{
    return m_edtTagFilter->text().trimmed();
}

QString ReadTagPage::csvFile() const
{
    return m_edFile->text().trimmed();
}

QString ReadTagPage::tagId() const
{
    return m_buttons->edtTagID()->text();
}

bool ReadTagPage::autoSave() const
{
    return m_chbAutoSave->isChecked();
}

bool ReadTagPage::allTags() const
{
    return m_chbAllTags->isChecked();
}

bool ReadTagPage::beep() const
{
    return m_cbxBeep->isChecked();
}

int ReadTagPage::rssiThreshold() const
{
    return m_buttons->sbRSSI()->value();
}

void ReadTagPage::setModels(QAbstractItemModel *allTags, QAbstractItemModel *selectedTags,
                            QAbstractItemModel *tagList, QAbstractItemModel *selection)
{
    m_grdUID->setModel(allTags);
    m_grdSel->setModel(selectedTags);
    fitGridColumns();
    m_lvTag->setModel(tagList);
    m_lvSel->setModel(selection);
    for (const char *name : {"lvTagHeader", "lvSelHeader"}) {
        auto *header = findChild<QHeaderView *>(QLatin1String(name));
        header->setModel(name[2] == 'T' ? tagList : selection);
        header->setFixedHeight(header->sizeHint().height());
    }
}

int ReadTagPage::uidWidth(const QFontMetrics &fm)
{
    int digit = 0;
    for (char c : QByteArrayLiteral("0123456789ABCDEF"))
        if (c)
            digit = std::max(digit, fm.horizontalAdvance(QLatin1Char(c)));
    return 16 * digit;
}

void ReadTagPage::fitGridColumns()
{
    // No. | UID | RSSI | LQI | DI | T1 | T2 [| Count]: the short columns and UID are as wide as their
    // header or their widest value (all 16 characters of a UID); T1 and T2 share the rest, so every
    // column is on screen at the window's default size (a longer DI or T2 text is elided and shown
    // whole in its tooltip). Widths come from the font, not from the rows, so reports never resize
    // columns.
    const char *samples[] = {"00000", "", "000", "000", "[BAT=00]", nullptr, nullptr, "000000"};
    for (QTableView *grid : {m_grdUID, m_grdSel}) {
        QHeaderView *header = grid->horizontalHeader();
        header->setStretchLastSection(false);
        const QFontMetrics fm(grid->font());
        const QFontMetrics headerFm(header->font());
        const int columns = grid->model() ? grid->model()->columnCount() : 0;
        for (int c = 0; c < columns && c < int(std::size(samples)); ++c) {
            if (!samples[c]) {
                header->setSectionResizeMode(c, QHeaderView::Stretch);
                continue;
            }
            const QString title = grid->model()->headerData(c, Qt::Horizontal).toString();
            const int sample = *samples[c] ? fm.horizontalAdvance(QLatin1String(samples[c])) : uidWidth(fm);
            const int width = std::max(sample, headerFm.horizontalAdvance(title));
            header->setSectionResizeMode(c, QHeaderView::Interactive);
            header->resizeSection(c, width + 16);
        }
    }
}

QAbstractItemView *ReadTagPage::view(Grid grid) const
{
    switch (grid) {
    case Grid::AllTags:
        return m_grdUID;
    case Grid::SelectedTags:
        return m_grdSel;
    case Grid::TagList:
        return m_lvTag;
    case Grid::Selection:
        break;
    }
    return m_lvSel;
}

void ReadTagPage::followRow(Grid grid, int row)
{
    QAbstractItemView *v = view(grid);
    if (row < 0 || !v->model())
        return;
    const QModelIndex index = v->model()->index(row, 0);
    v->setCurrentIndex(index);
    v->scrollTo(index);
}

void ReadTagPage::focusSelectionRow(int row)
{
    m_lvSel->setFocus();
    followRow(Grid::Selection, row);
}

void ReadTagPage::showTagCount(const QString &text)
{
    m_buttons->pnlTagCount()->setText(text);
}

void ReadTagPage::showTagId(const QString &uid)
{
    showText(m_buttons->edtTagID(), uid);
}

void ReadTagPage::showSelectionTime(const QString &text)
{
    m_pnlTime->setText(text);
}

void ReadTagPage::showSelectedCount(const QString &text)
{
    m_pnCount->setText(text);
}

void ReadTagPage::showRssi(const QString &text)
{
    m_buttons->pnRSSI()->setText(text);
}

void ReadTagPage::showNumber(const QString &text)
{
    showText(m_edNo, text);
}

void ReadTagPage::showTagFilter(const QString &text)
{
    showText(m_edtTagFilter, text);
}

void ReadTagPage::showCsvFile(const QString &file)
{
    showText(m_edFile, file);
}

void ReadTagPage::showAllTagsFile(const QString &file)
{
    m_edFile2->setText(file);
}

void ReadTagPage::showTamper(bool shown, const QString &caption)
{
    m_buttons->pnlTamper()->setText(caption);
    m_buttons->pnlTamper()->setVisible(shown);
    m_buttons->btnTemperReset()->setVisible(shown);
}

void ReadTagPage::setBlinkPhase(int phase)
{
    m_buttons->setBlinkPhase(phase);
}

void ReadTagPage::appendConnectionLog(const LinkLogEvent &event)
{
    m_links->appendLog(event);
}

void ReadTagPage::listClient(const QString &line)
{
    m_links->listClient(line);
}

void ReadTagPage::unlistClient(const QString &line)
{
    m_links->unlistClient(line);
}

void ReadTagPage::listSender(const QString &line)
{
    m_links->listSender(line);
}

bool ReadTagPage::eventFilter(QObject *watched, QEvent *event)
{
    // "Number:": a typed character restarts the selection timing; a released key also rewrites the
    // box as its number. Both wait until the box holds the key's effect.
    if (watched == m_edNo) {
        if (event->type() == QEvent::KeyPress && !static_cast<QKeyEvent *>(event)->text().isEmpty())
            QMetaObject::invokeMethod(this, &ReadTagPage::numberKeyPressed, Qt::QueuedConnection);
        else if (event->type() == QEvent::KeyRelease)
            QMetaObject::invokeMethod(
                this, [this] { emit numberKeyReleased(m_edNo->text()); }, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void ReadTagPage::chooseFile()
{
    // The dialog is not modal to the event loop: reading goes on while it is open.
    if (!m_fileDialog) {
        m_fileDialog = new QFileDialog(this, QString(), QString(), QStringLiteral("Excel CSV files (*.csv)"));
        m_fileDialog->setObjectName(QStringLiteral("dlgSaveFile"));
        m_fileDialog->setAcceptMode(QFileDialog::AcceptSave);
        m_fileDialog->setDefaultSuffix(QStringLiteral("csv"));
        connect(m_fileDialog, &QFileDialog::fileSelected, this, [this](const QString &file) {
            if (file.isEmpty())
                return;
            showText(m_edFile, file);
            emit csvFileChosen(file);
        });
    }
    const QFileInfo current(m_edFile->text());
    m_fileDialog->setDirectory(current.absolutePath());
    m_fileDialog->selectFile(current.fileName());
    m_fileDialog->open();
}
