// Provisioning plans as the window takes them: every row checked before anything is sent (the
// line named on the first bad one; files that are no plan), the result table's rows through runs and retries,
// and the result file written from it.
#include "i18n/ProvisioningText.h"
#include "tagcfg/ProvisioningPlan.h"
#include "tagcfg/ProvisioningResultModel.h"

#include <QAbstractItemModelTester>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {
const QString kUid = QStringLiteral("0000000000001148");

QString writeFile(const QTemporaryDir &dir, const QByteArray &text)
{
    const QString path = dir.filePath(QStringLiteral("plan.csv"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    f.write(text);
    return path;
}

ProvisioningRow result(const ProvisioningRow &plan, bool ok, const QString &text, double seconds)
{
    ProvisioningRow r = plan;
    r.ok = ok;
    r.text = text;
    r.seconds = seconds;
    return r;
}

// The plan at `path` as the window loads it, with why not in English.
bool load(const QString &path, std::vector<ProvisioningRow> *rows, QString *error)
{
    ProvisioningPlan::Problem problem;
    if (ProvisioningPlan::load(path, rows, &problem))
        return true;
    *error = ProvisioningText::planProblem(problem, Language::English);
    return false;
}
} // namespace

class TestProvisioningPlan : public QObject
{
    Q_OBJECT

private slots:
    // Blank lines are skipped but counted: a row keeps the line it has in the file.
    void goodPlanKeepsLineNumbers()
    {
        QTemporaryDir dir;
        const QString path = writeFile(dir, "uid,command,args\n" + kUid.toLatin1() +
                                                ",set-active-time,--interval 10 --count 1\n\n" +
                                                kUid.toLatin1() + ",\"get-active-time\",\n");
        std::vector<ProvisioningRow> rows;
        QString error;
        QVERIFY2(load(path, &rows, &error), qPrintable(error));
        QCOMPARE(rows.size(), size_t(2));
        QCOMPARE(rows[0].line, 2);
        QCOMPARE(rows[1].line, 4);
        QCOMPARE(rows[1].command, QStringLiteral("get-active-time"));
    }

    void badPlans_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected");
        const QByteArray good = kUid.toLatin1() + ",get-active-time,\n";
        QTest::newRow("header") << QByteArray("uid;command;args\n") + good << "the first line must be";
        QTest::newRow("empty file") << QByteArray() << "the first line must be";
        QTest::newRow("columns") << QByteArray("uid,command,args\n") + good + "a,b,c,d\n"
                                 << "plan.csv:3: a row has uid,command,args";
        QTest::newRow("unknown command")
            << QByteArray("uid,command,args\n") + good + good + kUid.toLatin1() + ",tag-on,\n"
            << "plan.csv:4: unknown tag command";
        QTest::newRow("out of range") << QByteArray("uid,command,args\n") + kUid.toLatin1() + ",set-pa,0\n"
                                      << "plan.csv:2: set-pa takes 1..100";
        QTest::newRow("short uid") << QByteArray("uid,command,args\n1148,get-active-time,\n")
                                   << "plan.csv:2: Invalid TAG ID";
        QTest::newRow("placeholder uid")
            << QByteArray("uid,command,args\n0000000000000000,get-active-time,\n")
            << "plan.csv:2: Invalid TAG ID";
    }
    void badPlans()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        std::vector<ProvisioningRow> rows;
        QString error;
        QVERIFY(!load(writeFile(dir, text), &rows, &error));
        QVERIFY2(error.contains(expected), qPrintable(error));
        QVERIFY(rows.empty());
    }

    // What the window (and the CLI) is given in place of a plan file: refused at once, never read
    // (a device would be read without end, a FIFO would block the opening).
    void notAPlanFile()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("fifo"));
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        for (const QString &path : {QStringLiteral("/dev/zero"), fifo, dir.path()}) {
            std::vector<ProvisioningRow> rows;
            QString error;
            QVERIFY(!load(path, &rows, &error));
            QCOMPARE(error, path + QStringLiteral(": not a regular file"));
        }
    }

    void refusalInChinese()
    {
        const QString text =
            ProvisioningText::planRefused(Language::TraditionalChinese, QStringLiteral("plan.csv:3: x"));
        QCOMPARE(text, QStringLiteral("設定計畫未執行：plan.csv:3: x"));
        QCOMPARE(ProvisioningText::progress(Language::SimplifiedChinese, 3, 10, 1, 12),
                 QStringLiteral("已完成 3/10 笔，失败 1 笔，约剩 12 秒"));
        QCOMPARE(ProvisioningText::columnHeaders(Language::English),
                 QStringList({"uid", "command", "args", "ok", "text", "values", "seconds"}));
        QCOMPARE(ProvisioningText::columnHeaders(Language::TraditionalChinese).at(0),
                 QStringLiteral("標籤序號"));
    }

    // A run fills rows in; a retry clears only the failed ones; the result file holds the rows
    // that ran, in plan order, exactly as the table shows them.
    void resultTableThroughRunAndRetry()
    {
        ProvisioningResultModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QString other = QStringLiteral("0000000000001149");
        std::vector<ProvisioningRow> plan{{kUid, "set-active-time", "--interval 10 --count 1"},
                                          {other, "set-active-time", "--interval 10 --count 1"},
                                          {kUid, "get-active-time", ""}};
        model.setPlan(plan);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.index(1, 2).data().toString(), QStringLiteral("--interval 10 --count 1"));
        QVERIFY(!model.index(1, 3).data(ProvisioningResultModel::kOkRole).isValid());
        QVERIFY(model.finishedRows().empty());

        model.setResult(0, result(plan[0], true, "Set TAG Ok", 1.5));
        model.setResult(1, result(plan[1], false, "Set TAG Active Time Error!, late", 3));
        QCOMPARE(model.failedRows(), std::vector<int>{1});
        QCOMPARE(model.index(1, 3).data().toString(), QStringLiteral("0"));
        QCOMPARE(model.index(1, 4).data().toString(), QStringLiteral("Set TAG Active Time Error!, late"));
        QCOMPARE(model.index(0, 6).data().toString(), QStringLiteral("1.50"));
        QCOMPARE(model.index(0, 3).data(ProvisioningResultModel::kOkRole).toBool(), true);

        model.clearResults(model.failedRows());
        QVERIFY(model.failedRows().empty());
        QCOMPARE(model.index(1, 4).data().toString(), QString());
        const auto again = model.planRows({1});
        QCOMPARE(again.size(), size_t(1));
        QCOMPARE(again[0].uid, other);
        QVERIFY(again[0].text.isEmpty());

        ProvisioningRow read = result(plan[2], true, "Set TAG Ok", 0.25);
        read.values = {{0x40, 10}, {0x41, 1}};
        model.setResult(2, read);
        QCOMPARE(model.index(2, 5).data().toString(), QStringLiteral("40=10;41=1"));

        QTemporaryDir dir;
        const QString path = dir.filePath("result.csv");
        QString error;
        QVERIFY2(ProvisioningCsv::writeResult(path, model.finishedRows(), &error), qPrintable(error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], ProvisioningCsv::resultHeader());
        for (int c = 0; c < ProvisioningResultModel::kColumns; ++c)
            QCOMPARE(ProvisioningCsv::splitLine(lines[2]).at(c), model.index(2, c).data().toString());

        QVERIFY(!ProvisioningCsv::writeResult(dir.filePath("no/such/folder/r.csv"), model.finishedRows(),
                                              &error));
        QVERIFY(error.contains("no/such/folder"));
    }
};

QTEST_APPLESS_MAIN(TestProvisioningPlan)
#include "tst_provisioning_plan.moc"
