#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <array>
#include <memory>
#include <optional>

class QSettings;

// Everything the program keeps between runs, in one per-user key ("MERAN", "Talvo/TalvoDemo") of the
// platform's settings store, or in an INI file (tests, portable installs). Values are written piecemeal
// by the action that changes them; nothing is written on a timer.
//
// Loading distinguishes the first run (no key at all: every control keeps its design-time value) from a
// missing value (the key exists: that value's default is used).
class SettingsStore
{
public:
    static constexpr int kNumberedCount = 20; // COM1..COM20, NET1..NET20, IP1..IP20 have controls

    // Value names.
    static constexpr const char *kLanguageIndex = "LanguageIndex";
    static constexpr const char *kPage = "PAGE";
    static constexpr const char *kTagFilterUid = "TagFilterUID";
    static constexpr const char *kTcpRemotePort = "TcpRemotePort";
    static constexpr const char *kLocalPort = "LocalPort";
    static constexpr const char *kDesPort = "DesPort";
    static constexpr const char *kListenPort = "ListenPort";
    static constexpr const char *kFileName = "FileName";
    static constexpr const char *kAutoSaveFile = "AutoSaveFile";
    static constexpr const char *kAllTags = "AllTags";
    static constexpr const char *kComPrefix = "COM";
    static constexpr const char *kNetPrefix = "NET";
    static constexpr const char *kIpPrefix = "IP";
    // Beside the table: the device each serial port number opens on this system ("3" -> "/dev/ttyUSB0").
    static constexpr const char *kComDevices = "ComDevices";
    // Beside the table: where UDP commands are broadcast (tests and demos point it at loopback).
    static constexpr const char *kUdpBroadcastAddress = "UdpBroadcastAddress";

    // The values of the settings table, as the controls hold them. Index n-1 of the arrays is port,
    // reader or address n.
    struct Values
    {
        int languageIndex = 0;
        int page = 0;
        QString tagFilterUid;
        QString tcpRemotePort = QStringLiteral("4001");
        QString localPort = QStringLiteral("4001");
        QString desPort = QStringLiteral("4001");
        QString listenPort = QStringLiteral("4001");
        QString fileName = defaultCsvFile();
        bool autoSaveFile = false;
        bool allTags = false;
        std::array<bool, kNumberedCount> com{};
        std::array<bool, kNumberedCount> net{};
        std::array<QString, kNumberedCount> ip;
    };

    // What the reading start writes.
    struct ReadingStart
    {
        QString tagFilterUid;
        QString tcpRemotePort, localPort, desPort, listenPort;
        int page = 0;
        std::array<bool, kNumberedCount> com{};
        std::array<bool, kNumberedCount> net{};
        std::array<QString, kNumberedCount> ip;
    };

    // The native per-user store.
    SettingsStore();
    // An INI file.
    explicit SettingsStore(const QString &iniFile);
    ~SettingsStore();
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    // Where the values live (file path), for messages.
    QString location() const;
    // False on the first run: no value has ever been written.
    bool exists() const;

    // The values as stored, absent ones at their defaults; std::nullopt on the first run.
    std::optional<Values> load() const;

    // Design-time values of the controls (what a first run shows).
    static Values designValues();
    // Default of a missing "IPn": 192.168.1.(100 + n).
    static QString defaultIp(int n);
    // Design-time text of edIPnn: 192.168.1.101 .. .110, then the same ten again.
    static QString designIp(int n);
    // The CSV file offered before the user chooses one: "C:\Talvo.csv" on Windows, Talvo.csv in the
    // user's documents folder elsewhere.
    static QString defaultCsvFile();
    // "PAGE" to the link kind: 0, 1 and 2 stand for themselves, anything else is UDP (3).
    static int linkModeForPage(int page);
    // A stored language outside 0..2 is taken as English.
    static int sanitizedLanguage(int language);

    void writeLanguageIndex(int language);
    void writeShutdown(int page, int language);
    void writeReadingStart(const ReadingStart &values);
    void writeTagFilter(const QString &filter);
    void writeFileName(const QString &fileName);
    void writeAutoSave(bool autoSaveFile, bool allTags);
    QVariantMap comDevices() const;
    // "255.255.255.255" unless the store names another IPv4 address.
    QString udpBroadcastAddress() const;
    void writeComDevices(const QVariantMap &devices);

    // Raw access for values kept beside the table (e.g. the device of each serial port number).
    std::optional<QVariant> read(const QString &name) const;
    void write(const QString &name, const QVariant &value);
    void sync();

private:
    std::optional<int> readInt(const QString &name) const;
    std::optional<QString> readString(const QString &name) const;

    std::unique_ptr<QSettings> m_settings;
};
