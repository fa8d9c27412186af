#pragma once

#include <string>
#include <vector>

namespace tools {

// Speaks English texts into MP3 bytes: the espeak-ng library (American
// voice, 22050 Hz mono) synthesises the samples and the lame library encodes
// them as mono 32 kbit/s MP3. Both run in this process: starting the two
// command-line programs per text cost about ten times as much. Synthesis is
// serial (the speech library keeps global state); encoding is spread over
// `jobs` threads, each result in the slot of its text, so the output does not
// depend on thread timing. The speech library keeps state from text to text:
// a process that speaks the same texts in the same order makes the same
// bytes.
class AudioMaker {
public:
    explicit AudioMaker(unsigned jobs) : jobs_(jobs == 0 ? 1 : jobs) {}

    // True when the speech library finds its voice data.
    static bool Available();

    // One MP3 per text; an empty string for an empty text or where making it
    // failed.
    std::vector<std::string> Make(const std::vector<std::string>& texts) const;

    // MP3 bytes of 16-bit mono samples; empty on failure. Exposed for tests.
    static std::string EncodeMp3(const std::vector<short>& samples, int sampleRate);

private:
    unsigned jobs_;
};

} // namespace tools
