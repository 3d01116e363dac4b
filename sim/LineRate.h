// The bit rate of a terminal line, in bits per second, whatever it is.
#pragma once

#include <cstdint>

namespace sim {

// The output rate set on the terminal of fd (for a pseudo-terminal master:
// the rate its slave was given); 0 when it cannot be read.
std::uint32_t ReadLineRate(int fd);

// Sets input and output rate of the terminal of fd; false with errno set on failure.
bool WriteLineRate(int fd, std::uint32_t baud);

} // namespace sim
