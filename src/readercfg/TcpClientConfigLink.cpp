#include "readercfg/TcpClientConfigLink.h"

#include "link/TcpKeepAlive.h"

#include <QTcpSocket>

TcpClientConfigLink::TcpClientConfigLink(const QString &host, quint16 port, QObject *parent)
    : ConfigLink(LinkKind::TcpToReaders, parent), m_host(host.trimmed()), m_port(port)
{
}

TcpClientConfigLink::~TcpClientConfigLink()
{
    close();
}

bool TcpClientConfigLink::open()
{
    close();
    if (m_host.isEmpty()) {
        setError(QStringLiteral("No reader address to connect to"));
        return false;
    }
    m_socket = new QTcpSocket(this);
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        TcpKeepAlive::enable(m_socket); // a reader that loses power is noticed
        becomeReady();
    });
    connect(m_socket, &QTcpSocket::readyRead, this, [this] { emit bytesReceived(m_socket->readAll()); });
    connect(m_socket, &QTcpSocket::disconnected, this, &TcpClientConfigLink::handleLost);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &TcpClientConfigLink::handleLost);
    clearError();
    setState(State::Waiting);
    m_socket->connectToHost(m_host, m_port);
    return true;
}

void TcpClientConfigLink::close()
{
    if (!m_socket)
        return;
    disconnect(m_socket, nullptr, this, nullptr);
    m_socket->abort();
    delete m_socket;
    m_socket = nullptr;
    setState(State::Closed);
}

bool TcpClientConfigLink::send(const QByteArray &bytes)
{
    if (state() != State::Ready)
        return false;
    return m_socket->write(bytes) == bytes.size();
}

void TcpClientConfigLink::handleLost()
{
    if (!m_socket)
        return;
    setError(QStringLiteral("%1:%2: %3"), {m_host, QString::number(m_port), m_socket->errorString()});
    const QString why = errorText();
    dropSocket();
    emit failed(why);
}

void TcpClientConfigLink::dropSocket()
{
    // Called from the socket's own signals: it goes once they have returned.
    disconnect(m_socket, nullptr, this, nullptr);
    m_socket->abort();
    m_socket->deleteLater();
    m_socket = nullptr;
    setState(State::Closed);
}
