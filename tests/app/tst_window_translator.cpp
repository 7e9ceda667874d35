#include "app/PageControl.h"
#include "app/WindowTranslator.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {
// A kind derived from a translatable one: it keeps its caption.
class DerivedButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;
};
} // namespace

class TestWindowTranslator : public QObject
{
    Q_OBJECT
private slots:
    void translatesExactKindsFromTheirKeys()
    {
        QWidget root;
        auto *start = new QPushButton(QStringLiteral("Start"), &root);
        start->setObjectName("btnStart");
        auto *derived = new DerivedButton(QStringLiteral("Clear"), &root);
        derived->setObjectName("btnDerived");
        auto *label = new QLabel(QStringLiteral("TAG ID:"), &root);
        label->setObjectName("lblTagID");
        auto *live = new QLabel(QStringLiteral("0"), &root);
        live->setObjectName("pnLive");
        WindowTranslator::exclude(live);
        auto *unnamed = new QCheckBox(QStringLiteral("Save"), &root);
        auto *pages = new PageControl(QStringLiteral("pcMain"), &root);
        QWidget *page = pages->addPage(new QWidget, QStringLiteral("tsReadTag"), QStringLiteral("Read TAG"));

        WindowTranslator::captureKeys(&root);
        QCOMPARE(WindowTranslator::key(page), QStringLiteral("Read TAG"));
        QVERIFY(WindowTranslator::key(derived).isEmpty());
        live->setText(QStringLiteral("80"));

        WindowTranslator::applyCaptions(&root, Language::TraditionalChinese);
        QCOMPARE(start->text(), QStringLiteral("啟動"));
        QCOMPARE(label->text(), QStringLiteral("標籤序號:"));
        QCOMPARE(pages->tabText(0), QStringLiteral("讀取標籤"));
        QCOMPARE(derived->text(), QStringLiteral("Clear"));
        QCOMPARE(live->text(), QStringLiteral("80"));
        QCOMPARE(unnamed->text(), QStringLiteral("Save")); // Qt's own and unnamed widgets are left alone

        // A run-time caption is replaced by its key's translation, never translated from itself.
        start->setText(QStringLiteral("停止"));
        WindowTranslator::setKey(start, QStringLiteral("Stop"));
        WindowTranslator::applyCaptions(&root, Language::SimplifiedChinese);
        QCOMPARE(start->text(), QStringLiteral("停止"));
        WindowTranslator::applyCaptions(&root, Language::English);
        QCOMPARE(start->text(), QStringLiteral("Stop"));
        QCOMPARE(pages->tabText(0), QStringLiteral("Read TAG"));
    }
};

QTEST_MAIN(TestWindowTranslator)
#include "tst_window_translator.moc"
