#pragma once

#include "TagOptions.h"

#include "base/Clock.h"
#include "base/TonePlayer.h"
#include "tagcfg/TagButtonRun.h"

#include <QObject>

class QCoreApplication;

// `talvo-cli tag`: one tag command over the configuration link the options name (a provisioning
// plan goes to TagPlanCli). The panel's progress texts (with the attempt counter and the seconds
// left) go to standard error; the result to standard output: the read values ("interval=10
// count=1") for a reading command, else the result text; or one JSON object with --format json.
// finished(0) on success, 1 on failure or when stopped.
class TagCli : public QObject
{
    Q_OBJECT
public:
    explicit TagCli(const TagOptions &options, QObject *parent = nullptr);

    // The whole sub-command: options (args without the "tag" word), the command, the exit status.
    static int run(QCoreApplication &app, const QStringList &args);

    void start();
    // Ctrl-C: the sequence is cancelled (the tag is told its session is over).
    void requestStop();

signals:
    void finished(int exitCode);

private:
    void handleFinished(const TagButtonRun::Result &result);
    QString valuesText(const TagButtonRun::Result &result) const;
    void diagnostic(const QString &text);

    TagOptions m_options;
    SilentTonePlayer m_tones;
    SystemClock m_clock;
    TagButtonRun m_runner;
};
