#pragma once

#include "base/Problem.h"
#include "base/Timing.h"
#include "readercfg/ConfigLinkRequest.h"
#include "readercfg/TransceiveCommand.h"
#include "tagcfg/TagUidModel.h"

#include <QObject>
#include <QString>
#include <QTimer>

class ConfigLink;
class TonePlayer;

// The tag panel's read loop: with the reader in command mode ("A0"), it polls "C" over the
// configuration link, one poll after another with a short pause, and enters every tag report the
// reader hands out into the grid model (reports weaker than the RSSI filter are skipped). It shows
// which tags are near the reader; the first tag found is chosen for the tag commands, and the UID
// of the latest report is offered as the current one. Started and stopped by the same button.
class TagReadLoop : public QObject
{
    Q_OBJECT
public:
    explicit TagReadLoop(TonePlayer &tones, QObject *parent = nullptr);
    ~TagReadLoop() override;

    void setTiming(const Timing &timing) { m_timing = timing; }
    void setRequest(const ConfigLinkRequest &request) { m_request = request; }
    // Reports whose RSSI is below this are skipped (the reading page's RSSI filter).
    void setRssiMinimum(int rssi) { m_rssiMinimum = rssi; }

    // Opens the link and starts polling; false (with problem()) when the link cannot be opened.
    bool start();
    void stop();
    // start() when stopped, stop() when running: the button's click.
    void toggle();
    bool isRunning() const { return m_running; }
    // The grid's "&Clear": no rows, count 0, current UID "0000000000000000".
    void clear();

    TagUidModel *model() { return &m_model; }
    int count() const { return m_model.rowCount(); }
    QString currentUid() const { return m_currentUid; }
    QByteArray replyPayload() const { return m_replyPayload; }
    // The command text shown while polling ("C"); empty before the first poll.
    QString sendText() const { return m_sendText; }
    ConfigLink *link() const { return m_link; }

signals:
    void runningChanged(bool running);
    void linkCreated(ConfigLink *link);
    void problem(const Problem &problem);
    // The UID of the latest report (pnTagID).
    void currentUidChanged(const QString &uid);
    // The first row was filled: its tag is chosen for the tag commands.
    void tagChosen(const QString &uid);
    // A report updated row `row` (0-based) of the grid.
    void rowSelected(int row);
    void countChanged(int count);
    void replyPayloadChanged(const QByteArray &payload);
    void sendTextChanged(const QString &text);

private:
    void pollLater();
    void poll();
    void handleExchangeFinished(const TransceiveCommand::Result &result);
    void enter(const QByteArray &frame);
    void setCurrentUid(const QString &uid);
    void discardLink();

    TonePlayer &m_tones;
    Timing m_timing;
    ConfigLinkRequest m_request;
    int m_rssiMinimum = 0;
    TagUidModel m_model;
    ConfigLink *m_link = nullptr;
    TransceiveCommand *m_exchange = nullptr;
    QTimer m_pause;
    bool m_running = false;
    QString m_currentUid = QStringLiteral("0000000000000000");
    QByteArray m_replyPayload;
    QString m_sendText;
};
