#include "bench/support/NginxServer.h"

#include "bench/support/LocalHttp.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr auto StatusPath = "/__nginx_status";

// Ports the system has free now, each different; nginx binds them a moment later.
QList<quint16> freePorts(int count)
{
    QList<int> sockets;
    QList<quint16> ports;
    for (int i = 0; i < count; ++i) {
        const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return {};
        sockets << listener;
        ports << ntohs(address.sin_port);
    }
    for (const int listener : sockets)
        ::close(listener);
    return ports;
}

} // namespace

NginxServer::~NginxServer()
{
    stop();
}

QString NginxServer::executable()
{
    const QString onPath = QStandardPaths::findExecutable(u"nginx"_s);
    if (!onPath.isEmpty())
        return onPath;
    return QStandardPaths::findExecutable(u"nginx"_s, {u"/usr/sbin"_s, u"/sbin"_s});
}

QString NginxServer::configuration(const QStringList& roots) const
{
    const QString prefix = m_prefix.path();
    QString text = uR"(daemon off;
master_process on;
worker_processes 1;
pid %1/nginx.pid;
error_log %1/error.log warn;
events { worker_connections 256; }
http {
    access_log off;
    sendfile on;
    types { text/html html; image/jpeg jpg jpeg; image/png png; image/gif gif; image/bmp bmp; }
    default_type application/octet-stream;
    client_body_temp_path %1/client_body;
    proxy_temp_path %1/proxy;
    fastcgi_temp_path %1/fastcgi;
    uwsgi_temp_path %1/uwsgi;
    scgi_temp_path %1/scgi;
)"_s.arg(prefix);
    for (qsizetype i = 0; i < roots.size(); ++i) {
        text += uR"(    server {
        listen 127.0.0.1:%1;
        root %2;
        charset koi8-r;
        location = %3 { stub_status; }
    }
)"_s.arg(m_ports[i])
                    .arg(roots[i], QLatin1StringView(StatusPath));
    }
    return text + u"}\n"_s;
}

bool NginxServer::answers() const
{
    for (const quint16 port : m_ports) {
        if (!LocalHttp::get(port, StatusPath, 2000).startsWith("HTTP/1.1 200 OK"))
            return false;
    }
    return true;
}

QString NginxServer::start(const QStringList& roots)
{
    const QString program = executable();
    if (program.isEmpty())
        return u"nginx is not installed"_s;
    if (!m_prefix.isValid())
        return u"no temporary folder for nginx"_s;
    QProcess versionQuery;
    versionQuery.start(program, {u"-v"_s});
    versionQuery.waitForFinished(5000);
    m_version = QString::fromLatin1(versionQuery.readAllStandardError().trimmed())
                    .section(u':', 1)
                    .trimmed();

    // A port may be taken between the look and nginx's bind: a few tries.
    QString failure;
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_ports = freePorts(int(roots.size()));
        QFile file(m_prefix.filePath(u"nginx.conf"_s));
        if (m_ports.size() != roots.size() ||
            !file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(configuration(roots).toUtf8()) < 0)
            return u"cannot write the nginx configuration"_s;
        file.close();
        // nginx ends with the bench even if the bench is killed, and Ctrl+C at the terminal
        // reaches only the bench, which then stops nginx itself.
        m_process.setChildProcessModifier([] {
            ::setpgid(0, 0);
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        });
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(program, {u"-p"_s, m_prefix.path(), u"-e"_s,
                                  m_prefix.filePath(u"error.log"_s), u"-c"_s, file.fileName()});
        QElapsedTimer waited;
        waited.start();
        while (m_process.state() != QProcess::NotRunning && !answers() && waited.elapsed() < 10000)
            QThread::msleep(20);
        if (m_process.state() != QProcess::NotRunning && answers())
            return {};
        stop();
        QFile log(m_prefix.filePath(u"error.log"_s));
        log.open(QIODevice::ReadOnly);
        failure = QString::fromLocal8Bit(m_process.readAll() + log.readAll()).trimmed();
    }
    return u"nginx did not start: "_s + failure;
}

void NginxServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate(); // fast shutdown: the master stops its worker and ends
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

qint64 NginxServer::requests() const
{
    // "Active connections: 1 \nserver accepts handled requests\n 5 5 9 \n..."
    const QByteArray reply = LocalHttp::get(m_ports.value(0), StatusPath, 2000);
    const qsizetype header = reply.indexOf("requests\n");
    if (header < 0)
        return -1;
    const QList<QByteArray> counts =
        reply.mid(header + 9).split('\n').value(0).simplified().split(' ');
    return counts.size() == 3 ? counts[2].toLongLong() : -1;
}
