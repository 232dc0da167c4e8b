#include "net/UdpSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

UdpSocket::UdpSocket() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP)) {}

UdpSocket::~UdpSocket() {
    close();
}

bool UdpSocket::parseAddress(const std::string& text, std::uint32_t& address) {
    in_addr parsed{};
    if (::inet_pton(AF_INET, text.c_str(), &parsed) != 1) {
        return false;
    }
    address = ntohl(parsed.s_addr);
    return true;
}

bool UdpSocket::bindAny(std::uint16_t port) {
    if (fd_ < 0) {
        return false;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(port);
    return ::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

bool UdpSocket::bindTo(const std::string& address, std::uint16_t port) {
    std::uint32_t host = 0;
    if (fd_ < 0 || !parseAddress(address, host)) {
        return false;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(host);
    local.sin_port = htons(port);
    return ::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

std::uint16_t UdpSocket::localPort() const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return 0;
    }
    return ntohs(local.sin_port);
}

bool UdpSocket::joinMulticast(const std::string& group) {
    std::uint32_t host = 0;
    if (fd_ < 0 || joined_ || !parseAddress(group, host)) {
        return false;
    }
    ip_mreq request{};
    request.imr_multiaddr.s_addr = htonl(host);
    request.imr_interface.s_addr = htonl(INADDR_ANY);
    if (::setsockopt(fd_, IPPROTO_IP, IP_ADD_MEMBERSHIP, &request, sizeof request) != 0) {
        return false;
    }
    joined_ = true;
    joinedGroup_ = request.imr_multiaddr.s_addr;
    return true;
}

bool UdpSocket::setReceiveTimeout(int milliseconds) {
    timeval timeout{};
    timeout.tv_sec = milliseconds / 1000;
    timeout.tv_usec = (milliseconds % 1000) * 1000;
    return fd_ >= 0 && ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) == 0;
}

bool UdpSocket::setNonBlocking() {
    if (fd_ < 0) {
        return false;
    }
    const int flags = ::fcntl(fd_, F_GETFL);
    return flags >= 0 && ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK) == 0;
}

int UdpSocket::setReceiveBufferSize(int bytes) {
    if (fd_ < 0 || ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes) != 0) {
        return -1;
    }
    int granted = 0;
    socklen_t length = sizeof granted;
    if (::getsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &granted, &length) != 0) {
        return -1;
    }
    // The kernel caps SO_RCVBUF at net.core.rmem_max and reports twice
    // what it was given; with CAP_NET_ADMIN the cap can be passed.
    if (granted / 2 < bytes &&
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) == 0 &&
        ::getsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &granted, &length) != 0) {
        return -1;
    }
    return granted;
}

bool UdpSocket::enableDropCounter() {
    const int on = 1;
    dropCounterEnabled_ =
        fd_ >= 0 && ::setsockopt(fd_, SOL_SOCKET, SO_RXQ_OVFL, &on, sizeof on) == 0;
    return dropCounterEnabled_;
}

bool UdpSocket::enableBroadcast() {
    const int on = 1;
    return fd_ >= 0 && ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) == 0;
}

UdpSocket::Received UdpSocket::receive(std::uint8_t* buffer, std::size_t capacity) {
    Received result;
    if (fd_ < 0) {
        return result;
    }
    sockaddr_in source{};
    iovec vector{buffer, capacity};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(std::uint32_t))];
    msghdr message{};
    message.msg_name = &source;
    message.msg_namelen = sizeof source;
    message.msg_iov = &vector;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;

    const ssize_t got = ::recvmsg(fd_, &message, 0);
    if (got < 0) {
        result.status = (errno == EAGAIN || errno == EWOULDBLOCK) ? Status::Timeout : Status::Error;
        return result;
    }
    // The kernel attaches the counter only once it is non-zero.
    if (dropCounterEnabled_) {
        result.kernelDrops = 0;
    }
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SO_RXQ_OVFL) {
            std::uint32_t drops = 0;
            std::memcpy(&drops, CMSG_DATA(header), sizeof drops);
            result.kernelDrops = drops;
        }
    }
    result.size = static_cast<std::size_t>(got);
    result.sourceAddress = ntohl(source.sin_addr.s_addr);
    result.sourcePort = ntohs(source.sin_port);
    result.status = (message.msg_flags & MSG_TRUNC) ? Status::Truncated : Status::Ok;
    return result;
}

bool UdpSocket::sendTo(const std::string& address, std::uint16_t port, const std::uint8_t* data,
                       std::size_t size) {
    std::uint32_t host = 0;
    if (fd_ < 0 || !parseAddress(address, host)) {
        return false;
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = htonl(host);
    target.sin_port = htons(port);
    const ssize_t sent =
        ::sendto(fd_, data, size, 0, reinterpret_cast<const sockaddr*>(&target), sizeof target);
    return sent == static_cast<ssize_t>(size);
}

void UdpSocket::close() {
    if (fd_ < 0) {
        return;
    }
    if (joined_) {
        ip_mreq request{};
        request.imr_multiaddr.s_addr = joinedGroup_;
        request.imr_interface.s_addr = htonl(INADDR_ANY);
        ::setsockopt(fd_, IPPROTO_IP, IP_DROP_MEMBERSHIP, &request, sizeof request);
        joined_ = false;
    }
    ::close(fd_);
    fd_ = -1;
}
