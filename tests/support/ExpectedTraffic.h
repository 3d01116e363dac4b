// What the unit must receive for each operation family of the window, as
// packets on the line, written from the packet layout itself and not from
// the protocol object's code. The command-line front end's tests compare
// the simulator's request log against these sequences; the page tests use
// the same ones for the same operations, so that both front ends are held
// to one expectation.
#pragma once

#include "support/TestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vxtest::traffic {

using Sequence = std::vector<Bytes>;

Sequence operator+(Sequence first, const Sequence& second);
Sequence& operator+=(Sequence& first, const Sequence& second);

// ---- Packets -----------------------------------------------------------
Sequence LinkTest();   // 27 00 00 00 00 00
Sequence StatusPoll(); // 27 00 00 20 00 00
Sequence Short(std::uint8_t commandByte, std::uint8_t a1 = 0, std::uint8_t a2 = 0,
               std::uint8_t a3 = 0);

// ---- Device state and queries --------------------------------------------
Sequence ReadRegister(unsigned rx, unsigned page, unsigned reg);
Sequence WriteRegister(unsigned rx, unsigned page, unsigned reg, std::uint16_t value);
Sequence ReadIdentity();
Sequence ReadDeviceConfiguration();
Sequence ReadCompanionBoardFlag(); // the unit status query of the first receiver
Sequence ReadReceiverSettings(unsigned rx, unsigned group);
Sequence AmCounter(unsigned rx);

// ---- What the window sends of its own ----------------------------------------
// The main window's initial read-out: configuration, then the companion flag.
Sequence WindowStartUp();
// vx18dctl's start-up read-out, which begins with the identity (the key of
// the configuration cache): cold, the window's read-out follows; with this
// unit's tables in the cache, only what an operator can change (the
// external reference, each receiver's video gain and AM gain, the boot
// serial settings, the companion flag).
Sequence CliStartUpCold();
Sequence CliStartUpCached();
// Read-back groups 0 and 1 of the receivers given (identity read already).
Sequence TuningReadback(const std::vector<unsigned>& receivers);
// A receiver setup page's initial read-back (identity first when the
// protocol object has not read it yet).
Sequence SetupPageInit(unsigned rx, bool identityLoaded);
// The reference clock page's start: identity when not read yet, switches.
Sequence RefClkPageInit(bool identityLoaded);
// The reference clock page's reads when its tab is selected.
Sequence RefreshFromUnit(bool dc1Frozen, bool dc2Frozen);
// One status cycle: the poll, then the AM counter of the receivers given.
Sequence StatusCycle(const std::vector<unsigned>& amCounterReceivers);

// ---- Receiver configuration ------------------------------------------------------
struct ConfigWord {
    unsigned setup = 0;
    bool fmInverted = false;
    bool xdout = false;
    unsigned idLedsLit = 0; // bits 0-3
    bool internalReference = false;
    unsigned agcTimeConstant = 0;
    bool agcFreeze = false;
    unsigned bandSelect = 0;
    bool agcZero = false;
    bool ifOutputHardware = true; // false: DAGC control
    unsigned videoFilter = 0;
    bool tlm2DeEmphasis = false;
    unsigned ifBandwidth = 0;
    unsigned amFilter = 0;
    bool amInverted = false;
    std::uint64_t frequencyHz = 0;
};
// A receiver of the simulated unit at power-up, as its setup page reads it back.
ConfigWord PowerUpWord(unsigned rx);
Sequence ConfigurationWord(unsigned rx, const ConfigWord& word);
Sequence SetAmGain(unsigned rx, std::uint8_t gain);
Sequence SetDagcMode(unsigned rx, std::uint8_t mode);
Sequence SelectDagcRange(unsigned rx, std::uint8_t code);
Sequence SetDagcLimits(unsigned rx, int lowerDbm, int upperDbm);
Sequence SetDagcVoltages(unsigned rx, int startTenths, int endTenths);
Sequence SetRssiAveraging(unsigned rx, bool filtered);
Sequence SetVideoGain(unsigned rx, std::uint16_t gain);
Sequence SaveVideoGain(unsigned rx, std::uint16_t gain);

// ---- Unit-wide commands -------------------------------------------------------
Sequence WriteSwitches(std::uint16_t word);
struct AttenuatorByte {
    unsigned code = 0;
    bool freeze = false;
    bool changing = false; // bit 7: the DC being set
};
Sequence Attenuators(std::uint8_t commandByte, AttenuatorByte dc1, AttenuatorByte dc2,
                     std::uint8_t atBootByte);
Sequence SetBootBaudRate(std::uint32_t rate);
Sequence SetBootSerialType(unsigned type, std::uint32_t firmwareDate);
Sequence LinearizeBand(unsigned rx, unsigned band);

// ---- Firmware -----------------------------------------------------------------
Sequence FirmwareBlocks(const std::vector<std::uint8_t>& image);
Sequence CommitFirmware();

// ---- Comparing ------------------------------------------------------------------
// Empty when equal; otherwise the first differing packet of each, in hex,
// with its position and the lengths of both sequences.
std::string Difference(const Sequence& actual, const Sequence& expected);
std::string Hex(const Bytes& packet);

// The requests of one packet type (and command byte for short commands when >= 0).
std::size_t Count(const Sequence& requests, std::uint8_t type1, std::uint8_t type2,
                  int commandByte = -1);

} // namespace vxtest::traffic
