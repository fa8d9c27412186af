#pragma once

// A synthetic word index of any size for benchmarks and the tests that
// compare the searches at scale: English-like headwords (initial and inner
// letter frequencies of English, about 15% two-word phrases) and glosses of
// 1-6 characters drawn, skewed towards the frequent ones, from 3000 GBK
// characters, with a line break now and then. Every entry has a rank (a
// shuffled order, as a frequency would give), so posting runs are in rank
// order as quendic-mkdict writes them. The same seed gives the same index.

#include "tests/core/VocFileBuilder.h"

#include <algorithm>
#include <numeric>
#include <random>

namespace testing_voc {

class SyntheticGenerator {
public:
    explicit SyntheticGenerator(uint32_t seed = 20240501) : random_(seed) {}

    std::string Word() {
        std::uniform_int_distribution<int> length(2, 11);
        const int n = length(random_);
        std::string word(1, static_cast<char>('a' + initial_(random_)));
        while (static_cast<int>(word.size()) < n)
            word += static_cast<char>('a' + inner_(random_));
        return word;
    }

    std::string Headword() {
        std::string headword = Word();
        if (std::uniform_real_distribution<double>(0, 1)(random_) < 0.15)
            headword += " " + Word();
        return headword;
    }

    // One of 3000 GB2312 characters (rows B0-DF), index skewed so that a few
    // are very common as in real glosses.
    std::string Character() {
        const double u = std::uniform_real_distribution<double>(0, 1)(random_);
        const int index = static_cast<int>(3000 * u * u);
        std::string c(2, '\0');
        c[0] = static_cast<char>(0xB0 + index / 94);
        c[1] = static_cast<char>(0xA1 + index % 94);
        return c;
    }

    std::string Gloss() {
        const int n = std::uniform_int_distribution<int>(1, 6)(random_);
        std::string gloss;
        for (int i = 0; i < n; ++i) {
            gloss += Character();
            if (i + 1 < n && std::uniform_int_distribution<int>(0, 9)(random_) == 0)
                gloss += "<0D0A>";
        }
        return gloss;
    }

    std::vector<VocEntry> Entries(size_t count) {
        std::vector<uint32_t> ranks(count);
        std::iota(ranks.begin(), ranks.end(), 0u);
        std::shuffle(ranks.begin(), ranks.end(), random_);
        std::vector<VocEntry> entries;
        entries.reserve(count);
        for (size_t i = 0; i < count; ++i)
            entries.push_back({Headword(), Gloss(), ranks[i]});
        return entries;
    }

    std::mt19937& Random() { return random_; }

private:
    // Relative frequencies of a-z as the first letter of English words, and
    // inside words.
    static constexpr double kInitial[26] = {11.7, 4.4,  5.2, 3.2, 2.8, 4.0, 1.6, 4.2, 7.3,
                                            0.5,  0.9,  2.4, 3.8, 2.3, 7.6, 4.3, 0.2, 2.8,
                                            6.7,  16.0, 1.2, 0.8, 5.5, 0.1, 0.8, 0.1};
    static constexpr double kInner[26] = {8.2, 1.5, 2.8, 4.3, 12.7, 2.2, 2.0, 6.1, 7.0,
                                          0.2, 0.8, 4.0, 2.4, 6.7,  7.5, 1.9, 0.1, 6.0,
                                          6.3, 9.1, 2.8, 1.0, 2.4,  0.2, 2.0, 0.1};

    std::mt19937 random_;
    std::discrete_distribution<int> initial_{std::begin(kInitial), std::end(kInitial)};
    std::discrete_distribution<int> inner_{std::begin(kInner), std::end(kInner)};
};

} // namespace testing_voc
