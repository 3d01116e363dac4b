// The line options that every command-line front end takes: --port, --baud,
// --parity, --stop-bits and --timeout, each replacing a stored setting for
// one run. Values outside what the option allows are refused by the parser.
#pragma once

#include "link/LinkSettings.h"

#include <cstdint>
#include <string>

namespace CLI {
class App;
class Option;
class Validator;
} // namespace CLI

namespace vx {

// Whole numbers read as plain decimal digits. Left to an option's own
// conversion, "0100" would be octal, "0x10" hexadecimal and a sign would wrap
// around; leading zeros are dropped so that "0100" is one hundred.
CLI::Validator WholeNumber();

class LinkCommandLine {
public:
    // Adds the options to app; they must be read after app has parsed.
    explicit LinkCommandLine(CLI::App& app);

    // The options that were given.
    LinkOptions Given() const;

private:
    std::string m_port;
    std::uint32_t m_baud = 0;
    std::uint32_t m_parity = 0;
    std::string m_stopBits;
    std::uint32_t m_timeout = 0;
    CLI::Option* m_portOption = nullptr;
    CLI::Option* m_baudOption = nullptr;
    CLI::Option* m_parityOption = nullptr;
    CLI::Option* m_stopOption = nullptr;
    CLI::Option* m_timeoutOption = nullptr;
};

} // namespace vx
