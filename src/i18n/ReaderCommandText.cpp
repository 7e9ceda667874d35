#include "i18n/ReaderCommandText.h"

#include "i18n/LanguageTable.h"

namespace ReaderCommandText {
namespace {

QString attemptFailed(const ReaderCommandMessage &m)
{
    const QString n = QString::number(m.counter);
    switch (m.link) {
    case LinkKind::Serial:
        return QStringLiteral("Command Error !  [ ") + n + QStringLiteral(" ]");
    case LinkKind::Udp:
        return QStringLiteral("Connect Error ! [ ") + n + QStringLiteral(" ]");
    case LinkKind::TcpToReaders:
    case LinkKind::TcpListener:
    case LinkKind::Mqtt:
        break;
    }
    return (m.connected ? QStringLiteral("Command Error !  [ ") : QStringLiteral("Connect Error !  [ ")) + n +
           QStringLiteral(" ]");
}

} // namespace

QString message(const ReaderCommandMessage &message, Language language)
{
    using Kind = ReaderCommandMessage::Kind;
    switch (message.kind) {
    case Kind::None:
        return {};
    case Kind::SelectFunction:
        return translate(language, QStringLiteral("Select Function"));
    case Kind::CommandOk:
        return translate(language, QStringLiteral("Command Ok."));
    case Kind::OpenFailed:
        return QStringLiteral("Connect Error !");
    case Kind::AttemptFailed:
        return attemptFailed(message);
    case Kind::CommandFailed:
        return QStringLiteral("Command Error !");
    case Kind::Cancelled:
        break;
    }
    return translate(language, QStringLiteral("Command Cancelled !"));
}

QString tagPanelMessage(const ReaderCommandMessage &message, Language language)
{
    switch (message.kind) {
    case ReaderCommandMessage::Kind::OpenFailed:
        return ReaderCommandText::message({ReaderCommandMessage::Kind::CommandFailed}, language);
    case ReaderCommandMessage::Kind::AttemptFailed:
        return ReaderCommandText::message(message, language);
    default:
        return {};
    }
}

} // namespace ReaderCommandText
