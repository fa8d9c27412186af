#include "tools/mkdict/AudioMaker.h"

#include <atomic>
#include <espeak-ng/speak_lib.h>
#include <lame/lame.h>
#include <mutex>
#include <thread>

namespace tools {
namespace {

std::mutex speechMutex; // guards the speech library's global state
int sampleRate = 0;     // set by the first successful initialisation
std::vector<short>* collecting = nullptr;

int CollectSamples(short* samples, int count, espeak_EVENT*) {
    if (collecting != nullptr && samples != nullptr && count > 0) {
        collecting->insert(collecting->end(), samples, samples + count);
    }
    return 0; // go on
}

// Caller holds speechMutex. Initialised once per process: the library does
// not survive a second initialisation. It carries state from one text to the
// next (the same word comes out slightly different the second time), so the
// recordings of a process depend on the sequence of texts it spoke; the
// builder speaks them in one fixed order.
bool InitialiseSpeech() {
    if (sampleRate > 0) {
        return true;
    }
    const int rate =
        espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 500, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0 || espeak_SetVoiceByName("en-us") != EE_OK) {
        return false;
    }
    espeak_SetSynthCallback(CollectSamples);
    sampleRate = rate;
    return true;
}

} // namespace

bool AudioMaker::Available() {
    std::lock_guard lock(speechMutex);
    return InitialiseSpeech();
}

std::string AudioMaker::EncodeMp3(const std::vector<short>& samples, int rate) {
    if (samples.empty()) {
        return {};
    }
    lame_global_flags* flags = lame_init();
    if (flags == nullptr) {
        return {};
    }
    lame_set_num_channels(flags, 1);
    lame_set_in_samplerate(flags, rate);
    lame_set_mode(flags, MONO);
    lame_set_brate(flags, 32);
    lame_set_quality(flags, 5);
    std::string out;
    if (lame_init_params(flags) >= 0) {
        // Worst case from lame.h: 1.25 * samples + 7200.
        std::vector<unsigned char> buffer(samples.size() * 5 / 4 + 7200);
        const int written = lame_encode_buffer(flags, const_cast<short*>(samples.data()), nullptr,
                                               static_cast<int>(samples.size()), buffer.data(),
                                               static_cast<int>(buffer.size()));
        if (written >= 0) {
            out.assign(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(written));
            const int flushed =
                lame_encode_flush(flags, buffer.data(), static_cast<int>(buffer.size()));
            if (flushed >= 0) {
                out.append(reinterpret_cast<const char*>(buffer.data()),
                           static_cast<size_t>(flushed));
            } else {
                out.clear();
            }
        }
    }
    lame_close(flags);
    return out;
}

std::vector<std::string> AudioMaker::Make(const std::vector<std::string>& texts) const {
    std::vector<std::string> results(texts.size());
    std::vector<std::vector<short>> samples(texts.size());
    int rate = 0;
    {
        std::lock_guard lock(speechMutex);
        if (!InitialiseSpeech()) {
            return results;
        }
        rate = sampleRate;
        for (size_t i = 0; i < texts.size(); ++i) {
            if (texts[i].empty()) {
                continue;
            }
            collecting = &samples[i];
            espeak_Synth(texts[i].c_str(), texts[i].size() + 1, 0, POS_CHARACTER, 0,
                         espeakCHARS_UTF8, nullptr, nullptr); // returns when spoken
            collecting = nullptr;
        }
    }
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < texts.size(); i = next++) {
            results[i] = EncodeMp3(samples[i], rate);
        }
    };
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < jobs_; ++w) {
        threads.emplace_back(work);
    }
    for (std::thread& t : threads) {
        t.join();
    }
    return results;
}

} // namespace tools
