#include "base/SettingsStore.h"
#include "reading/SelectionListFile.h"

#include <QHostAddress>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

// Random and damaged bytes fed to the loaders of the files the program reads at start-up: the selection
// list and the settings (INI). Seeded, so a failure comes back the same way; each round's seed is in the
// failure message.
namespace {

constexpr quint32 kSeed = 20261208;
constexpr int kRounds = 300;

QByteArray randomBytes(QRandomGenerator &rng, int maxLength)
{
    QByteArray bytes(rng.bounded(maxLength + 1), Qt::Uninitialized);
    for (char &c : bytes)
        c = char(rng.bounded(256));
    return bytes;
}

// Bytes the file formats give a meaning to, so that mutations hit the parsers' edges.
const QList<QByteArray> kSpecials{
    "\0",          "\r", "\n",       "\r\n",         "=", "[", "]", "\\", "\"", ",", ";", "#", "@Variant(",
    "@ByteArray(", ")",  "\xff\xfe", "\xef\xbb\xbf", " ", "\t"};

QByteArray mutated(QByteArray bytes, QRandomGenerator &rng)
{
    const int edits = 1 + rng.bounded(8);
    for (int e = 0; e < edits; ++e) {
        const int at = bytes.isEmpty() ? 0 : rng.bounded(int(bytes.size()));
        const int length = 1 + rng.bounded(16);
        switch (rng.bounded(5)) {
        case 0:
            if (!bytes.isEmpty())
                bytes[at] = char(bytes[at] ^ (1 << rng.bounded(8)));
            break;
        case 1:
            bytes.insert(at, randomBytes(rng, length));
            break;
        case 2:
            bytes.remove(at, length);
            break;
        case 3:
            bytes.insert(at, bytes.mid(at, length));
            break;
        default:
            bytes.insert(at, kSpecials.at(rng.bounded(int(kSpecials.size()))));
            break;
        }
    }
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray validSelectionList(QRandomGenerator &rng)
{
    QByteArray text;
    const int count = rng.bounded(12);
    for (int i = 0; i < count; ++i)
        text += QByteArray::number(rng.bounded(1u << 31)).rightJustified(16, '0') + "\r\n";
    return text;
}

QByteArray validSettings(const QString &path)
{
    {
        SettingsStore store(path);
        SettingsStore::ReadingStart start;
        start.tagFilterUid = QStringLiteral("0000");
        start.tcpRemotePort = start.localPort = start.desPort = start.listenPort = 4001;
        start.page = LinkKind::TcpListener;
        store.writeReadingStart(start);
        store.writeShutdown(LinkKind::TcpListener, Language::TraditionalChinese);
        store.writeFileName(QStringLiteral("/tmp/run.csv"));
        store.writeAutoSave(true, true);
        store.writeComDevices({{QStringLiteral("3"), QStringLiteral("/dev/ttyUSB0")}});
        store.write(QString::fromLatin1(SettingsStore::kUdpBroadcastAddress),
                    QStringLiteral("127.255.255.255"));
    }
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int nonBlankLines(const QByteArray &bytes)
{
    int n = 0;
    for (const QByteArray &line : bytes.split('\n'))
        n += QString::fromUtf8(line).trimmed().isEmpty() ? 0 : 1;
    return n;
}

} // namespace

class TestFuzzFiles : public QObject
{
    Q_OBJECT
private slots:
    void selectionListLoader()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("QZKDTAG.CSV"));
        QRandomGenerator rng(kSeed);
        for (int round = 0; round < kRounds; ++round) {
            const QByteArray bytes =
                round % 3 == 0 ? randomBytes(rng, 4096) : mutated(validSelectionList(rng), rng);
            QVERIFY(writeFile(path, bytes));
            int skipped = -1;
            const QStringList uids = SelectionListFile::load(path, &skipped);
            const QByteArray where = "round " + QByteArray::number(round);

            QSet<QString> seen;
            for (const QString &uid : uids) {
                QVERIFY2(SelectionListFile::isUid(uid), where + ": " + uid.toUtf8());
                QVERIFY2(!seen.contains(uid.toUpper()), where);
                seen.insert(uid.toUpper());
            }
            QVERIFY2(skipped >= 0 && uids.size() + skipped <= nonBlankLines(bytes), where);
            QCOMPARE(SelectionListFile::load(path), uids);

            // What was loaded is saved and read back whole, with nothing skipped (every fifth round:
            // a save waits for the disk).
            if (round % 5 != 0)
                continue;
            QVERIFY2(SelectionListFile::save(path, uids), where);
            QCOMPARE(SelectionListFile::load(path, &skipped), uids);
            QCOMPARE(skipped, 0);
        }
    }

    void settingsLoader()
    {
        QTemporaryDir dir;
        QRandomGenerator rng(kSeed + 1);
        const QByteArray valid = validSettings(dir.filePath(QStringLiteral("valid.ini")));
        QVERIFY(valid.contains("AutoSaveFile"));
        // Damaged "@Variant(...)" values make Qt warn about the types they name; that is expected here.
        // (A fatal message still ends the test: Qt aborts after any handler.)
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        const auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });
        for (int round = 0; round < kRounds; ++round) {
            // A file of its own each round: QSettings keeps what it read of a path for the process.
            const QString path = dir.filePath(QStringLiteral("s%1.ini").arg(round));
            const QByteArray bytes = round % 4 == 0 ? randomBytes(rng, 2048) : mutated(valid, rng);
            QVERIFY(writeFile(path, bytes));
            const QByteArray where = "round " + QByteArray::number(round);

            SettingsStore store(path);
            const std::optional<SettingsStore::Values> values = store.load();
            if (values) {
                QVERIFY2(isValidLanguage(int(values->language)), where);
                const int page = LinkKindTable::storedPage(values->page);
                QVERIFY2(page >= 0 && page <= 3, where);
            }
            const QHostAddress broadcast(store.udpBroadcastAddress());
            QVERIFY2(broadcast.protocol() == QAbstractSocket::IPv4Protocol, where);
            for (const QVariant &device : store.comDevices())
                Q_UNUSED(device.toString());

            // Loading again gives the same values.
            const std::optional<SettingsStore::Values> again = SettingsStore(path).load();
            QCOMPARE(again.has_value(), values.has_value());
            if (values) {
                QCOMPARE(again->fileName, values->fileName);
                QCOMPARE(again->ip, values->ip);
                QCOMPARE(again->com, values->com);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestFuzzFiles)
#include "tst_fuzz_files.moc"
