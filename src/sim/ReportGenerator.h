#pragma once

#include "sim/SimRandom.h"

#include <QByteArray>

class TagPopulation;
struct SimTag;

// Makes the report lines one simulated reader sends: UID (16), RSSI, LQI, DI (two hex digits each),
// the tag type's sensor words (four hex digits each), CR. Values wander a little around each tag's
// centre values; DI carries the battery nibble and now and then an event bit.
class ReportGenerator
{
public:
    struct Settings
    {
        double tamperRate = 0.0;   // share of lines sent with the tamper marker "J00" in front
        double garbageRate = 0.0;  // share of lines preceded by a run of random noise ended by CR
        bool sequenceUids = false; // UID = reader number (4 digits) + running line number (12 digits)
        int readerNumber = 1;      // 1-based, used by sequenceUids
        // When above 0, the first tag moves closer: its RSSI climbs from kApproachFrom to kApproachTo
        // over its next approachReports reports from this reader, then stays there.
        int approachReports = 0;
    };

    static constexpr int kApproachFrom = 0x20;
    static constexpr int kApproachTo = 0xF0;

    ReportGenerator(TagPopulation *tags, quint64 seed, const Settings &settings);

    // Appends up to `count` lines (each ending with CR) to out; returns how many it appended. Fewer
    // when no tag is switched on.
    int appendLines(QByteArray &out, int count);
    // The fields of one fresh report without CR, tamper marker or noise (what a "C" poll returns);
    // empty when no tag is switched on.
    QByteArray nextFields();

    // Lines carrying the tamper marker since the last call.
    int takeTamperLines();
    quint64 sequenceNumber() const { return m_sequence; }

    // Sensor word encodings, exposed for tests.
    static quint16 scaleAWord(double celsius);
    static quint16 humidityTemperatureWord(double celsius);
    static quint16 humidityWord(double relativeHumidity, double celsius);
    static quint16 kelvinWord(double celsius);

private:
    // Writes the fields of one report for a switched-on tag into buf; returns the length, 0 if none.
    int writeFields(char *buf);
    SimTag *pickTag();
    // The RSSI a report of `tag` centres on.
    quint8 rssiCentre(const SimTag &tag);
    void appendNoise(QByteArray &out);

    TagPopulation *m_tags;
    SimRandom m_rng;
    Settings m_settings;
    quint64 m_sequence = 0;
    int m_tamperLines = 0;
    int m_approachSeen = 0; // reports of the approaching tag so far
};
