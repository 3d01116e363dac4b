// Debian's Prometheus as a child process for tests and benchmarks: its own
// configuration and data folder, on a free loopback port, scraping one
// target every second; queried through its HTTP API.
#pragma once

#include "support/ChildProcess.h"
#include "support/TestSupport.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vxtest {

class PrometheusInstance {
public:
    struct Sample {
        std::map<std::string, std::string> labels;
        double value = 0;
    };

    // Scrapes http://127.0.0.1:targetPort/metrics every second.
    explicit PrometheusInstance(std::uint16_t targetPort);
    ~PrometheusInstance(); // stops it (SIGTERM)
    PrometheusInstance(const PrometheusInstance&) = delete;
    PrometheusInstance& operator=(const PrometheusInstance&) = delete;

    // Waits until it answers /-/ready; its log says why not otherwise.
    bool WaitReady(int timeoutMs);
    std::string Log() const;

    // An instant query; nothing when the query failed.
    std::optional<std::vector<Sample>> Query(const std::string& expression);
    // The one sample of the query whose "receiver" label is this (or of a
    // query without receivers, receiver empty).
    std::optional<double> Value(const std::string& expression, const std::string& receiver = "");

private:
    TempDir m_dir;
    std::uint16_t m_port = 0;
    std::unique_ptr<ChildProcess> m_process;
};

} // namespace vxtest
