// What the server's tests share beyond the harness: checks of what the
// simulated unit received.
#pragma once

#include "support/ServerHarness.h"

#include <gtest/gtest.h>

#include <vector>

namespace vxtest {

// Every request the simulated unit logged is a whole, valid packet.
::testing::AssertionResult OnlyWholeRequests(const std::vector<Bytes>& logged);

} // namespace vxtest
