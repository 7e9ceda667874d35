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

int SettingsStore::linkModeForPage(int page)
{
    return page >= 0 && page <= 2 ? page : 3;
}

int SettingsStore::sanitizedLanguage(int language)
{
    return language >= 0 && language <= 2 ? language : 0;
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

std::optional<SettingsStore::Values> SettingsStore::load() const
{
    if (!exists())
        return std::nullopt;
    Values v;
    v.languageIndex = sanitizedLanguage(readInt(kLanguageIndex).value_or(0));
    v.page = readInt(kPage).value_or(0);
    v.tagFilterUid = readString(kTagFilterUid).value_or(QString());
    v.tcpRemotePort = readString(kTcpRemotePort).value_or(v.tcpRemotePort);
    v.localPort = readString(kLocalPort).value_or(v.localPort);
    v.desPort = readString(kDesPort).value_or(v.desPort);
    v.listenPort = readString(kListenPort).value_or(v.listenPort);
    v.fileName = readString(kFileName).value_or(v.fileName);
    v.autoSaveFile = readInt(kAutoSaveFile).value_or(0) != 0;
    v.allTags = readInt(kAllTags).value_or(0) != 0;
    for (int n = 1; n <= kNumberedCount; ++n) {
        const size_t i = size_t(n - 1);
        v.com[i] = readInt(QLatin1String(kComPrefix) + QString::number(n)).value_or(0) == 1;
        v.net[i] = readInt(QLatin1String(kNetPrefix) + QString::number(n)).value_or(0) == 1;
        v.ip[i] = readString(QLatin1String(kIpPrefix) + QString::number(n)).value_or(defaultIp(n));
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

void SettingsStore::writeLanguageIndex(int language)
{
    write(kLanguageIndex, language);
    sync();
}

void SettingsStore::writeShutdown(int page, int language)
{
    write(kPage, page);
    write(kLanguageIndex, language);
    sync();
}

void SettingsStore::writeReadingStart(const ReadingStart &values)
{
    write(kTagFilterUid, values.tagFilterUid);
    write(kTcpRemotePort, values.tcpRemotePort);
    write(kLocalPort, values.localPort);
    write(kDesPort, values.desPort);
    write(kListenPort, values.listenPort);
    write(kPage, values.page);
    for (int n = 1; n <= kNumberedCount; ++n) {
        const size_t i = size_t(n - 1);
        write(QLatin1String(kComPrefix) + QString::number(n), values.com[i] ? 1 : 0);
        write(QLatin1String(kNetPrefix) + QString::number(n), values.net[i] ? 1 : 0);
        write(QLatin1String(kIpPrefix) + QString::number(n), values.ip[i]);
    }
    sync();
}

void SettingsStore::writeTagFilter(const QString &filter)
{
    write(kTagFilterUid, filter);
    sync();
}

void SettingsStore::writeFileName(const QString &fileName)
{
    write(kFileName, fileName);
    sync();
}

void SettingsStore::writeAutoSave(bool autoSaveFile, bool allTags)
{
    write(kAutoSaveFile, autoSaveFile ? 1 : 0);
    write(kAllTags, allTags ? 1 : 0);
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
