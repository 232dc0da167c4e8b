#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// An IPv4 UDP socket over POSIX sockets. Owns its descriptor and any
// multicast membership; both are released by close() and the destructor,
// so every exit path of a receiver gives them back.
class UdpSocket {
public:
    enum class Status { Ok, Timeout, Truncated, Error };

    struct Received {
        Status status = Status::Error;
        std::size_t size = 0; // bytes stored in the buffer
        // Datagrams the kernel dropped on this socket since it was opened,
        // as reported with this datagram; -1 when the counter is not enabled.
        std::int64_t kernelDrops = -1;
        std::uint32_t sourceAddress = 0; // host byte order
        std::uint16_t sourcePort = 0;
    };

    UdpSocket();
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    bool isOpen() const { return fd_ >= 0; }

    // Binds to the wildcard address; port 0 lets the system choose.
    bool bindAny(std::uint16_t port);
    // Binds to one local address, given as dotted text.
    bool bindTo(const std::string& address, std::uint16_t port);
    std::uint16_t localPort() const;

    // Joins a multicast group on any interface. Fails for text that is not
    // a multicast address; the membership is left again on close().
    bool joinMulticast(const std::string& group);
    bool setReceiveTimeout(int milliseconds);
    // receive() then returns at once, with Status::Timeout when nothing waits.
    bool setNonBlocking();
    // Returns the buffer size the kernel granted (as it reports it: twice
    // the usable size), or -1.
    int setReceiveBufferSize(int bytes);
    // Asks the kernel to report its drop counter with each datagram.
    bool enableDropCounter();
    bool enableBroadcast();

    // Receives one datagram. A datagram longer than `capacity` is reported
    // as Truncated instead of being cut silently.
    Received receive(std::uint8_t* buffer, std::size_t capacity);

    // Sends one datagram to a dotted IPv4 address.
    bool sendTo(const std::string& address, std::uint16_t port, const std::uint8_t* data,
                std::size_t size);

    void close();

    // Dotted IPv4 text to an address in host byte order; false when invalid.
    static bool parseAddress(const std::string& text, std::uint32_t& address);

private:
    int fd_ = -1;
    bool joined_ = false;
    bool dropCounterEnabled_ = false;
    std::uint32_t joinedGroup_ = 0; // network byte order
};
