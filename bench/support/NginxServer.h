#pragma once

#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Debian's nginx, started for the bench: one worker, no access log, sendfile, each document root
// on a free 127.0.0.1 port of its own, from a configuration generated in a temporary folder.
// Requests in proxy form ("GET http://zolvane.com/path HTTP/1.0") are answered from the same
// root as direct ones. Stopped when the object goes, and with the bench if the bench dies.
class NginxServer {
public:
    NginxServer() = default;
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    // The nginx program, or empty when it is not installed.
    static QString executable();

    // Empty when every root is served, else why not.
    QString start(const QStringList& roots);
    void stop();

    quint16 port(int root) const { return m_ports.value(root); }
    QString version() const { return m_version; }

    // Requests nginx has answered since it started, on every port, counting this question.
    qint64 requests() const;

private:
    QString configuration(const QStringList& roots) const;
    bool answers() const;

    QTemporaryDir m_prefix;
    QProcess m_process;
    QList<quint16> m_ports;
    QString m_version;
};
