// The system beep on Linux: a sine tone played through ALSA's default device.
// On a machine without a sound device the open fails at once and the beep
// returns; the failure is remembered for a few seconds so a burst of beeps
// does not probe the device each time.
#include "platform/Clock.h"
#include "platform/DefaultOutputs.h"

#include <atomic>
#include <cmath>
#include <mutex>
#include <vector>

#if VX18D_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif

namespace plat {

#if VX18D_HAVE_ALSA
namespace {

void SilentAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

std::atomic<std::int64_t> g_noDeviceUntilMs{0};

} // namespace

BOOL PlayDefaultTone(DWORD frequencyHz, DWORD durationMs) {
    if (TickMs() < g_noDeviceUntilMs.load())
        return FALSE;
    static std::once_flag quiet;
    std::call_once(quiet, [] { snd_lib_error_set_handler(SilentAlsaErrors); });

    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0) {
        g_noDeviceUntilMs = TickMs() + 10000;
        return FALSE;
    }
    constexpr unsigned rate = 44100;
    BOOL played = FALSE;
    if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 1, rate, 1,
                           50000) >= 0) {
        const std::size_t frames = static_cast<std::size_t>(rate) * durationMs / 1000;
        std::vector<std::int16_t> samples(frames);
        const double step = 2.0 * M_PI * frequencyHz / rate;
        for (std::size_t i = 0; i < frames; ++i)
            samples[i] =
                static_cast<std::int16_t>(8000.0 * std::sin(step * static_cast<double>(i)));
        snd_pcm_sframes_t written = snd_pcm_writei(pcm, samples.data(), frames);
        if (written < 0)
            written = snd_pcm_recover(pcm, static_cast<int>(written), 1);
        played = written >= 0;
        snd_pcm_drain(pcm);
    }
    snd_pcm_close(pcm);
    return played;
}
#else
BOOL PlayDefaultTone(DWORD, DWORD) {
    return FALSE;
}
#endif

} // namespace plat
