#include "platform/NetworkAddress.h"

#include <cctype>

#ifdef _WIN32
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#endif

namespace plat {
namespace {

constexpr std::string_view kSeparator = "://";

bool IsSchemeChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

std::string LowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

bool IsIpv4Literal(const std::string& host) {
    in_addr address{};
    return ::inet_pton(AF_INET, host.c_str(), &address) == 1;
}

bool IsIpv6Literal(const std::string& host) {
    in6_addr address{};
    return ::inet_pton(AF_INET6, host.c_str(), &address) == 1;
}

// A host name of dot-separated labels of letters, digits, '-' and '_'.
bool IsHostName(const std::string& host) {
    if (host.size() > 253)
        return false;
    std::size_t labelLength = 0;
    for (char c : host) {
        if (c == '.') {
            if (labelLength == 0)
                return false;
            labelLength = 0;
            continue;
        }
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_')
            return false;
        if (++labelLength > 63)
            return false;
    }
    return labelLength > 0;
}

bool AllDigitsAndDots(const std::string& text) {
    return text.find_first_not_of("0123456789.") == std::string::npos;
}

// Empty when the port text is valid, else what is wrong with it.
std::string CheckPort(std::string_view text, std::uint16_t& port) {
    if (text.empty())
        return "no port";
    if (text.find_first_not_of("0123456789") != std::string_view::npos)
        return "port \"" + std::string(text) + "\" is not a number";
    const std::size_t firstDigit = text.find_first_not_of('0');
    const std::string_view digits =
        firstDigit == std::string_view::npos ? std::string_view("0") : text.substr(firstDigit);
    const unsigned long value = digits.size() > 5 ? 65536 : std::stoul(std::string(digits));
    if (value == 0 || value > 65535)
        return "port " + std::string(text) + " is outside 1 to 65535";
    port = static_cast<std::uint16_t>(value);
    return {};
}

// Empty when HOST:PORT (or [HOST]:PORT) is valid, else what is wrong with it.
std::string CheckHostAndPort(std::string_view rest, NetworkAddress& address) {
    if (rest.empty())
        return "no host";
    std::string_view portText;
    if (rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos)
            return "an IPv6 address opened with [ has no ]";
        address.host = std::string(rest.substr(1, close - 1));
        if (address.host.empty())
            return "no host";
        if (!IsIpv6Literal(address.host))
            return "[" + address.host + "] is not an IPv6 address";
        const std::string_view after = rest.substr(close + 1);
        if (after.empty())
            return "no port";
        if (after.front() != ':')
            return "the port must follow the ] after a colon";
        portText = after.substr(1);
    } else {
        const std::size_t colon = rest.rfind(':');
        if (colon == std::string_view::npos)
            return "no port";
        address.host = std::string(rest.substr(0, colon));
        portText = rest.substr(colon + 1);
        if (address.host.empty())
            return "no host";
        if (address.host.find(':') != std::string::npos)
            return "an IPv6 address must be written in brackets";
        if (AllDigitsAndDots(address.host) ? !IsIpv4Literal(address.host)
                                           : !IsHostName(address.host))
            return "\"" + address.host + "\" is neither a host name nor an IPv4 address";
    }
    return CheckPort(portText, address.port);
}

} // namespace

std::string NetworkAddress::HostAndPort() const {
    const bool bracketed = host.find(':') != std::string::npos;
    return (bracketed ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::string NetworkAddress::Text() const {
    return std::string(scheme == NetworkScheme::Rfc2217 ? "rfc2217" : "tcp") +
           std::string(kSeparator) + HostAndPort();
}

bool LooksLikeNetworkAddress(std::string_view text) {
    const std::size_t separator = text.find(kSeparator);
    if (separator == std::string_view::npos || separator == 0 ||
        !std::isalpha(static_cast<unsigned char>(text.front())))
        return false;
    for (char c : text.substr(0, separator)) {
        if (!IsSchemeChar(c))
            return false;
    }
    return true;
}

NetworkAddressParse ParseNetworkAddress(std::string_view text) {
    auto refuse = [text](const std::string& reason) {
        return NetworkAddressParse{std::nullopt, "\"" + std::string(text) + "\": " + reason +
                                                     ". Accepted: " + kNetworkAddressForms};
    };
    if (!LooksLikeNetworkAddress(text))
        return refuse("not a network address");
    const std::size_t separator = text.find(kSeparator);
    const std::string scheme = LowerCase(text.substr(0, separator));
    NetworkAddress address;
    if (scheme == "rfc2217")
        address.scheme = NetworkScheme::Rfc2217;
    else if (scheme == "tcp")
        address.scheme = NetworkScheme::RawTcp;
    else
        return refuse("unknown scheme \"" + std::string(text.substr(0, separator)) + "\"");
    if (std::string reason = CheckHostAndPort(text.substr(separator + kSeparator.size()), address);
        !reason.empty())
        return refuse(reason);
    return {address, {}};
}

} // namespace plat
