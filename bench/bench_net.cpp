// Download engine on loopback: a 20 MB reply, and pages delivered one byte at a time.
// Prints medians; the engine runs on the main thread, the server on its own thread.
#include "core/net/Download_Control.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Serves one connection: reads the request, then sends the reply whole or one byte per write.
class OneShotServer {
public:
    OneShotServer(QByteArray reply, bool drip) : m_reply(std::move(reply)), m_drip(drip)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 1);
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~OneShotServer()
    {
        m_thread.join();
        ::close(m_listener);
    }
    quint16 port() const { return m_port; }

private:
    void serve()
    {
        const int client = ::accept(m_listener, nullptr, nullptr);
        const int one = 1;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        QByteArray request;
        char buffer[4096];
        while (!request.contains("\r\n\r\n")) {
            const auto got = ::recv(client, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            request.append(buffer, got);
        }
        if (m_drip) {
            for (const char c : m_reply) {
                if (::send(client, &c, 1, MSG_NOSIGNAL) != 1)
                    break;
                const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(30);
                while (std::chrono::steady_clock::now() < until) {
                }
            }
        } else {
            qsizetype sent = 0;
            while (sent < m_reply.size()) {
                const auto n = ::send(client, m_reply.constData() + sent,
                                      size_t(m_reply.size() - sent), MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                sent += n;
            }
        }
        // Give the client the chance to finish at the marker before the close arrives.
        std::this_thread::sleep_for(std::chrono::milliseconds(m_drip ? 200 : 0));
        ::close(client);
    }

    QByteArray m_reply;
    bool m_drip;
    int m_listener = -1;
    quint16 m_port = 0;
    std::thread m_thread;
};

struct Run {
    double seconds;
    double cpu;
    qsizetype size;
    int arrivals;
};

Run fetchOnce(const QByteArray& reply, bool drip, const QByteArray& marker)
{
    OneShotServer server(reply, drip);
    Download_Control engine;
    engine.setRHost("127.0.0.1");
    engine.setDirectPort(server.port());
    engine.setStopString(marker);
    int arrivals = 0;
    QObject::connect(&engine, &Download_Control::statusChanged, [&](const TransferStatus& status) {
        arrivals += status.kind == TransferStatus::Kind::Receiving;
    });
    QTimer::singleShot(120000, &engine, &Download_Control::Stopped);
    QElapsedTimer wall;
    const double cpuBefore = threadCpuSeconds();
    wall.start();
    const QByteArray got = engine.Down("/", false).bytes();
    const double cpu = threadCpuSeconds() - cpuBefore;
    return {wall.nsecsElapsed() / 1e9, cpu, got.size(), arrivals};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);

    const QByteArray big =
        "HTTP/1.0 200 OK\r\nContent-Type: image/jpeg\r\n\r\n" + QByteArray(20 * 1000 * 1000, 'j');
    std::vector<double> rates, cpus;
    for (int i = 0; i < 7; ++i) {
        const Run run = fetchOnce(big, false, {});
        if (run.size != big.size()) {
            std::printf("20 MB reply: wrong size %lld\n", qlonglong(run.size));
            return 1;
        }
        rates.push_back(double(run.size) / 1e6 / run.seconds);
        cpus.push_back(run.cpu);
    }
    std::printf("20 MB reply: median %.1f MB/s, median engine CPU %.3f s (7 runs)\n", median(rates),
                median(cpus));

    const QByteArray marker = "&raquo;&raquo;";
    for (const int size : {2000, 8000, 32000}) {
        const QByteArray page =
            "HTTP/1.0 200 OK\r\n\r\n" + QByteArray(size - 19 - marker.size(), 'p') + marker;
        std::vector<double> perByte, perArrival, arrivals;
        for (int i = 0; i < 3; ++i) {
            const Run run = fetchOnce(page, true, marker);
            if (run.size != page.size()) {
                std::printf("drip %d: wrong size %lld\n", size, qlonglong(run.size));
                return 1;
            }
            perByte.push_back(run.cpu / double(size) * 1e6);
            perArrival.push_back(run.cpu / std::max(1, run.arrivals) * 1e6);
            arrivals.push_back(run.arrivals);
        }
        std::printf(
            "one byte at a time, %6d bytes: median engine CPU %.2f us/byte, %.2f us/arrival, "
            "%.0f arrivals (3 runs)\n",
            size, median(perByte), median(perArrival), median(arrivals));
    }
    return 0;
}
