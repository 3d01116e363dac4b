#include "support/TestSupport.h"

#include "platform/Clock.h"

#include <filesystem>
#include <mutex>

namespace vxtest {

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

IsolatedConfig::IsolatedConfig()
    : m_config("VX18D_CONFIG_DIR", m_dir.Path()), m_data("VX18D_DATA_DIR", m_dir.Path() + "/data"),
      m_cache("VX18D_CACHE_DIR", m_dir.Path() + "/cache") {
    std::filesystem::create_directories(PortsDir());
    ClearStoredSettings();
}

IsolatedConfig::~IsolatedConfig() {
    ClearStoredSettings();
}

RecordedBoxes::RecordedBoxes() : m_boxes(std::make_shared<std::vector<plat::MessageBoxRequest>>()) {
    auto boxes = m_boxes;
    auto answer = m_answer;
    m_previous =
        plat::SetMessageBoxHandler([boxes, answer](const plat::MessageBoxRequest& request) {
            boxes->push_back(request);
            return (request.type & 0xF) == plat::MB_YESNO ? *answer : plat::IDOK;
        });
}

RecordedBoxes::~RecordedBoxes() {
    plat::SetMessageBoxHandler(std::move(m_previous));
}

struct RecordedTones::State {
    std::mutex mutex;
    std::vector<Tone> tones;
};

RecordedTones::RecordedTones() : m_state(std::make_shared<State>()) {
    auto state = m_state;
    m_previous = plat::SetToneHandler([state](plat::DWORD frequency, plat::DWORD duration) {
        std::lock_guard lock(state->mutex);
        state->tones.push_back({frequency, duration});
    });
}

RecordedTones::~RecordedTones() {
    plat::SetToneHandler(std::move(m_previous));
}

std::vector<RecordedTones::Tone> RecordedTones::Tones() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->tones;
}

void RecordedTones::Clear() {
    std::lock_guard lock(m_state->mutex);
    m_state->tones.clear();
}

plat::BOOL ScriptedPort::WriteByte(plat::BYTE value) {
    return Write(&value, 1);
}

plat::BOOL ScriptedPort::Write(const plat::BYTE* data, int length) {
    if (failWrites || length < 0)
        return plat::FALSE;
    Bytes packet(data, data + length);
    written.push_back(packet);
    if (onWrite)
        onWrite(packet, *this);
    return plat::TRUE;
}

plat::BOOL ScriptedPort::ReadByte(plat::BYTE* out) {
    if (input.empty()) {
        ++readTimeouts;
        plat::Sleep(1); // as a port's read wait would, without spinning the deadline loop
        return plat::FALSE;
    }
    *out = input.front();
    input.pop_front();
    return plat::TRUE;
}

void ScriptedPort::AnswerEvery(std::uint8_t r1, std::uint8_t r2, std::uint8_t r3) {
    onWrite = [=](const Bytes& packet, ScriptedPort& port) {
        if (packet[2] == 0x01 && packet[3] == 0x10)
            port.Queue(ShortReply(packet[6], r1, r2, r3));
        else
            port.Queue({0x27, 0, packet[2], packet[3], 0, 0});
    };
}

plat::DWORD ScriptedPort::DiscardPendingInput() {
    const auto count = static_cast<plat::DWORD>(input.size());
    input.clear();
    return count;
}

Bytes ShortReply(std::uint8_t commandByte, std::uint8_t r1, std::uint8_t r2, std::uint8_t r3) {
    return {0x27, 0x00, 0x01, 0x10, 0x04, 0x00, commandByte, r1, r2, r3};
}

Bytes ShortRequest(std::uint8_t commandByte, std::uint8_t a1, std::uint8_t a2, std::uint8_t a3) {
    return {0x27, 0x00, 0x01, 0x10, 0x04, 0x00, commandByte, a1, a2, a3};
}

} // namespace vxtest
