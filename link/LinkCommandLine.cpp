#include "link/LinkCommandLine.h"

#include "settings/SettingsTables.h"

#include <CLI/CLI.hpp>

#include <map>
#include <vector>

namespace vx {
namespace {

std::vector<std::string> BaudRates() {
    std::vector<std::string> rates;
    for (const BaudRateEntry& entry : BaudRateTable)
        rates.push_back(std::to_string(entry.rate));
    return rates;
}

} // namespace

CLI::Validator WholeNumber() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
                return "a whole number in decimal digits is needed, not \"" + text + "\"";
            const std::size_t first = text.find_first_not_of('0');
            text = first == std::string::npos ? "0" : text.substr(first);
            return {};
        },
        "");
}

LinkCommandLine::LinkCommandLine(CLI::App& app) {
    m_portOption = app.add_option("--port", m_port,
                                  "port name (COM7), device path (/dev/ttyUSB0) or device server "
                                  "address (rfc2217://HOST:PORT, tcp://HOST:PORT)");
    m_baudOption = app.add_option("--baud", m_baud, "baud rate")->check(CLI::IsMember(BaudRates()));
    const std::map<std::string, std::uint32_t> parities{
        {"none", 0}, {"odd", 1}, {"even", 2}, {"mark", 3}, {"space", 4}};
    m_parityOption = app.add_option("--parity", m_parity, "none, odd, even, mark or space")
                         ->transform(CLI::CheckedTransformer(parities, CLI::ignore_case));
    m_stopOption = app.add_option("--stop-bits", m_stopBits, "1, 1.5 or 2")
                       ->check(CLI::IsMember({"1", "1.5", "2"}));
    m_timeoutOption = app.add_option("--timeout", m_timeout, "reply time-out in ms")
                          ->transform(WholeNumber())
                          ->check(CLI::Range(1u, 3'600'000u));
}

LinkOptions LinkCommandLine::Given() const {
    LinkOptions link;
    if (m_portOption->count())
        link.port = m_port;
    if (m_baudOption->count())
        link.baud = m_baud;
    if (m_parityOption->count())
        link.parity = m_parity;
    if (m_stopOption->count())
        link.stopBits = m_stopBits == "1" ? 0u : m_stopBits == "1.5" ? 1u : 2u;
    if (m_timeoutOption->count())
        link.timeoutMs = m_timeout;
    return link;
}

} // namespace vx
