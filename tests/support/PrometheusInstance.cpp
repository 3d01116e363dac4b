#include "support/PrometheusInstance.h"

#include "support/HttpGet.h"
#include "support/Ser2net.h"

#include <nlohmann/json.hpp>

#include <csignal>
#include <fstream>

namespace vxtest {

PrometheusInstance::PrometheusInstance(std::uint16_t targetPort) : m_port(FreeLoopbackPort()) {
    std::ofstream(m_dir.Path() + "/prometheus.yml") << "global:\n"
                                                       "  scrape_interval: 1s\n"
                                                       "  scrape_timeout: 1s\n"
                                                       "scrape_configs:\n"
                                                       "  - job_name: vx18d\n"
                                                       "    static_configs:\n"
                                                       "      - targets: ['127.0.0.1:"
                                                    << targetPort << "']\n";
    m_process = std::make_unique<ChildProcess>(
        PROMETHEUS_PATH,
        std::vector<std::string>{"--config.file=" + m_dir.Path() + "/prometheus.yml",
                                 "--storage.tsdb.path=" + m_dir.Path() + "/data",
                                 "--web.listen-address=127.0.0.1:" + std::to_string(m_port)},
        m_dir.Path(), "prometheus");
}

PrometheusInstance::~PrometheusInstance() {
    if (m_process->Started()) {
        m_process->Signal(SIGTERM);
        m_process->Wait(10000);
    }
}

bool PrometheusInstance::WaitReady(int timeoutMs) {
    return m_process->Started() && WaitFor(
                                       [this] {
                                           const auto reply = HttpGet(m_port, "/-/ready", 1000);
                                           return reply && reply->status == 200;
                                       },
                                       timeoutMs);
}

std::string PrometheusInstance::Log() const {
    return m_process->Err();
}

std::optional<std::vector<PrometheusInstance::Sample>>
PrometheusInstance::Query(const std::string& expression) {
    const auto reply = HttpGet(m_port, "/api/v1/query?query=" + UrlEscaped(expression), 5000);
    if (!reply || reply->status != 200)
        return std::nullopt;
    const nlohmann::json answer = nlohmann::json::parse(reply->body, nullptr, false);
    if (answer.is_discarded() || answer.value("status", "") != "success")
        return std::nullopt;
    std::vector<Sample> samples;
    for (const nlohmann::json& result : answer["data"]["result"]) {
        Sample sample;
        for (const auto& [name, value] : result["metric"].items())
            sample.labels[name] = value.get<std::string>();
        sample.value = std::stod(result["value"][1].get<std::string>());
        samples.push_back(std::move(sample));
    }
    return samples;
}

std::optional<double> PrometheusInstance::Value(const std::string& expression,
                                                const std::string& receiver) {
    const auto samples = Query(expression);
    if (!samples)
        return std::nullopt;
    for (const Sample& sample : *samples) {
        const auto it = sample.labels.find("receiver");
        const std::string label = it == sample.labels.end() ? "" : it->second;
        if (label == receiver)
            return sample.value;
    }
    return std::nullopt;
}

} // namespace vxtest
