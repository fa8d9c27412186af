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
    // when a word is missing. Case is ignored. `pos` ('n', 'v', 'a'; 0 for
    // any) picks the lexicon's reading for that part of speech where it has
    // several ("lead": v. lid, n. lɛd), else its first reading.
    //
    // A hyphenated word is one word: its pieces are joined, the first
    // stressed piece carrying the primary stress and later ones a secondary
    // ("T-shirt" ˈtiˌʃɝt; function words such as "in" stay unstressed). In a
    // phrase every content word carries its own stress, one-syllable words
    // included ("ˈæpəl ˈpaɪ"); a verb phrase ending in a particle puts the
    // primary stress on the particle ("give up" ˌɡɪv ˈʌp).
    std::string Ipa(std::string_view text, char pos = 0) const;
    // The parts of speech with a reading of their own ('n', 'v', 'a'),
    // in the lexicon's order; empty for words with one reading only.
    std::vector<char> TaggedParts(std::string_view word) const;
    bool Has(std::string_view word) const;
    // Syllables of a known word; 0 when unknown.
    int Syllables(std::string_view word) const;
    size_t Size() const { return ipa_.size(); }

    // One dictionary line to IPA; false for a malformed line. `partOfSpeech` gets the
    // line's part of speech ('n', 'v', 'a' for the lexicon's n, v, j; 0 for
    // the others). An "r" right after the r-coloured vowel of its syllable is
    // dropped ("insert" n: ˈɪnsɚt). Exposed for tests.
    static bool ParseLine(std::string_view line, std::string& word, std::string& ipa,
                          int* syllables = nullptr, char* partOfSpeech = nullptr);

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
    // marks, ɾ as t, ᵻ as ɪ, no linking ɹ after ɚ before a vowel, ...) and
    // moves its stress marks to the onset; a single word of one syllable
    // keeps no mark.
    static std::string NormaliseEspeak(std::string_view ipa);

private:
    std::string WordIpa(const std::string& word, char pos) const;
    std::unordered_map<std::string, std::string> ipa_; // the first reading of a word
    std::unordered_map<std::string, std::vector<std::pair<char, std::string>>> tagged_;
    std::unordered_map<std::string, int> syllables_;
};

} // namespace tools
