#pragma once

#include "base/Language.h"
#include "base/LinkKind.h"
#include "base/PortText.h"

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
// The values, their stored types and their defaults are one table (SettingsStore.cpp); each value is
// read and cleaned there, once. Loading distinguishes the first run (no key at all: every control
// keeps its design-time value) from a missing value (the key exists: that value's default is used).
class SettingsStore
{
public:
    static constexpr int kNumberedCount = kNumberedLinkCount; // COM1..COM20, NET1..NET20, IP1..IP20

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
    // Publishing the reports to an MQTT broker (the "Publish" group) and reading what other instances
    // publish (the "MQTT" link page).
    static constexpr const char *kMqttPublish = "MqttPublish";
    static constexpr const char *kMqttUrl = "MqttUrl";
    static constexpr const char *kMqttPrefix = "MqttPrefix";
    static constexpr const char *kMqttSite = "MqttSite";
    static constexpr const char *kMqttQos = "MqttQos";
    static constexpr const char *kMqttUser = "MqttUser";
    static constexpr const char *kMqttPasswordFile = "MqttPasswordFile";
    static constexpr const char *kMqttCaFile = "MqttCaFile";
    static constexpr const char *kMqttInUrl = "MqttInUrl";
    static constexpr const char *kMqttInPrefix = "MqttInPrefix";
    // The tag settings panel's read loop and provisioning bar are folded away (1) or open (0).
    static constexpr const char *kTagReadFolded = "TagReadFolded";
    static constexpr const char *kTagProvisionFolded = "TagProvisionFolded";
    static constexpr const char *kWebView = "WebView";
    static constexpr const char *kWebViewPort = "WebViewPort";
    static constexpr quint16 kDefaultWebViewPort = 8080;
    // Beside the table: the device each serial port number opens on this system ("3" -> "/dev/ttyUSB0").
    static constexpr const char *kComDevices = "ComDevices";
    // Beside the table: the "Set Reader" page shows its installer's controls (0/1).
    static constexpr const char *kShowHiddenControls = "ShowHiddenControls";
    // Beside the table: where UDP commands are broadcast (tests and demos point it at loopback).
    static constexpr const char *kUdpBroadcastAddress = "UdpBroadcastAddress";
    // Beside the table: the history the "Chart" view keeps per selected tag, in points and minutes.
    static constexpr const char *kChartPoints = "ChartPoints";
    static constexpr const char *kChartMinutes = "ChartMinutes";

    // How a value is kept in the store.
    enum class StoredType
    {
        Integer, // 32-bit integer
        Boolean, // integer 0/1
        Text,    // string
        Port,    // string holding a port number
    };

    // The broker settings: where the reports go, and where the "MQTT" link page reads from. The
    // password stays in its file; only the file's name is kept.
    struct MqttValues
    {
        bool publish = false;
        QString url;
        QString prefix; // empty: "talvo/SITE"
        QString site;   // empty: this machine's name
        int qos = 0;    // 0 or 1
        QString user;
        QString passwordFile;
        QString caFile;
        QString inUrl;
        QString inPrefix; // empty: every site

        bool operator==(const MqttValues &o) const
        {
            return publish == o.publish && url == o.url && prefix == o.prefix && site == o.site &&
                   qos == o.qos && user == o.user && passwordFile == o.passwordFile && caFile == o.caFile &&
                   inUrl == o.inUrl && inPrefix == o.inPrefix;
        }
        bool operator!=(const MqttValues &o) const { return !(*this == o); }
    };

    // The values of the settings table. Index n-1 of the arrays is port, reader or address n.
    struct Values
    {
        Language language = Language::English;
        LinkKind page = LinkKind::TcpToReaders;
        QString tagFilterUid;
        quint16 tcpRemotePort = PortText::kDefaultPort;
        quint16 localPort = PortText::kDefaultPort;
        quint16 desPort = PortText::kDefaultPort;
        quint16 listenPort = PortText::kDefaultPort;
        QString fileName = defaultCsvFile();
        bool autoSaveFile = false;
        bool allTags = false;
        std::array<bool, kNumberedCount> com{};
        std::array<bool, kNumberedCount> net{};
        std::array<QString, kNumberedCount> ip;
        MqttValues mqtt;
        bool tagReadFolded = true;
        bool tagProvisionFolded = true;
        bool webView = false; // serve a web view of the reading on this computer
        quint16 webViewPort = kDefaultWebViewPort;
    };

    // What the reading start writes.
    struct ReadingStart
    {
        QString tagFilterUid;
        quint16 tcpRemotePort = PortText::kDefaultPort;
        quint16 localPort = PortText::kDefaultPort;
        quint16 desPort = PortText::kDefaultPort;
        quint16 listenPort = PortText::kDefaultPort;
        LinkKind page = LinkKind::TcpToReaders;
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
    // The stored type of a value of the table (numbered names included); nullopt for other names.
    static std::optional<StoredType> storedType(const QString &name);
    // The value a table entry takes when the key exists but the value does not; invalid for other names.
    static QVariant absentValue(const QString &name);
    // A stored language outside 0..2 is taken as English.
    static Language sanitizedLanguage(int language);

    void writeLanguageIndex(Language language);
    void writeShutdown(LinkKind page, Language language);
    void writeReadingStart(const ReadingStart &values);
    void writeTagFilter(const QString &filter);
    void writeFileName(const QString &fileName);
    void writeAutoSave(bool autoSaveFile, bool allTags);
    void writeMqtt(const MqttValues &values);
    void writeTagPanelFolds(bool readFolded, bool provisionFolded);
    void writeWebView(bool on, quint16 port);
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
    // A table value, read and cleaned by its stored type; nullopt when absent or unreadable.
    std::optional<QVariant> readValue(const QString &name) const;
    // A table value written in its stored type.
    void writeValue(const QString &name, const QVariant &value);

    std::unique_ptr<QSettings> m_settings;
};
