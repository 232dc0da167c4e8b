#include "capture/LiveCapture.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <net/if.h>
#include <net/if_arp.h>
#include <netinet/in.h>
#include <pcap/pcap.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("LiveCapture", text);
}

constexpr int kSnapshotLength = 65535;
// The kernel's ring for one capture: most of a second of a dense sensor's
// traffic (30,000 frames of 1248 bytes a second), so a busy disk or a loaded
// machine does not cost frames.
constexpr int kBufferBytes = 32 * 1024 * 1024;

// The link type an adapter delivers, known without opening it (which
// needs capture permission): Linux names the hardware type of every network
// interface, and libpcap delivers Ethernet frames for Ethernet and loopback
// interfaces. Pseudo-adapters (any, Bluetooth, netfilter, D-Bus) have no
// network interface and stay unknown. The kernel is asked through a socket,
// which answers for this thread's network namespace (sysfs shows the
// namespace it was mounted in, which a process moved into another does not
// see its adapters in).
int linkTypeOf(const std::string& name) {
    if (name.empty() || name.size() >= IFNAMSIZ) {
        return -1;
    }
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    ifreq request{};
    std::memcpy(request.ifr_name, name.c_str(), name.size());
    const bool known = ::ioctl(fd, SIOCGIFHWADDR, &request) == 0;
    ::close(fd);
    if (!known) {
        return -1;
    }
    const int hardware = request.ifr_hwaddr.sa_family;
    return hardware == ARPHRD_ETHER || hardware == ARPHRD_LOOPBACK ? DLT_EN10MB : -1;
}

QString adapterText(const std::string& adapter) {
    return QString::fromLocal8Bit(adapter.c_str());
}

} // namespace

std::vector<CaptureAdapter> LiveCapture::listAdapters(QString* errorText) {
    char error[PCAP_ERRBUF_SIZE] = {};
    pcap_if_t* all = nullptr;
    if (pcap_findalldevs(&all, error) != 0) {
        if (errorText) {
            *errorText = tr("The network adapters could not be listed: %1")
                             .arg(QString::fromLocal8Bit(error));
        }
        return {};
    }
    std::vector<CaptureAdapter> adapters;
    for (const pcap_if_t* d = all; d != nullptr; d = d->next) {
        CaptureAdapter a;
        a.name = d->name;
        a.description = d->description ? d->description : "";
        a.up = (d->flags & PCAP_IF_UP) != 0;
        a.running = (d->flags & PCAP_IF_RUNNING) != 0;
        a.loopback = (d->flags & PCAP_IF_LOOPBACK) != 0;
        a.linkType = linkTypeOf(a.name);
        for (const pcap_addr_t* address = d->addresses; address != nullptr;
             address = address->next) {
            if (address->addr == nullptr || address->addr->sa_family != AF_INET) {
                continue;
            }
            sockaddr_in ipv4;
            std::memcpy(&ipv4, address->addr, sizeof ipv4);
            char text[INET_ADDRSTRLEN] = {};
            if (inet_ntop(AF_INET, &ipv4.sin_addr, text, sizeof text) != nullptr) {
                a.ipv4Addresses.emplace_back(text);
            }
        }
        adapters.push_back(std::move(a));
    }
    pcap_freealldevs(all);
    return adapters;
}

std::unique_ptr<LiveCapture> LiveCapture::open(const std::string& adapter,
                                               std::chrono::milliseconds readTimeout,
                                               QString* errorText) {
    const auto fail = [&](const QString& text) {
        if (errorText) {
            *errorText = text;
        }
        return nullptr;
    };
    const int timeoutMs = static_cast<int>(readTimeout.count() > 0 ? readTimeout.count() : 1);
    char error[PCAP_ERRBUF_SIZE] = {};
    pcap_t* handle = pcap_create(adapter.c_str(), error);
    if (handle == nullptr) {
        return fail(tr("The network adapter %1 cannot be opened: %2")
                        .arg(adapterText(adapter), QString::fromLocal8Bit(error)));
    }
    pcap_set_snaplen(handle, kSnapshotLength);
    pcap_set_promisc(handle, 1);
    pcap_set_timeout(handle, timeoutMs);
    pcap_set_buffer_size(handle, kBufferBytes);
    const int status = pcap_activate(handle);
    if (status < 0) {
        QString text;
        switch (status) {
        case PCAP_ERROR_PERM_DENIED:
        case PCAP_ERROR_PROMISC_PERM_DENIED:
            text = permissionHelp();
            break;
        case PCAP_ERROR_NO_SUCH_DEVICE:
            text = tr("The network adapter %1 does not exist.").arg(adapterText(adapter));
            break;
        case PCAP_ERROR_IFACE_NOT_UP:
            text = tr("The network adapter %1 is not up.").arg(adapterText(adapter));
            break;
        default:
            text = tr("The network adapter %1 cannot be opened: %2")
                       .arg(adapterText(adapter), QString::fromLocal8Bit(pcap_geterr(handle)));
            break;
        }
        pcap_close(handle);
        return fail(text);
    }
    std::unique_ptr<LiveCapture> capture(new LiveCapture(handle));
    capture->readTimeoutMs_ = timeoutMs;
    // Reads wait in poll() with the time-out, so they end even when no frame
    // arrives (the kernel's block time-out alone wakes nobody then).
    if (pcap_setnonblock(handle, 1, error) == 0) {
        capture->pollDescriptor_ = pcap_get_selectable_fd(handle);
    }
    return capture;
}

QString LiveCapture::permissionHelp() {
    QString binary =
        QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    if (binary.isEmpty()) {
        binary = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    }
    // Quoted for the shell when the path needs it.
    if (binary.contains(QRegularExpression(QStringLiteral("[^A-Za-z0-9_./+-]")))) {
        binary = "'" + QString(binary).replace("'", "'\\''") + "'";
    }
    return tr("Capturing network traffic needs root or the CAP_NET_RAW capability. Grant it to "
              "this program once with:\n\nsudo setcap cap_net_raw+eip %1")
        .arg(binary);
}

LiveCapture::~LiveCapture() {
    pcap_close(handle_);
}

bool LiveCapture::setFilter(const std::string& expression, QString* errorText) {
    bpf_program program{};
    if (pcap_compile(handle_, &program, expression.c_str(), 0, PCAP_NETMASK_UNKNOWN) != 0) {
        if (errorText) {
            *errorText = tr("The capture filter \"%1\" is not valid: %2")
                             .arg(QString::fromStdString(expression),
                                  QString::fromLocal8Bit(pcap_geterr(handle_)));
        }
        return false;
    }
    const bool installed = pcap_setfilter(handle_, &program) == 0;
    if (!installed && errorText) {
        *errorText = tr("The capture filter \"%1\" cannot be installed: %2")
                         .arg(QString::fromStdString(expression),
                              QString::fromLocal8Bit(pcap_geterr(handle_)));
    }
    pcap_freecode(&program);
    return installed;
}

LiveCapture::ReadResult LiveCapture::next(Frame& frame, QString* errorText) {
    return read(frame, errorText, true);
}

LiveCapture::ReadResult LiveCapture::nextPending(Frame& frame, QString* errorText) {
    return read(frame, errorText, false);
}

LiveCapture::ReadResult LiveCapture::read(Frame& frame, QString* errorText, bool wait) {
    const auto fail = [&](const QString& text) {
        if (errorText) {
            *errorText = text;
        }
        return ReadResult::Error;
    };
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    int got = pcap_next_ex(handle_, &header, &data);
    if (got == 0 && wait && pollDescriptor_ >= 0) {
        pollfd ready{pollDescriptor_, POLLIN, 0};
        const int polled = ::poll(&ready, 1, readTimeoutMs_);
        const int pollError = errno;
        if (polled < 0 && pollError != EINTR) {
            return fail(tr("Waiting for the network adapter failed: %1")
                            .arg(QString::fromLocal8Bit(std::strerror(pollError))));
        }
        if (polled <= 0) {
            return ReadResult::Timeout;
        }
        // A frame, or an error condition that the capture library reads.
        got = pcap_next_ex(handle_, &header, &data);
        if (got == 0 && (ready.revents & POLLIN) == 0) {
            return fail(tr("The network adapter stopped delivering frames."));
        }
    }
    if (got == 1) {
        frame.data = data;
        frame.length = header->caplen;
        frame.header = header;
        return ReadResult::Frame;
    }
    if (got == PCAP_ERROR) {
        return fail(tr("Reading from the network adapter failed: %1")
                        .arg(QString::fromLocal8Bit(pcap_geterr(handle_))));
    }
    return ReadResult::Timeout; // nothing yet, or pcap_breakloop()
}

int LiveCapture::linkType() const {
    return pcap_datalink(handle_);
}
