// Shared test helpers: temporary folders and environment, recorders for the
// platform's message boxes, tones and shell, and a scripted port that
// records what the protocol writes and answers from a script.
#pragma once

#include "platform/Beep.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "serial/CBaseClass.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vxtest {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder below /tmp, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_previous;
};

// Makes a folder refuse changes to its names (no file created, renamed or
// removed in it) while the object lives: by its mode, or, where the process
// may write anyway (root), by the file system's immutable flag. Active() is
// false when neither took.
class LockedFolder {
public:
    explicit LockedFolder(std::string path);
    ~LockedFolder();
    LockedFolder(const LockedFolder&) = delete;
    LockedFolder& operator=(const LockedFolder&) = delete;
    bool Active() const { return m_byMode || m_byFlag; }

private:
    std::string m_path;
    bool m_byMode = false;
    bool m_byFlag = false;
};

// Points the configuration, data and cache folders (settings file, ports
// folder, record files, configuration cache) at a temporary folder, so no
// test touches the real ones. Where the settings are in the registry
// (Windows), the settings key is removed before and after.
// Removes the stored settings where they are not in the configuration folder.
void ClearStoredSettings();

class IsolatedConfig {
public:
    IsolatedConfig();
    ~IsolatedConfig();
    const std::string& Path() const { return m_dir.Path(); }
    std::string PortsDir() const { return m_dir.Path() + "/ports"; }
    std::string CacheDir() const { return m_dir.Path() + "/cache"; }

private:
    TempDir m_dir;
    ScopedEnv m_config;
    ScopedEnv m_data;
    ScopedEnv m_cache;
};

// Records every message box instead of showing it; a box with only OK is
// answered OK, a question with the answer set.
class RecordedBoxes {
public:
    RecordedBoxes();
    ~RecordedBoxes();
    RecordedBoxes(const RecordedBoxes&) = delete;
    RecordedBoxes& operator=(const RecordedBoxes&) = delete;
    const std::vector<plat::MessageBoxRequest>& Boxes() const { return *m_boxes; }
    void Clear() { m_boxes->clear(); }
    // The button every question box (MB_YESNO) is answered with; IDNO unless told.
    void Answer(int button) { *m_answer = button; }

private:
    std::shared_ptr<std::vector<plat::MessageBoxRequest>> m_boxes;
    std::shared_ptr<int> m_answer = std::make_shared<int>(plat::IDNO);
    plat::MessageBoxHandler m_previous;
};

// Records every tone instead of playing it.
class RecordedTones {
public:
    struct Tone {
        plat::DWORD frequencyHz;
        plat::DWORD durationMs;
        bool operator==(const Tone&) const = default;
    };
    RecordedTones();
    ~RecordedTones();
    RecordedTones(const RecordedTones&) = delete;
    RecordedTones& operator=(const RecordedTones&) = delete;
    std::vector<Tone> Tones() const;
    void Clear();

private:
    struct State;
    std::shared_ptr<State> m_state;
    plat::ToneHandler m_previous;
};

// A port that records each Write as one packet and answers ReadByte from a
// queue of scripted bytes; an empty queue reads as a time-out.
class ScriptedPort : public vx::CBaseClass {
public:
    // Called after each Write with the packet; may queue the reply.
    std::function<void(const Bytes& packet, ScriptedPort& port)> onWrite;

    std::vector<Bytes> written;
    std::deque<std::uint8_t> input;
    bool failWrites = false;
    int readTimeouts = 0;

    void Queue(const Bytes& bytes) { input.insert(input.end(), bytes.begin(), bytes.end()); }

    // Answers every short command with these results, and every other
    // request with the bare header of its packet type.
    void AnswerEvery(std::uint8_t r1, std::uint8_t r2, std::uint8_t r3);

    plat::BOOL WriteByte(plat::BYTE value) override;
    plat::BOOL Write(const plat::BYTE* data, int length) override;
    plat::BOOL ReadByte(plat::BYTE* out) override;
    int ReservedFirst() override { return 0; }
    const char* GetAddress() override { return "scripted"; }
    int ReservedThird() override { return 0; }
    plat::DWORD DiscardPendingInput() override;
};

// What one thread of this process has cost so far: its processor time and
// its voluntary context switches, each of which is a wake-up after a wait.
struct ThreadActivity {
    bool found = false;
    double cpuSeconds = 0;
    long wakeUps = 0;
};

// The activity of the thread with this name (as pthread_setname_np gave it);
// found is false when no thread has the name.
ThreadActivity ThreadActivityByName(const std::string& name);

// Waits until pred() holds, up to timeoutMs; true when it did.
template <class Pred> bool WaitFor(Pred pred, int timeoutMs);

// A reply to a short command: header 27 00 01 10 04 00, the command byte and three results.
Bytes ShortReply(std::uint8_t commandByte, std::uint8_t r1, std::uint8_t r2, std::uint8_t r3);

// A short command request as the protocol must write it.
Bytes ShortRequest(std::uint8_t commandByte, std::uint8_t a1, std::uint8_t a2, std::uint8_t a3);

} // namespace vxtest

#include "platform/Clock.h"

template <class Pred> bool vxtest::WaitFor(Pred pred, int timeoutMs) {
    const std::int64_t end = plat::TickMs() + timeoutMs;
    while (plat::TickMs() < end) {
        if (pred())
            return true;
        plat::Sleep(5);
    }
    return pred();
}
