#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tools {

// General American IPA for English words. The first source is the syllabified
// CMU dictionary of the speech synthesis lexicons ("cmudict-0.4.out": lines
// ("word" pos (((phones) stress) ...))); stress marks go before the onset of
// the stressed syllable: the first stressed syllable gets "ˈ", later ones
// "ˌ"; a word of one syllable carries no mark. The lexicon writes primary and
// secondary stress alike, so where a word has several stressed syllables
// espeak-ng can be asked which is primary ("education": ˌɛdʒəˈkeɪʃən, not
// ˈɛdʒəˌkeɪʃən; "aardvark" keeps ˈɑɹdˌvɑɹk). Words the dictionary lacks can
// be asked of espeak-ng, whose marks stand before the vowel and are moved in
// front of the syllable onset before it.
class CmuPhonetics {
public:
    void Parse(std::string_view text);
    bool Load(const std::string& path);

    // IPA (UTF-8) of a word or of a phrase whose words are all known; empty
    // when a word is missing. Case is ignored.
    std::string Ipa(std::string_view text) const;
    bool Has(std::string_view word) const;
    // Syllables of a known word; 0 when unknown.
    int Syllables(std::string_view word) const;
    size_t Size() const { return ipa_.size(); }

    // One dictionary line to IPA; empty for a malformed line. Exposed for tests.
    static bool ParseLine(std::string_view line, std::string& word, std::string& ipa,
                          int* syllables = nullptr);

    // The known words of the texts (split at blanks and hyphens) with more
    // than one stressed syllable, sorted, each once.
    std::vector<std::string> WordsWithSeveralStresses(const std::vector<std::string>& texts) const;
    // Makes primary the stressed syllable of a known word nearest to the
    // primary stress of the reference transcription (espeak-ng's); the word
    // is unchanged when the reference is empty or has no primary stress.
    void TakePrimaryStressFrom(const std::string& word, std::string_view reference);
    // `ipa` with its stress mark nearest (in syllables) to the reference's
    // "ˈ" made primary and the others secondary. Exposed for tests.
    static std::string MovePrimaryStress(std::string_view ipa, std::string_view reference);

    // Runs `espeak-ng -q --ipa -v en-us` once with the texts on standard input,
    // one per line, and returns one normalised transcription per text (empty
    // where the output could not be aligned). Empty when espeak-ng is missing.
    static std::vector<std::string> AskEspeak(const std::vector<std::string>& texts);
    // Maps espeak's symbols onto the ones this dictionary uses (no length
    // marks, ɾ as t, ᵻ as ɪ, ...) and moves its stress marks to the onset.
    static std::string NormaliseEspeak(std::string_view ipa);

private:
    std::unordered_map<std::string, std::string> ipa_;
    std::unordered_map<std::string, int> syllables_;
};

} // namespace tools
