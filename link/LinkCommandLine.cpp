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
