// vx18dctl as an operator meets it: the RSSI calibration from the first
// poll, recordings across a unit that stops answering, record files that are
// never overwritten unasked, the configuration cache, a missed reply during
// the read-out, a settings file with a bad line, and values that must never
// reach the unit.
#include "cli/CliTestSupport.h"

#include "cli/CommandLine.h"
#include "platform/ConfigPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vxtest;
using namespace vxtest::traffic;

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

double Receiver2Rssi(CliSession& session) {
    const CliResult status = session.Run({"--json", "status"});
    EXPECT_EQ(status.status, 0) << status.err;
    return status.Json()["receivers"][1]["rssi_dbm"].get<double>();
}

std::string CacheFile(const CliSession& session) {
    return session.Config().CacheDir() + "/VX18D_0012-ABCD_20180309.cache";
}

// Two requests in a row that are the same: a request sent again (a read-out
// never asks the same thing twice in a row).
std::size_t Repeats(const Sequence& requests) {
    std::size_t repeats = 0;
    for (std::size_t i = 1; i < requests.size(); ++i)
        repeats += requests[i] == requests[i - 1];
    return repeats;
}

} // namespace

TEST(CliInUse, RssiAtStartGoesThroughTheBandOfTheTunedFrequency) {
    CliSession session;
    QuietAmCounters(session.Unit());
    // Receiver 2 sits at 2250.5 MHz, in its third band (0.0332 dBm a step from -121.5 dBm).
    session.Unit().WithModel([](sim::UnitModel& m) { m.ForceRawRssi(1, 1500); });
    const double atStart = Receiver2Rssi(session);
    EXPECT_DOUBLE_EQ(atStart, -71.7);

    ASSERT_EQ(session.Run({"set", "2", "freq=2250.5MHz"}).status, 0);
    EXPECT_DOUBLE_EQ(Receiver2Rssi(session), atStart);

    const std::string file = session.File("rssi.csv");
    ASSERT_EQ(session.Run({"record", file, "--duration", "0.1"}).status, 0);
    EXPECT_NE(ReadText(file).find(", -71.700000, \r\n"), std::string::npos) << ReadText(file);
}

TEST(CliInUse, RecordAcrossAStallHasOnlyReadingsAndAGapInTheNumbering) {
    CliSession session({.receiverHasBands = {true, false}});
    QuietAmCounters(session.Unit());
    session.Unit().WithModel([](sim::UnitModel& m) { m.ForceRawRssi(0, 2000); }); // -56.0 dBm
    const std::size_t prelude = (LinkTest() + CliStartUpCold() + TuningReadback({0})).size();
    // After the third poll's reply the unit reads nothing for 450 ms.
    session.Unit().ArmStall(450);
    session.Unit().DelayFaults(static_cast<int>(prelude + 3));
    const std::string file = session.File("rssi.csv");
    const CliResult record = session.Run(
        {"--timeout", "100", "--json", "record", file, "--rate", "10", "--duration", "1.5"});
    EXPECT_EQ(record.status, 1); // not every poll was answered
    EXPECT_NE(record.err.find("the unit did not answer"), std::string::npos) << record.err;

    std::vector<int> numbers;
    for (const std::string& line : Lines(ReadText(file))) {
        EXPECT_EQ(line.substr(line.find(',')), ", -56.000000, 0.000000, \r") << line;
        numbers.push_back(std::stoi(line));
    }
    ASSERT_FALSE(numbers.empty());
    EXPECT_EQ(numbers.front(), 1);
    int missing = 0;
    for (std::size_t i = 1; i < numbers.size(); ++i) {
        EXPECT_GT(numbers[i], numbers[i - 1]);
        missing += numbers[i] - numbers[i - 1] - 1;
    }
    EXPECT_GE(missing, 1);
    const nlohmann::json summary = record.Json();
    EXPECT_EQ(summary["samples"], 15);
    EXPECT_EQ(summary["failed_polls"], 15 - static_cast<int>(numbers.size()));
}

TEST(CliInUse, ARecordFileIsOverwrittenOnlyWithForce) {
    CliSession session({.receiverHasBands = {true, false}});
    QuietAmCounters(session.Unit());
    const std::string file = session.File("rssi.csv");
    ASSERT_EQ(session.Run({"record", file, "--duration", "0.2"}).status, 0);
    const std::string first = ReadText(file);
    ASSERT_EQ(Lines(first).size(), 2u);

    session.Unit().ClearRequests();
    const CliResult again = session.Run({"--json", "record", file, "--duration", "0.5"});
    EXPECT_EQ(again.status, 2);
    EXPECT_NE(again.err.find(file + ": the file exists; give --force to record over it"),
              std::string::npos)
        << again.err;
    EXPECT_EQ(again.Json()["exit_status"], 2);
    EXPECT_TRUE(session.Requests().empty()); // refused before the port was opened
    EXPECT_EQ(ReadText(file), first);

    ASSERT_EQ(session.Run({"record", file, "--duration", "0.5", "--force"}).status, 0);
    EXPECT_EQ(Lines(ReadText(file)).size(), 5u);
}

TEST(CliInUse, TheSecondRunTakesTheFixedTablesFromTheCache) {
    CliSession session;
    QuietAmCounters(session.Unit());
    session.KeepCache();
    const CliResult coldInfo = session.Run({"--json", "info"});
    ASSERT_EQ(coldInfo.status, 0) << coldInfo.err;
    ASSERT_TRUE(std::filesystem::exists(CacheFile(session)));

    // status --count 1 on a cached unit: the identity, what an operator can
    // change, the two read-back groups of each receiver and the poll.
    session.Unit().ClearRequests();
    const CliResult status = session.Run({"--trace", "--json", "status", "--count", "1"});
    ASSERT_EQ(status.status, 0) << status.err;
    const Sequence cached =
        LinkTest() + CliStartUpCached() + TuningReadback({0, 1}) + StatusCycle({});
    EXPECT_EQ(Difference(session.Requests(), cached), "");
    EXPECT_LT(cached.size(), 40u);
    EXPECT_NE(status.err.find("| fixed tables from the configuration cache " + CacheFile(session)),
              std::string::npos)
        << status.err;

    // Everything the read-out gives is the same from the cache.
    session.Unit().ClearRequests();
    const CliResult cachedInfo = session.Run({"--json", "info"});
    EXPECT_EQ(Difference(session.Requests(), LinkTest() + CliStartUpCached()), "");
    EXPECT_EQ(cachedInfo.Json(), coldInfo.Json());

    // What an operator changed since is read from the unit.
    session.Unit().WithModel([](sim::UnitModel& m) { m.Receiver(0).amGain = 17; });
    const nlohmann::json get = session.Run({"--json", "get", "1"}).Json();
    EXPECT_EQ(get["am_gain"], 17);

    // --no-cache reads everything from the unit, in the window's order.
    session.Unit().ClearRequests();
    ASSERT_EQ(session.Run({"--no-cache", "--json", "info"}).status, 0);
    EXPECT_EQ(Difference(session.Requests(), LinkTest() + WindowStartUp() + ReadIdentity()), "");

    // Another unit, or this one with other firmware, has a file of its own.
    CliSession other({.firmwareDate = 0x20190101});
    other.KeepCache();
    ASSERT_EQ(other.Run({"ping"}).status, 0);
    other.Unit().ClearRequests();
    ASSERT_EQ(other.Run({"info"}).status, 0);
    EXPECT_EQ(Difference(other.Requests(), LinkTest() + CliStartUpCold()), "");
}

TEST(CliInUse, ACacheFileThatDoesNotReadIsIgnoredAndWrittenAfresh) {
    CliSession session({.receiverHasBands = {true, false}});
    QuietAmCounters(session.Unit());
    session.KeepCache();
    ASSERT_EQ(session.Run({"info"}).status, 0);
    const std::string good = ReadText(CacheFile(session));

    std::ofstream(CacheFile(session), std::ios::binary) << good.substr(0, good.size() / 2);
    session.Unit().ClearRequests();
    const CliResult corrupt = session.Run({"--trace", "info"});
    ASSERT_EQ(corrupt.status, 0) << corrupt.err;
    EXPECT_NE(corrupt.err.find("| configuration cache " + CacheFile(session) + " not used: line "),
              std::string::npos)
        << corrupt.err;
    EXPECT_EQ(Difference(session.Requests(), LinkTest() + CliStartUpCold()), "");
    EXPECT_EQ(ReadText(CacheFile(session)), good);

    // A file that cannot be read at all: the same, and it cannot be replaced either.
    std::filesystem::remove(CacheFile(session));
    std::filesystem::create_directory(CacheFile(session));
    const CliResult unreadable = session.Run({"--trace", "info"});
    ASSERT_EQ(unreadable.status, 0) << unreadable.err;
    EXPECT_NE(unreadable.err.find("cannot be read (Is a directory); not used"), std::string::npos)
        << unreadable.err;
    EXPECT_NE(unreadable.err.find("cannot be written"), std::string::npos);
}

TEST(CliInUse, AMissedReplyDuringTheReadOutIsAskedForAgain) {
    for (const char* fault : {"silent", "late", "stall"}) {
        CliSession session({.receiverHasBands = {true, false}});
        QuietAmCounters(session.Unit());
        session.KeepCache();
        const std::string f = fault;
        if (f == "silent")
            session.Unit().ArmNoAnswer();
        else if (f == "late")
            session.Unit().ArmLateAnswer(250); // the first try's reply after its time-out
        else
            session.Unit().ArmStall(150); // the next request waits unread
        session.Unit().DelayFaults(60);
        const CliResult status =
            session.Run({"--trace", "--timeout", "100", "--json", "status", "--count", "1"});
        EXPECT_EQ(status.status, 0) << fault << "\n" << status.err;
        EXPECT_NE(status.err.find("| no complete reply: the request goes out again (try 2)"),
                  std::string::npos)
            << fault;
        EXPECT_EQ(Repeats(session.Requests()), 1u) << fault;
        const nlohmann::json j = status.Json();
        EXPECT_EQ(j["ok"], true) << fault;
        // The replies stayed in step: the calibration is the unit's.
        EXPECT_GT(j["receivers"][0]["rssi_dbm"].get<double>(), -121.0) << fault;
        // A read-out that needed a second try is not kept.
        EXPECT_FALSE(std::filesystem::exists(CacheFile(session))) << fault;
    }

    // Two silences in a row end the reads at once.
    CliSession session;
    session.Unit().ArmNoAnswer(2);
    session.Unit().DelayFaults(60);
    const CliResult status = session.Run({"--timeout", "100", "status"});
    EXPECT_EQ(status.status, 1);
    EXPECT_NE(status.err.find("(after 60 answered exchanges)"), std::string::npos) << status.err;
    EXPECT_EQ(session.Requests().size(), 62u);
}

TEST(CliInUse, ASettingsFileWithABadLineIsNamedAndStopsAllButAGivenPort) {
    CliSession session;
    const std::string file = plat::SettingsFilePath();
    std::ofstream(file) << "Windows Registry Editor Version 5.00\n\n"
                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanta\\VX18D]\n"
                           "\"COM_PORT\"=\"COM7\n";
    const CliResult ping = session.RunPlain({"--json", "ping"});
    EXPECT_EQ(ping.status, 2);
    EXPECT_NE(ping.err.find("vx18dctl: settings file " + file + " line 4: "), std::string::npos)
        << ping.err;
    EXPECT_NE(ping.err.find("give --port"), std::string::npos);
    EXPECT_EQ(ping.Json()["exit_status"], 2);
    EXPECT_TRUE(session.Requests().empty());

    const CliResult given = session.RunPlain({"--port", "COM7", "ping"});
    EXPECT_EQ(given.status, 0) << given.err;
    EXPECT_EQ(given.out, "COM7: online\n");
    EXPECT_NE(given.err.find("warning: settings file " + file + " line 4: "), std::string::npos);
    EXPECT_NE(ReadText(file).find("\"COM_PORT\"=\"COM7\n"), std::string::npos); // left as it was
}

TEST(CliInUse, ValuesOutsideTheirRangeAtAnyWidthNeverReachTheUnit) {
    CliSession session;
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"set", "1", "range=-1..0dBm,429496729..0V"},
             {"set", "1", "range=429496725.6..0V"},
             {"set", "1", "range=-4294967406..0dBm,-4..0V"},
             {"unit", "att1=922337203685477580dB"},
             {"unit", "att1=-922337203685477580dB"},
             {"record", session.File("r.csv"), "--duration", "nan"},
             {"record", session.File("r.csv"), "--duration", "inf"},
             {"record", session.File("r.csv"), "--duration", "-1"},
             {"record", session.File("r.csv"), "--duration", "1e3"},
             {"status", "--count", "0x10"},
             {"status", "--rate", "+5"},
             {"--timeout", "-18446744073709551615", "ping"},
             {"get", "0x1"},
         }) {
        const CliResult result = session.Run(args);
        EXPECT_EQ(result.status, 2) << args.back() << "\n" << result.err;
        EXPECT_TRUE(session.Requests().empty()) << args.back();
    }
    EXPECT_FALSE(std::filesystem::exists(session.File("r.csv")));

    // Leading zeros are decimal, not octal.
    std::ostringstream out, err;
    const char* argv[] = {"vx18dctl", "--timeout", "0100",    "status",
                          "--rate",   "010",       "--count", "0016"};
    const auto parsed = vx::cli::ParseCommandLine(8, argv, out, err);
    ASSERT_TRUE(parsed.invocation) << err.str();
    EXPECT_EQ(parsed.invocation->link.timeoutMs, 100u);
    EXPECT_EQ(parsed.invocation->rate, 10u);
    EXPECT_EQ(parsed.invocation->count, 16u);

    // set --help says what ifbw does to the video filter.
    const CliResult help = session.Run({"set", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("also sets the video filter"), std::string::npos) << help.out;
}
