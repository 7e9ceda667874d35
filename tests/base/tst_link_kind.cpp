#include "base/LinkKind.h"
#include "base/PortText.h"

#include <QMetaEnum>
#include <QSet>
#include <QtTest>

// The link kind table: stored "PAGE" values, page indexes and captions, one row per kind.
class TestLinkKind : public QObject
{
    Q_OBJECT
private slots:
    void everyKindHasOneRow()
    {
        const QMetaEnum kinds = QMetaEnum::fromType<LinkKind>();
        QCOMPARE(kinds.keyCount(), LinkKindTable::kKindCount);
        QSet<int> stored, readPages, setReaderPages;
        for (int i = 0; i < kinds.keyCount(); ++i) {
            const auto kind = LinkKind(kinds.value(i));
            QCOMPARE(LinkKindTable::row(kind).kind, kind);
            QCOMPARE(LinkKindTable::fromStoredPage(LinkKindTable::storedPage(kind)), kind);
            QCOMPARE(LinkKindTable::fromReadPageIndex(LinkKindTable::readPageIndex(kind)), kind);
            stored << LinkKindTable::storedPage(kind);
            readPages << LinkKindTable::readPageIndex(kind);
            if (LinkKindTable::setReaderPageIndex(kind) == LinkKindTable::kNoPage)
                continue;
            QCOMPARE(LinkKindTable::fromSetReaderPageIndex(LinkKindTable::setReaderPageIndex(kind)), kind);
            setReaderPages << LinkKindTable::setReaderPageIndex(kind);
        }
        const QSet<int> four{0, 1, 2, 3};
        const QSet<int> five{0, 1, 2, 3, 4};
        QCOMPARE(stored, five);
        QCOMPARE(readPages, five);
        QCOMPARE(setReaderPages, four);
        QCOMPARE(LinkKindTable::pageCount(&LinkKindTable::Row::readPageIndex), 5);
        QCOMPARE(LinkKindTable::pageCount(&LinkKindTable::Row::setReaderPageIndex), 4);
    }

    // Reading from a broker is the fifth "Read TAG" page; it has no "Set Reader" page, and asking for
    // the kind of "no page" never yields it.
    void mqttReadsOnly()
    {
        QCOMPARE(LinkKindTable::storedPage(LinkKind::Mqtt), 4);
        QCOMPARE(LinkKindTable::fromStoredPage(4), LinkKind::Mqtt);
        QCOMPARE(LinkKindTable::readPageIndex(LinkKind::Mqtt), 4);
        QCOMPARE(LinkKindTable::setReaderPageIndex(LinkKind::Mqtt), LinkKindTable::kNoPage);
        QCOMPARE(LinkKindTable::fromSetReaderPageIndex(LinkKindTable::kNoPage), LinkKind::Udp);
        QCOMPARE(LinkKindTable::fromSetReaderPageIndex(4), LinkKind::Udp);
        QCOMPARE(LinkKindTable::caption(LinkKind::Mqtt), "MQTT");
    }

    void storedPagesAsBefore()
    {
        QCOMPARE(LinkKindTable::storedPage(LinkKind::TcpToReaders), 0);
        QCOMPARE(LinkKindTable::storedPage(LinkKind::Serial), 1);
        QCOMPARE(LinkKindTable::storedPage(LinkKind::TcpListener), 2);
        QCOMPARE(LinkKindTable::storedPage(LinkKind::Udp), 3);
        // Any other stored value is UDP.
        QCOMPARE(LinkKindTable::fromStoredPage(7), LinkKind::Udp);
        QCOMPARE(LinkKindTable::fromStoredPage(-1), LinkKind::Udp);
    }

    void pagesInCaptionOrder()
    {
        const char *captions[] = {"COM", "UDP", "TCP Server", "TCP Client", "MQTT"};
        for (int index = 0; index < LinkKindTable::kKindCount; ++index)
            QCOMPARE(LinkKindTable::caption(LinkKindTable::inPageOrder(index)), captions[index]);
        QCOMPARE(LinkKindTable::fromReadPageIndex(-1), LinkKind::Udp);
    }

    void portTexts()
    {
        QCOMPARE(PortText::port(QStringLiteral(" 5000 ")), quint16(5000));
        QCOMPARE(PortText::port(QStringLiteral("x12")), quint16(4001));
        QCOMPARE(PortText::port(QStringLiteral("70000")), quint16(4001));
        QCOMPARE(PortText::port(QStringLiteral("-1")), quint16(4001));
        QCOMPARE(PortText::port(QStringLiteral("0")), quint16(0));
        QCOMPARE(PortText::portText(QStringLiteral("65535")), QStringLiteral("65535"));
        QCOMPARE(PortText::normalized(QStringLiteral("70000")), QStringLiteral("70000"));
    }
};

QTEST_APPLESS_MAIN(TestLinkKind)
#include "tst_link_kind.moc"
