#include "sim/FaultOptions.h"

#include "sim/SimulatedUnit.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace sim {
namespace {

struct FaultKind {
    const char* name;
    const char* value; // what the value means; nullptr when the kind takes none
    const char* help;
    bool recurs; // may be given with @EVERY
    void (*arm)(SimulatedUnit& unit, int value);
};

constexpr std::array<FaultKind, 10> kFaultKinds{{
    {"silent", nullptr, "the answer is withheld", true,
     [](SimulatedUnit& u, int) { u.ArmNoAnswer(); }},
    {"late", "MS", "the answer comes MS milliseconds late", true,
     [](SimulatedUnit& u, int v) { u.ArmLateAnswer(v); }},
    {"short", "N", "the answer loses its last N bytes", true,
     [](SimulatedUnit& u, int v) { u.ArmShortReply(v); }},
    {"surplus", "N", "N extra bytes follow the answer", true,
     [](SimulatedUnit& u, int v) { u.ArmSurplusBytes(GarbageBytes(static_cast<std::size_t>(v))); }},
    {"wrong-header", nullptr, "the answer's packet type is inverted", true,
     [](SimulatedUnit& u, int) { u.ArmWrongHeader(); }},
    {"corrupt", "I", "byte I of the answer (or its last byte) is inverted", true,
     [](SimulatedUnit& u, int v) { u.ArmCorruptByte(v); }},
    {"replay", nullptr, "the answer to the request before comes instead", true,
     [](SimulatedUnit& u, int) { u.ArmReplay(); }},
    {"garbage", "N", "N meaningless bytes come instead of the answer", true,
     [](SimulatedUnit& u, int v) { u.ArmGarbage(v); }},
    {"stall", "MS", "after the answer the unit stops reading for MS milliseconds", true,
     [](SimulatedUnit& u, int v) { u.ArmStall(v); }},
    {"silent-after", "N", "N more answers, then none at all", false,
     [](SimulatedUnit& u, int v) { u.StopAfter(v); }},
}};

constexpr int kLargestValue = 100000000;

const FaultKind* FindKind(const std::string& name) {
    for (const FaultKind& kind : kFaultKinds) {
        if (name == kind.name) {
            return &kind;
        }
    }
    return nullptr;
}

std::optional<int> ParseCount(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 9) {
        return std::nullopt;
    }
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > kLargestValue) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

} // namespace

std::optional<FaultSpec> ParseFault(const std::string& text, std::string& error) {
    FaultSpec spec;
    std::string rest = text;
    if (const auto at = rest.find('@'); at != std::string::npos) {
        const auto every = ParseCount(rest.substr(at + 1));
        if (!every || *every == 0) {
            error = "the count after @ must be a whole number of 1 or more";
            return std::nullopt;
        }
        spec.every = *every;
        rest.erase(at);
    }
    std::string value;
    if (const auto colon = rest.find(':'); colon != std::string::npos) {
        value = rest.substr(colon + 1);
        rest.erase(colon);
        if (value.empty()) {
            error = "no value after the colon";
            return std::nullopt;
        }
    }
    const FaultKind* kind = FindKind(rest);
    if (!kind) {
        error = "unknown fault '" + rest + "'";
        return std::nullopt;
    }
    spec.kind = kind->name;
    if (kind->value) {
        const auto number = ParseCount(value);
        if (!number) {
            error = spec.kind + " needs a value: " + spec.kind + ":" + kind->value;
            return std::nullopt;
        }
        spec.value = *number;
    } else if (!value.empty()) {
        error = spec.kind + " takes no value";
        return std::nullopt;
    }
    if (spec.every != 0 && !kind->recurs) {
        error = spec.kind + " cannot recur";
        return std::nullopt;
    }
    return spec;
}

std::string FaultHelp() {
    std::string text;
    for (const FaultKind& kind : kFaultKinds) {
        std::string usage =
            std::string(kind.name) + (kind.value ? std::string(":") + kind.value : "");
        usage.resize(std::max<std::size_t>(usage.size() + 2, 19), ' ');
        text += "  " + usage + kind.help + "\n";
    }
    return text;
}

void ArmFault(SimulatedUnit& unit, const FaultSpec& fault) {
    const FaultKind* kind = FindKind(fault.kind);
    if (!kind) {
        return;
    }
    const auto arm = kind->arm;
    const int value = fault.value;
    if (fault.every > 0) {
        unit.AddRecurringFault(fault.every, [arm, value](SimulatedUnit& u) { arm(u, value); });
    } else {
        arm(unit, value);
    }
}

} // namespace sim
