// Every configuration path of the window goes over the link the user picked: a "Set Reader" button,
// a tag button ("TAG LED Mode"), the tag read loop and a provisioning plan, each over a numbered
// port other than COM1 whose device is a pty, a system device, a typed device path, TCP to a reader
// on a port other than the default, a listener on such a port, and UDP with other destination and
// local ports. The simulated reader there hears the command, a second simulated reader on COM1's
// device hears nothing, and the path opens one link.
#include "FastTiming.h"
#include "WindowControls.h"
#include "app/ProvisionController.h"
#include "app/SetReaderController.h"
#include "app/SetReaderPage.h"
#include "app/SetTagController.h"
#include "app/TfrmModule.h"
#include "base/SettingsStore.h"
#include "base/TonePlayer.h"
#include "link/ComPortNames.h"
#include "link/SerialPortMap.h"
#include "readercfg/ConfigLink.h"
#include "sim/PtyTransport.h"
#include "sim/ReaderChannel.h"
#include "sim/TagPopulation.h"
#include "sim/TcpClientTransport.h"
#include "sim/TcpServerTransport.h"
#include "sim/UdpTransport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

namespace {
enum class Path
{
    ReaderButton,
    TagButton,
    ReadLoop,
    Plan
};

enum class Link
{
    NumberedPty,  // "COM3  /dev/pts/N" as the list shows it
    SystemDevice, // a device the system lists, offered by its path
    TypedDevice,  // a path typed into the list's box
    TcpToReader,
    Listener,
    Udp
};

constexpr int kReplyWaitMs = 200;

// A port nothing listens on now: bound, read and let go.
quint16 freePort(bool udp)
{
    if (udp) {
        QUdpSocket s;
        s.bind(QHostAddress::AnyIPv4, 0);
        return s.localPort();
    }
    QTcpServer s;
    s.listen(QHostAddress::AnyIPv4, 0);
    return s.serverPort();
}
} // namespace

Q_DECLARE_METATYPE(Path)
Q_DECLARE_METATYPE(Link)

class TestConfigLinkPaths : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    SilentTonePlayer m_tone;
    int m_files = 0;
    TagPopulation m_tags{3, 5};
    std::unique_ptr<ReaderChannel> m_decoy; // on COM1's device
    std::unique_ptr<ReaderChannel> m_sim;   // where the user points the link
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<TfrmModule> m_w;
    QList<QByteArray> m_heard;
    int m_decoyBytes = 0;
    int m_links = 0;

    QByteArray uid() const { return m_tags.tag(0).uid; }

    std::unique_ptr<ReaderChannel> reader(std::unique_ptr<SimTransport> transport, bool serial)
    {
        ReaderChannel::Settings s;
        s.reader.airDelayMs = 20;
        s.reader.portKind = serial ? SimReader::PortKind::Serial : SimReader::PortKind::Network;
        auto channel = std::make_unique<ReaderChannel>(&m_tags, std::move(transport), s);
        return channel->open() ? std::move(channel) : nullptr;
    }

    // The reader the link should reach, and the fields of its link page once the page is shown.
    bool startTarget(Link link, quint16 *localPort)
    {
        switch (link) {
        case Link::NumberedPty:
        case Link::SystemDevice:
        case Link::TypedDevice:
            m_sim = reader(std::make_unique<PtyTransport>(), true);
            break;
        case Link::TcpToReader:
            m_sim = reader(std::make_unique<TcpServerTransport>(QHostAddress::LocalHost, 0), false);
            break;
        case Link::Listener:
            *localPort = freePort(false);
            m_sim = reader(std::make_unique<TcpClientTransport>(QStringLiteral("127.0.0.1"), *localPort,
                                                                QHostAddress("127.0.0.7"), 20),
                           false);
            break;
        case Link::Udp:
            *localPort = freePort(true);
            m_sim = reader(std::make_unique<UdpTransport>(QHostAddress("127.0.0.2"), 0), false);
            break;
        }
        if (!m_sim)
            return false;
        connect(m_sim.get(), &ReaderChannel::commandAnswered, this,
                [this](const QByteArray &command) { m_heard.append(command); });
        return true;
    }

    void setEdit(const char *name, const QString &text)
    {
        control<QLineEdit>(m_w.get(), name)->setText(text);
    }

    // What the user does on the link panel, wherever it is shown.
    void pickLink(Link link, quint16 localPort)
    {
        static const char *const kPages[] = {"tsComPort",   "tsComPort",   "tsComPort",
                                             "tsTcpServer", "tsTcpClient", "tsUdpServer"};
        auto *pages = control<QTabWidget>(m_w.get(), "pcSetReadMain");
        pages->setCurrentWidget(control<QWidget>(m_w.get(), kPages[int(link)]));
        auto *com = control<QComboBox>(m_w.get(), "cbxCom");
        const QString device = m_sim->transport().endpoint();
        switch (link) {
        case Link::NumberedPty:
            com->setCurrentIndex(com->findText(QStringLiteral("COM3  ") + device));
            QVERIFY(com->currentIndex() > 0);
            break;
        case Link::SystemDevice:
            // The list as the window fills it, with the pty among the system's devices.
            m_w->findChild<SetReaderPage *>()->setComPorts(
                ComPortNames::fromSystemNames(ComPortNames::systemNames()),
                SerialPortMap::fromVariantMap(m_store->comDevices()), {device});
            com->setCurrentIndex(com->findText(device));
            QVERIFY(com->currentIndex() > 0);
            break;
        case Link::TypedDevice:
            com->setEditText(device);
            break;
        case Link::TcpToReader:
            setEdit("edtTcpServerIP", QStringLiteral("127.0.0.1"));
            setEdit("edtTcpServerPort", QString::number(m_sim->transport().localPort()));
            break;
        case Link::Listener:
            setEdit("edtLisPort", QString::number(localPort));
            setEdit("edtTcpClientIP", QStringLiteral("127.0.0.7"));
            break;
        case Link::Udp:
            setEdit("edtUdpDesIP", QStringLiteral("127.0.0.2"));
            setEdit("edUDPDesPort", QString::number(m_sim->transport().localPort()));
            setEdit("edUDPLocPort", QString::number(localPort));
            break;
        }
    }

    template <typename Sender> void countLinks(Sender *sender, void (Sender::*signal)(ConfigLink *))
    {
        connect(sender, signal, this, [this] { ++m_links; });
    }

    // The page the path runs on, in front.
    void showPathPage(Path path)
    {
        if (path == Path::ReaderButton) {
            control<QTabWidget>(m_w.get(), "pcMain")
                ->setCurrentWidget(control<QWidget>(m_w.get(), "tsSetReader"));
            return;
        }
        auto *tag = control<QLineEdit>(m_w.get(), "edtTagID");
        tag->clear();
        QTest::keyClicks(tag, QString::fromLatin1(uid()));
        control<QPushButton>(m_w.get(), "btnSetTag")->click();
        QCOMPARE(control<QTabWidget>(m_w.get(), "pcMain")->currentWidget()->objectName(),
                 QStringLiteral("tsSetTAG"));
    }

    // The command the reader must hear from the path.
    QByteArray expectedCommand(Path path) const
    {
        static const char *const kCommands[] = {"V", "w46", "C", "r40"};
        return path == Path::ReaderButton || path == Path::ReadLoop ? QByteArray(kCommands[int(path)])
                                                                    : "E" + uid() + kCommands[int(path)];
    }

    // Runs the path to its end, as the user starts it.
    void runPath(Path path)
    {
        TfrmModule *w = m_w.get();
        switch (path) {
        case Path::ReaderButton:
            control<QPushButton>(w, "btnGetVersion")->click();
            QTRY_VERIFY_WITH_TIMEOUT(!w->readerCommands()->isBusy(), 20000);
            QCOMPARE(control<QLabel>(w, "pnMsg")->text(), QStringLiteral("Command Ok."));
            break;
        case Path::TagButton: {
            QSignalSpy finished(&w->tagPanel()->buttonRun(), &TagButtonRun::finished);
            control<QPushButton>(w, "btnTagLEDMode")->click();
            QVERIFY(finished.wait(20000));
            QVERIFY(finished.first().first().value<TagButtonRun::Result>().ok);
            break;
        }
        case Path::ReadLoop: {
            auto *read = control<QPushButton>(w, "btnRead");
            read->click();
            QTRY_VERIFY_WITH_TIMEOUT(m_heard.contains("C"), 20000);
            read->click();
            QTRY_VERIFY(!w->tagPanel()->readLoop().isRunning());
            break;
        }
        case Path::Plan: {
            const QString plan = m_dir.filePath(QStringLiteral("plan%1.csv").arg(++m_files));
            QFile f(plan);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("uid,command,args\n" + uid() + ",get-active-time,\n");
            f.close();
            QSignalSpy finished(&w->tagPanel()->provisioning()->run(), &ProvisioningRun::finished);
            w->tagPanel()->provisioning()->startProvisioning(plan);
            QVERIFY(finished.wait(20000));
            QCOMPARE(finished.first().first().toBool(), true);
            break;
        }
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qRegisterMetaType<TagButtonRun::Result>();
    }

    void cleanup()
    {
        m_w.reset();
        m_store.reset();
        m_sim.reset();
        m_decoy.reset();
        m_heard.clear();
        m_decoyBytes = 0;
        m_links = 0;
    }

    void pathsReachThePickedLink_data()
    {
        QTest::addColumn<Path>("path");
        QTest::addColumn<Link>("link");
        const std::pair<Path, const char *> paths[] = {{Path::ReaderButton, "reader button"},
                                                       {Path::TagButton, "tag button"},
                                                       {Path::ReadLoop, "read loop"},
                                                       {Path::Plan, "plan"}};
        const std::pair<Link, const char *> links[] = {
            {Link::NumberedPty, "COM3 pty"},     {Link::SystemDevice, "system device"},
            {Link::TypedDevice, "typed device"}, {Link::TcpToReader, "tcp to reader"},
            {Link::Listener, "listener"},        {Link::Udp, "udp"}};
        for (const auto &p : paths)
            for (const auto &l : links)
                QTest::addRow("%s, %s", p.second, l.second) << p.first << l.first;
    }

    void pathsReachThePickedLink()
    {
        QFETCH(Path, path);
        QFETCH(Link, link);
        m_decoy = reader(std::make_unique<PtyTransport>(), true);
        QVERIFY(m_decoy);
        connect(&m_decoy->transport(), &SimTransport::bytesReceived, this, [this] { ++m_decoyBytes; });
        quint16 localPort = 0;
        QVERIFY(startTarget(link, &localPort));
        m_store = std::make_unique<SettingsStore>(m_dir.filePath(QStringLiteral("s%1.ini").arg(++m_files)));
        QVariantMap devices{{QStringLiteral("1"), m_decoy->transport().endpoint()}};
        if (link == Link::NumberedPty)
            devices.insert(QStringLiteral("3"), m_sim->transport().endpoint());
        m_store->writeComDevices(devices);
        m_w = std::make_unique<TfrmModule>(m_store.get(), &m_tone, m_dir.filePath(QStringLiteral("sel.csv")));
        m_w->readerCommands()->setTiming(fastTiming(kReplyWaitMs));
        m_w->tagPanel()->setTiming(fastTiming(kReplyWaitMs));
        m_w->show();
        SetTagController *tags = m_w->tagPanel();
        countLinks(&m_w->readerCommands()->executor(), &RunReaderCommand::linkCreated);
        countLinks(&tags->buttonRun().sequence(), &SendTagCommand::linkCreated);
        countLinks(&tags->buttonRun().action(), &RunReaderCommand::linkCreated);
        countLinks(&tags->readLoop(), &TagReadLoop::linkCreated);
        countLinks(&tags->provisioning()->run().buttonRun().sequence(), &SendTagCommand::linkCreated);
        countLinks(&tags->provisioning()->run().buttonRun().action(), &RunReaderCommand::linkCreated);

        showPathPage(path);
        pickLink(link, localPort);
        if (QTest::currentTestFailed())
            return;
        runPath(path);
        if (QTest::currentTestFailed())
            return;
        const QByteArray expected = expectedCommand(path);
        const bool heard = std::any_of(m_heard.cbegin(), m_heard.cend(),
                                       [&](const QByteArray &c) { return c.startsWith(expected); });
        QVERIFY2(heard, m_heard.join(' ').constData());
        QCOMPARE(m_decoyBytes, 0);
        QCOMPARE(m_links, 1);
    }
};

QTEST_MAIN(TestConfigLinkPaths)
#include "tst_config_link_paths.moc"
