#pragma once

#include "ReaderOptions.h"
#include "base/TonePlayer.h"
#include "readercfg/ReaderSequenceRunner.h"
#include "readercfg/RelayLoop.h"
#include "readercfg/RunReaderCommand.h"

#include <QJsonObject>
#include <QObject>

class ConfigLink;
class QCoreApplication;

// `talvo-cli reader`: one reader command (or the steps of one setting, or one relay round) over
// the configuration link the options name. The reply payload goes to standard output (or one JSON
// object with --format json), the result text ("Command Ok.", "Command Error !  [ 1 ]", ...) to
// standard error. Only a reply that passed its check is printed as the reply, with bytes that are
// not printable written as \xHH. `relay` succeeds when the reader took both outputs' commands; `id`
// when the reply carries an ID. finished(0) on success, finished(1) on failure or when stopped.
class ReaderCli : public QObject
{
    Q_OBJECT
public:
    explicit ReaderCli(const ReaderOptions &options, QObject *parent = nullptr);
    ~ReaderCli() override;

    // The whole sub-command: options (args without the "reader" word), the command, the exit status.
    static int run(QCoreApplication &app, const QStringList &args);

    // Starts; finished(exitCode) follows.
    void start();
    // Ctrl-C: the running command is cancelled.
    void requestStop();

signals:
    void finished(int exitCode);

private:
    void handleStepFinished(int index, const RunReaderCommand::Result &result);
    void handleSequenceFinished(const QList<RunReaderCommand::Result> &results, bool ok);
    void handleRelayRound(const RelayLoop::Round &round);
    void handleRelayFinished(bool opened);
    void watchLink(ConfigLink *link);
    void writeJson(const QJsonObject &object);
    void diagnostic(const QString &text);
    void verbose(const QString &text);

    ReaderOptions m_options;
    SilentTonePlayer m_tones;
    RunReaderCommand m_executor;
    ReaderSequenceRunner m_runner;
    RelayLoop m_relay;
    RelayLoop::Round m_lastRound;
    bool m_relayRoundDone = false;
    QString m_relayDetail; // why the relay's link could not be opened or was lost
    bool m_stopped = false;
};
