#include "socketreader.h"

#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

constexpr int BatchDatagrams = 32;
constexpr size_t MostBytes = 65536; // more than a datagram holds

} // namespace

SocketReader::SocketReader(int fd, std::function<void()> ready)
    : m_fd(fd), m_stopFd(::eventfd(0, EFD_CLOEXEC)), m_ready(std::move(ready))
{
    m_thread = QThread::create([this] { run(); });
    m_thread->start(QThread::HighPriority);
}

SocketReader::~SocketReader()
{
    const quint64 one = 1;
    if (::write(m_stopFd, &one, sizeof one) != sizeof one)
        qWarning("portana: the socket's reader could not be told to stop");
    m_thread->wait();
    delete m_thread;
    ::close(m_stopFd);
}

std::optional<SocketReader::Datagram> SocketReader::next()
{
    std::lock_guard lock(m_mutex);
    if (m_queue.empty()) {
        m_told = false;
        return std::nullopt;
    }
    Datagram d = std::move(m_queue.front());
    m_queue.pop_front();
    return d;
}

void SocketReader::keep(Datagram &&d)
{
    bool tell = false;
    {
        std::lock_guard lock(m_mutex);
        // Full: the window thread is far behind; this one is lost, as the
        // kernel would lose it.
        if (m_queue.size() >= QueueDatagrams)
            return;
        m_queue.push_back(std::move(d));
        tell = !std::exchange(m_told, true);
    }
    if (tell)
        m_ready();
}

void SocketReader::run()
{
    std::vector<char> buffers(BatchDatagrams * MostBytes);
    std::array<iovec, BatchDatagrams> iov{};
    std::array<sockaddr_in, BatchDatagrams> from{};
    std::array<mmsghdr, BatchDatagrams> msgs{};
    for (int i = 0; i < BatchDatagrams; ++i) {
        iov[size_t(i)] = {buffers.data() + size_t(i) * MostBytes, MostBytes};
        msgs[size_t(i)].msg_hdr.msg_iov = &iov[size_t(i)];
        msgs[size_t(i)].msg_hdr.msg_iovlen = 1;
    }
    pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            qWarning("portana: the socket cannot be waited on: %s", strerror(errno));
            return;
        }
        if (fds[1].revents)
            return;
        // What waits, a batch a call, until nothing does.
        for (int n = BatchDatagrams; n == BatchDatagrams;) {
            for (int i = 0; i < BatchDatagrams; ++i) {
                msgs[size_t(i)].msg_hdr.msg_name = &from[size_t(i)];
                msgs[size_t(i)].msg_hdr.msg_namelen = sizeof(sockaddr_in);
                msgs[size_t(i)].msg_hdr.msg_flags = 0;
            }
            n = ::recvmmsg(m_fd, msgs.data(), BatchDatagrams, MSG_DONTWAIT, nullptr);
            for (int i = 0; i < n; ++i) {
                const quint32 source = ntohl(from[size_t(i)].sin_addr.s_addr);
                if (!m_allowance.take(source))
                    continue;
                keep({QByteArray(static_cast<const char *>(iov[size_t(i)].iov_base),
                                 qsizetype(msgs[size_t(i)].msg_len)),
                      source});
            }
        }
    }
}
