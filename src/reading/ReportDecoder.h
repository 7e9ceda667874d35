#pragma once

#include "reading/ReportTextCache.h"
#include "reading/TagReport.h"

#include <QByteArrayView>
#include <QObject>
#include <optional>

// Which report types are accepted (the type check boxes). Raw-word reports have no switch.
struct ReportTypeSwitches
{
    bool standard = true;            // "Standard TAG"
    bool oneTemperature = true;      // "One Temperature"
    bool twoTemperature = true;      // "Two Temperature" (both 31-character temperature kinds)
    bool temperatureHumidity = true; // "Temperature && Humidity"

    // Whether reports of `kind` are taken.
    bool accepts(ReportKind kind) const;
};

// Turns report lines into TTagReport values and keeps the tamper alarm.
//
// A frame is the text of one line (CR included). Frames shorter than 18 characters, frames with an
// "R" (command replies), lines of unlisted length, switched-off types and lines whose hex fields do
// not read as hex are dropped. A "J" marks a tamper-bearing line with a three-character prefix.
class ReportDecoder : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTamperCountdownLimit = 10;
    // The countdown of an alarm just raised (or hidden by a reset): the panel shows no number.
    static constexpr int kNoCountdown = -1;

    explicit ReportDecoder(QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(ReportDecoder)

    void setTypeSwitches(const ReportTypeSwitches &switches) { m_switches = switches; }
    const ReportTypeSwitches &typeSwitches() const { return m_switches; }
    // Frames are decoded only while the reading page is in front.
    void setReadingActive(bool active) { m_readingActive = active; }

    // Decodes one frame; emits reportDecoded for an accepted report.
    void decodeReport(QByteArrayView frame, const QString &label);
    // A report that arrives already decoded (published by another instance): the page check and the
    // type switches apply as to a line; the tamper marker does not (it is the sending host's).
    void acceptReport(const TTagReport &report, const QString &label);

    // The line without tamper prefix, decoded alone (no tamper state, no page check). With a cache,
    // repeated UIDs and sensor texts are shared instead of made anew.
    static std::optional<TTagReport> parseLine(QByteArrayView line, const ReportTypeSwitches &switches,
                                               ReportTextCache *cache = nullptr);

    bool tamperShown() const { return m_tamperShown; }
    int tamperCountdown() const { return m_tamperCountdown; }
    // Hides the alarm and sets the countdown to 0 (session start and end, tamper reset).
    void resetTamper();

    quint64 discardedFrames() const { return m_discarded; }

signals:
    void reportDecoded(const TTagReport &report, const QString &label);
    // The alarm panel: shown or hidden, and the number it shows ("Tamper Alarm (n)"), or kNoCountdown
    // for none ("Tamper Alarm").
    void tamperChanged(bool shown, int countdown);

private:
    void handleTamperMarker(QByteArrayView frame);
    void countDownTamper();

    ReportTypeSwitches m_switches;
    bool m_readingActive = true;
    bool m_tamperShown = false;
    int m_tamperCountdown = 0;
    quint64 m_discarded = 0;
    ReportTextCache m_cache;
};
