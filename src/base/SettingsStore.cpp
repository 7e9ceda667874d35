#include "base/SettingsStore.h"

#include <QDir>
#include <QHostAddress>
#include <QSettings>
#include <QStandardPaths>

SettingsStore::SettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("MERAN"), QStringLiteral("Talvo/TalvoDemo")))
{
}

SettingsStore::SettingsStore(const QString &iniFile)
    : m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::location() const
{
    return m_settings->fileName();
}

bool SettingsStore::exists() const
{
    return !m_settings->allKeys().isEmpty();
}

QString SettingsStore::defaultIp(int n)
{
    return QStringLiteral("192.168.1.%1").arg(100 + n);
}

QString SettingsStore::designIp(int n)
{
    return QStringLiteral("192.168.1.%1").arg(100 + (n - 1) % 10 + 1);
}

QString SettingsStore::defaultCsvFile()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\Talvo.csv");
#else
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (docs.isEmpty())
        docs = QDir::homePath();
    return QDir(docs).filePath(QStringLiteral("Talvo.csv"));
#endif
}

namespace {
// The settings table: every value's name, stored type and the default used when the key exists but the
// value does not. A missing default is computed: a port's is the default port, FileName's is
// defaultCsvFile(), IPn's is defaultIp(n).
// The numbered values (COMn, NETn, IPn) take type and default from their prefix's row.
struct TableEntry
{
    const char *name;
    SettingsStore::StoredType type;
    const char *absent;
};

using Type = SettingsStore::StoredType;
constexpr TableEntry kTable[] = {
    {SettingsStore::kLanguageIndex, Type::Integer, "0"},
    {SettingsStore::kPage, Type::Integer, "0"},
    {SettingsStore::kTagFilterUid, Type::Text, ""},
    {SettingsStore::kTcpRemotePort, Type::Port, nullptr},
    {SettingsStore::kLocalPort, Type::Port, nullptr},
    {SettingsStore::kDesPort, Type::Port, nullptr},
    {SettingsStore::kListenPort, Type::Port, nullptr},
    {SettingsStore::kFileName, Type::Text, nullptr},
    {SettingsStore::kAutoSaveFile, Type::Boolean, "0"},
    {SettingsStore::kAllTags, Type::Boolean, "0"},
    {SettingsStore::kMqttPublish, Type::Boolean, "0"},
    {SettingsStore::kMqttUrl, Type::Text, ""},
    {SettingsStore::kMqttPrefix, Type::Text, ""},
    {SettingsStore::kMqttSite, Type::Text, ""},
    {SettingsStore::kMqttQos, Type::Integer, "0"},
    {SettingsStore::kMqttUser, Type::Text, ""},
    {SettingsStore::kMqttPasswordFile, Type::Text, ""},
    {SettingsStore::kMqttCaFile, Type::Text, ""},
    {SettingsStore::kMqttInUrl, Type::Text, ""},
    {SettingsStore::kMqttInPrefix, Type::Text, ""},
    {SettingsStore::kTagReadFolded, Type::Boolean, "1"},
    {SettingsStore::kTagProvisionFolded, Type::Boolean, "1"},
    {SettingsStore::kWebView, Type::Boolean, "0"},
    {SettingsStore::kWebViewPort, Type::Integer, "8080"},
};
constexpr TableEntry kNumberedTable[] = {
    {SettingsStore::kComPrefix, Type::Integer, "0"}, // ticked only when exactly 1
    {SettingsStore::kNetPrefix, Type::Integer, "0"}, // ticked only when exactly 1
    {SettingsStore::kIpPrefix, Type::Text, nullptr},
};

QString numbered(const char *prefix, int n)
{
    return QLatin1String(prefix) + QString::number(n);
}

// The table row of a value name (numbered names included) and the number n of a numbered name.
const TableEntry *entryOf(const QString &name, int *number)
{
    for (const TableEntry &e : kTable) {
        if (name == QLatin1String(e.name))
            return &e;
    }
    for (const TableEntry &e : kNumberedTable) {
        const QLatin1String prefix(e.name);
        const QString digits = name.mid(prefix.size());
        bool ok = false;
        const int n = digits.toInt(&ok);
        if (name.startsWith(prefix) && ok && n >= 1 && !digits.startsWith(QLatin1Char('0')) &&
            digits == QString::number(n)) {
            *number = n;
            return &e;
        }
    }
    return nullptr;
}
} // namespace

std::optional<SettingsStore::StoredType> SettingsStore::storedType(const QString &name)
{
    int number = 0;
    if (const TableEntry *e = entryOf(name, &number))
        return e->type;
    return std::nullopt;
}

QVariant SettingsStore::absentValue(const QString &name)
{
    int number = 0;
    const TableEntry *e = entryOf(name, &number);
    if (!e)
        return {};
    if (e->type == Type::Port)
        return QVariant::fromValue(e->absent ? PortText::port(QLatin1String(e->absent))
                                             : PortText::kDefaultPort);
    const QString text =
        e->absent ? QLatin1String(e->absent) : (number > 0 ? defaultIp(number) : defaultCsvFile());
    switch (e->type) {
    case Type::Integer:
        return text.toInt();
    case Type::Boolean:
        return text.toInt() != 0;
    case Type::Port:
    case Type::Text:
        break;
    }
    return text;
}

Language SettingsStore::sanitizedLanguage(int language)
{
    return isValidLanguage(language) ? Language(language) : Language::English;
}

SettingsStore::Values SettingsStore::designValues()
{
    Values v;
    for (int n = 1; n <= kNumberedCount; ++n)
        v.ip[size_t(n - 1)] = designIp(n);
    return v;
}

std::optional<QVariant> SettingsStore::read(const QString &name) const
{
    if (!m_settings->contains(name))
        return std::nullopt;
    return m_settings->value(name);
}

std::optional<int> SettingsStore::readInt(const QString &name) const
{
    const auto v = read(name);
    if (!v)
        return std::nullopt;
    bool ok = false;
    const int i = v->toString().trimmed().toInt(&ok);
    if (ok)
        return i;
    // A boolean written by another tool reads as 1 or 0.
    const QString text = v->toString().trimmed().toLower();
    if (text == QLatin1String("true"))
        return 1;
    if (text == QLatin1String("false"))
        return 0;
    return std::nullopt;
}

std::optional<QString> SettingsStore::readString(const QString &name) const
{
    const auto v = read(name);
    if (!v)
        return std::nullopt;
    return v->toString();
}

std::optional<QVariant> SettingsStore::readValue(const QString &name) const
{
    switch (storedType(name).value_or(Type::Text)) {
    case Type::Integer:
        if (const auto i = readInt(name))
            return QVariant(*i);
        return std::nullopt;
    case Type::Boolean:
        if (const auto i = readInt(name))
            return QVariant(*i != 0);
        return std::nullopt;
    case Type::Port:
        if (const auto text = readString(name))
            return QVariant::fromValue(PortText::port(*text));
        return std::nullopt;
    case Type::Text:
        break;
    }
    if (const auto text = readString(name))
        return QVariant(*text);
    return std::nullopt;
}

void SettingsStore::writeValue(const QString &name, const QVariant &value)
{
    switch (storedType(name).value_or(Type::Text)) {
    case Type::Integer:
        write(name, value.toInt());
        return;
    case Type::Boolean:
        write(name, value.toBool() ? 1 : 0);
        return;
    case Type::Port:
        write(name, QString::number(value.toUInt()));
        return;
    case Type::Text:
        break;
    }
    write(name, value.toString());
}

std::optional<SettingsStore::Values> SettingsStore::load() const
{
    if (!exists())
        return std::nullopt;
    Values v;
    const auto get = [this](const QString &name) { return readValue(name).value_or(absentValue(name)); };
    v.language = sanitizedLanguage(get(kLanguageIndex).toInt());
    v.page = LinkKindTable::fromStoredPage(get(kPage).toInt());
    v.tagFilterUid = get(kTagFilterUid).toString();
    v.tcpRemotePort = quint16(get(kTcpRemotePort).toUInt());
    v.localPort = quint16(get(kLocalPort).toUInt());
    v.desPort = quint16(get(kDesPort).toUInt());
    v.listenPort = quint16(get(kListenPort).toUInt());
    v.fileName = get(kFileName).toString();
    v.autoSaveFile = get(kAutoSaveFile).toBool();
    v.allTags = get(kAllTags).toBool();
    for (int n = 1; n <= kNumberedCount; ++n) {
        const size_t i = size_t(n - 1);
        v.com[i] = get(numbered(kComPrefix, n)).toInt() == 1;
        v.net[i] = get(numbered(kNetPrefix, n)).toInt() == 1;
        v.ip[i] = get(numbered(kIpPrefix, n)).toString();
    }
    v.mqtt.publish = get(kMqttPublish).toBool();
    v.mqtt.url = get(kMqttUrl).toString();
    v.mqtt.prefix = get(kMqttPrefix).toString();
    v.mqtt.site = get(kMqttSite).toString();
    v.mqtt.qos = get(kMqttQos).toInt() == 1 ? 1 : 0; // QoS 2 is not offered
    v.mqtt.user = get(kMqttUser).toString();
    v.mqtt.passwordFile = get(kMqttPasswordFile).toString();
    v.mqtt.caFile = get(kMqttCaFile).toString();
    v.mqtt.inUrl = get(kMqttInUrl).toString();
    v.mqtt.inPrefix = get(kMqttInPrefix).toString();
    v.tagReadFolded = get(kTagReadFolded).toBool();
    v.tagProvisionFolded = get(kTagProvisionFolded).toBool();
    v.webView = get(kWebView).toBool();
    const int webPort = get(kWebViewPort).toInt();
    v.webViewPort = webPort >= 1 && webPort <= 65535 ? quint16(webPort) : kDefaultWebViewPort;
    return v;
}

void SettingsStore::write(const QString &name, const QVariant &value)
{
    m_settings->setValue(name, value);
}

void SettingsStore::sync()
{
    m_settings->sync();
}

void SettingsStore::writeLanguageIndex(Language language)
{
    writeValue(kLanguageIndex, int(language));
    sync();
}

void SettingsStore::writeShutdown(LinkKind page, Language language)
{
    writeValue(kPage, LinkKindTable::storedPage(page));
    writeValue(kLanguageIndex, int(language));
    sync();
}

void SettingsStore::writeReadingStart(const ReadingStart &values)
{
    writeValue(kTagFilterUid, values.tagFilterUid);
    writeValue(kTcpRemotePort, values.tcpRemotePort);
    writeValue(kLocalPort, values.localPort);
    writeValue(kDesPort, values.desPort);
    writeValue(kListenPort, values.listenPort);
    writeValue(kPage, LinkKindTable::storedPage(values.page));
    for (int n = 1; n <= kNumberedCount; ++n) {
        const size_t i = size_t(n - 1);
        writeValue(numbered(kComPrefix, n), values.com[i]);
        writeValue(numbered(kNetPrefix, n), values.net[i]);
        writeValue(numbered(kIpPrefix, n), values.ip[i]);
    }
    sync();
}

void SettingsStore::writeTagFilter(const QString &filter)
{
    writeValue(kTagFilterUid, filter);
    sync();
}

void SettingsStore::writeFileName(const QString &fileName)
{
    writeValue(kFileName, fileName);
    sync();
}

void SettingsStore::writeAutoSave(bool autoSaveFile, bool allTags)
{
    writeValue(kAutoSaveFile, autoSaveFile);
    writeValue(kAllTags, allTags);
    sync();
}

void SettingsStore::writeMqtt(const MqttValues &values)
{
    writeValue(kMqttPublish, values.publish);
    writeValue(kMqttUrl, values.url);
    writeValue(kMqttPrefix, values.prefix);
    writeValue(kMqttSite, values.site);
    writeValue(kMqttQos, values.qos);
    writeValue(kMqttUser, values.user);
    writeValue(kMqttPasswordFile, values.passwordFile);
    writeValue(kMqttCaFile, values.caFile);
    writeValue(kMqttInUrl, values.inUrl);
    writeValue(kMqttInPrefix, values.inPrefix);
    sync();
}

void SettingsStore::writeTagPanelFolds(bool readFolded, bool provisionFolded)
{
    writeValue(kTagReadFolded, readFolded);
    writeValue(kTagProvisionFolded, provisionFolded);
    sync();
}

void SettingsStore::writeWebView(bool on, quint16 port)
{
    writeValue(kWebView, on);
    writeValue(kWebViewPort, int(port));
    sync();
}

QVariantMap SettingsStore::comDevices() const
{
    return read(kComDevices).value_or(QVariant()).toMap();
}

void SettingsStore::writeComDevices(const QVariantMap &devices)
{
    write(kComDevices, devices);
    sync();
}

QString SettingsStore::udpBroadcastAddress() const
{
    const QString stored = readString(kUdpBroadcastAddress).value_or(QString()).trimmed();
    QHostAddress address;
    if (!stored.isEmpty() && address.setAddress(stored) &&
        address.protocol() == QAbstractSocket::IPv4Protocol)
        return address.toString();
    return QStringLiteral("255.255.255.255");
}
