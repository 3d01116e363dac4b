// Addresses of serial lines behind a serial device server, in the form a
// link in the ports folder or vx18dctl's --port gives them:
//
//   rfc2217://HOST:PORT   telnet with the COM-PORT-OPTION (RFC 2217): line
//                         settings and purges reach the server's serial port
//   tcp://HOST:PORT       raw TCP: the bytes of the line and nothing else
//
// HOST is a host name, an IPv4 address or an IPv6 address in brackets
// ([fd00::17]); PORT is 1 to 65535. The scheme is matched without regard to
// case. Parsing is pure: nothing is looked up or connected.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plat {

enum class NetworkScheme {
    Rfc2217, // telnet with COM-PORT-OPTION
    RawTcp,  // the line's bytes over TCP, no telnet
};

struct NetworkAddress {
    NetworkScheme scheme = NetworkScheme::Rfc2217;
    std::string host; // without the brackets of an IPv6 literal
    std::uint16_t port = 0;

    // The address as it is written: "rfc2217://[fd00::17]:4001".
    std::string Text() const;
    // "host:port" for messages, with the brackets of an IPv6 literal.
    std::string HostAndPort() const;
};

// The accepted forms, for messages that refuse a value.
inline constexpr const char* kNetworkAddressForms =
    "rfc2217://HOST:PORT or tcp://HOST:PORT, where HOST is a host name, an IPv4 address or "
    "an IPv6 address in brackets and PORT is 1 to 65535";

// True when text has the form SCHEME://... and so is meant as a network
// address rather than a device path or port name (whether or not it is a
// valid one).
bool LooksLikeNetworkAddress(std::string_view text);

struct NetworkAddressParse {
    std::optional<NetworkAddress> address;
    // When refused: the value, what is wrong with it and the accepted forms
    // ("\"tcp://rack3-ts\": no port. Accepted: rfc2217://HOST:PORT or ...").
    std::string error;
};

NetworkAddressParse ParseNetworkAddress(std::string_view text);

} // namespace plat
