#include "cli/CommandLine.h"

#include "vx18d/Version.h"

#include "cli/ExitStatus.h"
#include "cli/ReceiverActions.h"
#include "cli/UnitActions.h"
#include "link/LinkCommandLine.h"

#include <CLI/CLI.hpp>

namespace vx::cli {
namespace {

const char* const kDescription =
    "vx18dctl: the VX18D control program for scripts and test benches.\n"
    "Every command sends what the window sends for the same thing, over the port and\n"
    "settings the window uses (each option below replaces a stored setting for this run).\n"
    "A unit's fixed tables (bands, calibration, filter lists) are read once and kept in\n"
    "the configuration cache ($VX18D_CACHE_DIR, else ~/.cache/corvanta-vx18d).";

const char* const kFooter =
    "Exit status: 0 success; 1 the unit did not answer or refused; 2 usage error (unknown\n"
    "command, bad value); 3 the port could not be opened or configured; 130 stopped by\n"
    "Ctrl-C before the work was done (record and status --watch end normally on Ctrl-C).\n"
    "\n"
    "--json prints one JSON object per line. Fields (see vx18dctl(1) for all of them):\n"
    "  ping    port, online\n"
    "  info    serial_number, firmware_date, companion_board, rf_switch,\n"
    "          external_reference_mhz, boot_baud_rate, boot_serial_type, receivers[]\n"
    "          (receiver, fitted, bands[], if_bandwidths_khz, video_filters_khz,\n"
    "          am_filters_hz, agc_time_constants_us)\n"
    "  status  sample, time, ok, pll_synchronised, internal_reference, id_leds, receivers[]\n"
    "          (receiver, rssi_dbm, raw_rssi, am_index_percent, fm_deviation_percent,\n"
    "          am_counter_hz, lo1_locked, lo2_locked, agc_zero)\n"
    "  get/set receiver, frequency_hz, if_bandwidth, video_filter, am_filter, am_inverse,\n"
    "          am_gain, fm_polarity, tlm2_de_emphasis, rf_switch, xdout, setup, video_gain,\n"
    "          agc_time_constant, if_output, agc_freeze, dagc_mode, dagc_range, agc_zero,\n"
    "          rssi_averaging, applied[] (set: setting, ok)\n"
    "  unit    internal_reference, switches, discretes, id_leds, attenuators[],\n"
    "          attenuators_at_boot, boot_baud_rate, boot_serial_type, linearisable[],\n"
    "          temperature_c, supply_v, supply_a, applied[]\n"
    "  record  per sample: sample, time, rssi_dbm[2]; at the end: file, samples,\n"
    "          failed_polls, interrupted\n"
    "  flash   file, bytes, blocks, blocks_sent, committed, interrupted, result\n"
    "  on failure: error, exit_status";

// Whole numbers are read as plain decimal digits (see WholeNumber).
const CLI::Validator kWholeNumber = WholeNumber();

// A number of seconds: decimal digits with an optional fraction; no sign,
// exponent, "nan" or "inf".
const CLI::Validator kSeconds(
    [](std::string& text) -> std::string {
        const std::size_t point = text.find('.');
        const std::string whole = text.substr(0, point);
        const std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
        const bool digits = whole.find_first_not_of("0123456789") == std::string::npos &&
                            fraction.find_first_not_of("0123456789") == std::string::npos;
        if (!digits || whole.size() + fraction.size() == 0)
            return "a number of seconds in decimal digits is needed, not \"" + text + "\"";
        return {};
    },
    "");

} // namespace

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv, std::ostream& out,
                                   std::ostream& err) {
    Invocation inv;
    CLI::App app{kDescription, "vx18dctl"};
    app.footer(kFooter);
    app.set_version_flag("--version", std::string("vx18dctl ") + kVersion);
    app.require_subcommand(1);
    app.fallthrough();

    LinkCommandLine linkOptions(app); // written by the parser
    app.add_flag("--json", inv.json, "print JSON, one object per line");
    app.add_flag("--trace", inv.trace,
                 "write the request and reply bytes of every exchange to standard error");
    app.add_flag("--no-cache", inv.noCache,
                 "read the unit's fixed tables from the unit, not from the configuration cache "
                 "(the cache is then written afresh)");

    auto* ping = app.add_subcommand("ping", "link test: online or offline");
    auto* info = app.add_subcommand(
        "info", "identity, companion board, RF switch, receivers, bands, filter and AGC tables, "
                "boot serial settings");

    auto* status = app.add_subcommand("status", "the status poll as the main window shows it");
    unsigned rate = 10;
    std::uint32_t count = 1;
    status->add_flag("--watch", inv.watch, "poll until Ctrl-C (or --count samples)");
    auto* statusRate = status->add_option("--rate", rate, "samples per second (default: stored)")
                           ->transform(kWholeNumber)
                           ->check(CLI::Range(1u, 10u));
    auto* statusCount = status->add_option("--count", count, "number of samples")
                            ->transform(kWholeNumber)
                            ->check(CLI::Range(1u, 4'000'000'000u));

    auto* get = app.add_subcommand("get", "a receiver's settings, read back from the unit");
    get->add_option("RX", inv.receiver, "receiver 1 or 2")
        ->required()
        ->transform(kWholeNumber)
        ->check(CLI::Range(1u, 2u));

    auto* set = app.add_subcommand("set", "set a receiver, in the order given");
    set->add_option("RX", inv.receiver, "receiver 1 or 2")
        ->required()
        ->transform(kWholeNumber)
        ->check(CLI::Range(1u, 2u));
    set->add_option("SETTING", inv.settings, "NAME=VALUE ...")->required();
    set->footer("Settings:\n" + ReceiverSettingsHelp());

    auto* unit = app.add_subcommand("unit", "show, or set, the unit-wide hardware settings");
    unit->add_option("SETTING", inv.settings, "NAME=VALUE ...");
    unit->footer("Settings:\n" + UnitSettingsHelp());

    auto* record = app.add_subcommand("record", "record the RSSI of both receivers to FILE");
    unsigned recordRate = 10;
    double duration = 0;
    record->add_option("FILE", inv.file, "record file (CSV lines as the window writes them)")
        ->required();
    auto* recordRateOption =
        record->add_option("--rate", recordRate, "samples per second (default: stored)")
            ->transform(kWholeNumber)
            ->check(CLI::Range(1u, 10u));
    auto* durationOption = record->add_option("--duration", duration, "seconds to record")
                               ->transform(kSeconds)
                               ->check(CLI::Range(0.001, 1e9));
    record->add_flag("--force", inv.force, "record over FILE when it exists (else: exit status 2)");

    auto* flash = app.add_subcommand("flash", "load a DSP firmware image into the unit");
    flash->add_option("FILE", inv.file, "firmware image (.bin)")->required();

    try {
        std::vector<std::string> args;
        for (int i = argc - 1; i > 0; --i)
            args.emplace_back(argv[i]);
        app.parse(args);
    } catch (const CLI::ParseError& e) {
        const std::vector<std::string> left = app.remaining();
        if (!app.get_subcommands().empty() || left.empty() || e.get_exit_code() == 0) {
            const int code = app.exit(e, out, err);
            return {std::nullopt, code == 0 ? kExitSuccess : kExitUsage};
        }
        err << "vx18dctl: " << left.front()
            << ": not a command; commands: ping, info, status, get, set, unit, record, flash\n"
               "Run with --help for more information.\n";
        return {std::nullopt, kExitUsage};
    }

    inv.link = linkOptions.Given();

    if (ping->parsed()) {
        inv.command = Invocation::Command::Ping;
    } else if (info->parsed()) {
        inv.command = Invocation::Command::Info;
    } else if (status->parsed()) {
        inv.command = Invocation::Command::Status;
        if (statusRate->count())
            inv.rate = rate;
        if (statusCount->count())
            inv.count = count;
    } else if (get->parsed()) {
        inv.command = Invocation::Command::Get;
    } else if (set->parsed()) {
        inv.command = Invocation::Command::Set;
    } else if (unit->parsed()) {
        inv.command = Invocation::Command::Unit;
    } else if (record->parsed()) {
        inv.command = Invocation::Command::Record;
        if (recordRateOption->count())
            inv.rate = recordRate;
        if (durationOption->count())
            inv.durationSeconds = duration;
    } else if (flash->parsed()) {
        inv.command = Invocation::Command::Flash;
    }
    return {inv, kExitSuccess};
}

} // namespace vx::cli
