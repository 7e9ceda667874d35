#pragma once

#include <QObject>
#include <QTimer>

class FindTagSignal;
class TonePlayer;

// The search tone: a short tick whose rate rises with the smoothed RSSI of the tag being looked for.
// It ticks only while it is on, a session runs and the tag was heard within kQuietAfterMs.
class FindTagTone : public QObject
{
    Q_OBJECT
public:
    static constexpr int kToneHz = 1800;
    static constexpr int kToneMs = 15;
    static constexpr int kQuietAfterMs = 3000;

    FindTagTone(const FindTagSignal &signal, TonePlayer &tones, QObject *parent = nullptr);

    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }
    // A session runs; when it stops, the tone stops.
    void setSessionRunning(bool running);
    bool isTicking() const { return m_timer.isActive(); }

private:
    void update();
    void tick();

    const FindTagSignal &m_signal;
    TonePlayer &m_tones;
    QTimer m_timer;
    bool m_enabled = false;
    bool m_running = false;
};
