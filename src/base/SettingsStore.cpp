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
// The settings table: every value's name and stored type. Defaults live in Values (designValues()
// for a first run); the numbered values take their type from their prefix.
struct TableEntry
{
    const char *name;
    SettingsStore::StoredType type;
};

using Type = SettingsStore::StoredType;
constexpr TableEntry kTable[] = {
    {SettingsStore::kLanguageIndex, Type::Integer}, {SettingsStore::kPage, Type::Integer},
    {SettingsStore::kTagFilterUid, Type::Text},     {SettingsStore::kTcpRemotePort, Type::Port},
    {SettingsStore::kLocalPort, Type::Port},        {SettingsStore::kDesPort, Type::Port},
    {SettingsStore::kListenPort, Type::Port},       {SettingsStore::kFileName, Type::Text},
    {SettingsStore::kAutoSaveFile, Type::Boolean},  {SettingsStore::kAllTags, Type::Boolean},
};
constexpr TableEntry kNumberedTable[] = {
    {SettingsStore::kComPrefix, Type::Integer}, // ticked only when exactly 1
    {SettingsStore::kNetPrefix, Type::Integer}, // ticked only when exactly 1
    {SettingsStore::kIpPrefix, Type::Text},
};

QString numbered(const char *prefix, int n)
{
    return QLatin1String(prefix) + QString::number(n);
}
} // namespace

std::optional<SettingsStore::StoredType> SettingsStore::storedType(const QString &name)
{
    for (const TableEntry &e : kTable) {
        if (name == QLatin1String(e.name))
            return e.type;
    }
    for (const TableEntry &e : kNumberedTable) {
        const QLatin1String prefix(e.name);
        bool ok = false;
        if (name.startsWith(prefix) && name.mid(prefix.size()).toInt(&ok) >= 1 && ok &&
            !name.mid(prefix.size()).startsWith(QLatin1Char('0')))
            return e.type;
    }
    return std::nullopt;
}

Language SettingsStore::sanitizedLanguage(int language)
{
    return LanguageTable::isValidLanguage(language) ? Language(language) : Language::English;
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
    const auto get = [this](const char *name, const QVariant &fallback) {
        return readValue(QLatin1String(name)).value_or(fallback);
    };
    v.language = sanitizedLanguage(get(kLanguageIndex, 0).toInt());
    v.page = LinkKindTable::fromStoredPage(get(kPage, 0).toInt());
    v.tagFilterUid = get(kTagFilterUid, QString()).toString();
    v.tcpRemotePort = quint16(get(kTcpRemotePort, v.tcpRemotePort).toUInt());
    v.localPort = quint16(get(kLocalPort, v.localPort).toUInt());
    v.desPort = quint16(get(kDesPort, v.desPort).toUInt());
    v.listenPort = quint16(get(kListenPort, v.listenPort).toUInt());
    v.fileName = get(kFileName, v.fileName).toString();
    v.autoSaveFile = get(kAutoSaveFile, false).toBool();
    v.allTags = get(kAllTags, false).toBool();
    for (int n = 1; n <= kNumberedCount; ++n) {
        const size_t i = size_t(n - 1);
        v.com[i] = readValue(numbered(kComPrefix, n)).value_or(0).toInt() == 1;
        v.net[i] = readValue(numbered(kNetPrefix, n)).value_or(0).toInt() == 1;
        v.ip[i] = readValue(numbered(kIpPrefix, n)).value_or(defaultIp(n)).toString();
    }
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
