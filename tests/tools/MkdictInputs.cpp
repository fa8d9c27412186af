#include "tools/MkdictInputs.h"

#include "tools/mkdict/TextUtil.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <vector>

namespace mkdict_test {
namespace {

struct Synset {
    char Pos;          // n v a r
    const char* Words; // "go travel move", '_' inside phrases
    const char* Gloss;
    std::vector<unsigned> TagCounts; // one per word
    const char* DerivedFrom = nullptr; // first word of another synset: a "\\" pointer to it
};

const std::vector<Synset>& Synsets() {
    static const std::vector<Synset> synsets = {
        {'n', "apple", "fruit with red or yellow or green skin; \"an apple a day\"", {5}},
        {'n', "book", "a written work or composition; \"I read a good book\"", {10}},
        {'v',
         "book reserve",
         "arrange for and reserve in advance; \"please book two seats\"",
         {3, 2}},
        {'v', "go travel move", "change location; \"how fast does your new car go?\"", {20, 4, 6}},
        {'n', "go go_game", "a board game for two players", {0, 0}},
        {'v', "run", "move fast by using one's feet; \"don't run in the hall\"", {8}},
        {'n', "computer computing_machine", "a machine for performing calculations", {4, 0}},
        {'n', "Paris City_of_Light", "the capital of France", {2, 0}},
        {'n', "apple_juice", "juice from apples", {0}},
        {'n', "noodle", "a ribbonlike strip of pasta", {1}},
        {'n', "He helium", "a very light colorless element", {0, 0}},
        {'n', "liver", "a large glandular organ", {0}},
        {'a', "live", "having life", {0}},
        {'a', "born", "brought into existence", {0}},
        {'a', "forgotten", "not remembered", {0}},
        {'a', "stricken", "grievously affected", {0}},
        {'a', "quiet", "characterized by an absence of noise", {3}},
        {'r', "quietly", "with little or no sound", {2}, "quiet"},
        {'n', "loo", "a toilet in Britain", {0}},
        {'n', "running", "the act of running", {0}},
        {'v', "meet", "get together socially", {10}},
        {'n', "meeting", "a formally arranged gathering", {8}},
        {'v', "file", "record in a public office", {9}},
        {'n', "file", "a set of related records", {2}},
    };
    return synsets;
}

char SynsetType(char pos) {
    return pos == 'n' ? '1' : pos == 'v' ? '2' : pos == 'a' ? '3' : '4';
}

void Write(const std::string& path, const std::string& text) {
    tools::WriteWholeFile(path, text);
}

} // namespace

TempFolder::TempFolder() {
    char name[] = "/tmp/quendic-mkdict-test-XXXXXX";
    path_ = ::mkdtemp(name);
}

TempFolder::~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

void WriteWordNet(const std::string& folder) {
    std::filesystem::create_directories(folder);
    std::map<char, std::string> data;
    // Offsets are eight digits whatever their value, so a first pass with
    // placeholders finds them all.
    const std::vector<Synset>& synsets = Synsets();
    std::vector<std::string> offsets(synsets.size(), std::string(8, '0'));
    auto lineOf = [&](const Synset& synset, const std::string& offset) {
        const std::vector<std::string> words = tools::Words(synset.Words);
        char count[8];
        std::snprintf(count, sizeof count, "%02zx", words.size());
        std::string line = std::string(offset) + " 05 " + synset.Pos + " " + count;
        for (const std::string& word : words) {
            line += " " + word + " 0";
        }
        line += " 000";
        for (size_t t = 0; synset.DerivedFrom != nullptr && t < synsets.size(); ++t) {
            if (tools::Words(synsets[t].Words).front() == synset.DerivedFrom) {
                line.resize(line.size() - 4);
                line += std::string(" 001 \\ ") + offsets[t] + " " + synsets[t].Pos + " 0101";
                break;
            }
        }
        return line + " | " + std::string(synset.Gloss) + "  \n";
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (char pos : {'n', 'v', 'a', 'r'}) {
            data[pos] = "  1 This header line stands for the licence text.\n";
        }
        for (size_t i = 0; i < synsets.size(); ++i) {
            char offset[16];
            std::snprintf(offset, sizeof offset, "%08zu", data[synsets[i].Pos].size());
            offsets[i] = offset;
            data[synsets[i].Pos] += lineOf(synsets[i], offsets[i]);
        }
    }
    std::string index;
    std::map<std::string, int> senseNumbers;
    for (size_t i = 0; i < synsets.size(); ++i) {
        const Synset& synset = synsets[i];
        const std::vector<std::string> words = tools::Words(synset.Words);
        for (size_t w = 0; w < words.size(); ++w) {
            const std::string lemma = tools::AsciiLower(words[w]);
            const int number = ++senseNumbers[lemma + synset.Pos];
            index += lemma + "%" + SynsetType(synset.Pos) + ":05:00:: " + offsets[i] + " " +
                     std::to_string(number) + " " + std::to_string(synset.TagCounts[w]) + "\n";
        }
    }
    Write(folder + "/data.noun", data['n']);
    Write(folder + "/data.verb", data['v']);
    Write(folder + "/data.adj", data['a']);
    Write(folder + "/data.adv", data['r']);
    Write(folder + "/index.sense", index);
    Write(folder + "/noun.exc", "");
    Write(folder + "/verb.exc", "went go\nrunning run\nran run\nmeeting meet\n");
    Write(folder + "/adj.exc", "");
}

tools::BuildOptions WriteInputs(const std::string& folder) {
    tools::BuildOptions options;
    options.OutFolder = folder + "/out";
    options.ServiceFolder = folder + "/service";
    options.Words = 100;
    options.Audio = 0;
    options.Espeak = false;
    options.Jobs = 2;
    options.WordNet = folder + "/wordnet";
    WriteWordNet(options.WordNet);

    options.Cedict = folder + "/cedict.js";
    Write(options.Cedict, "module.exports = `# CC-CEDICT\n"
                          "# a comment line\n"
                          "蘋果 苹果 [ping2 guo3] /apple/CL:個|个[ge4]/\n"
                          "蘋果汁 苹果汁 [ping2 guo3 zhi1] /apple juice/\n"
                          "蘋 苹 [ping2] /(Tw) apple/\n"
                          "書 书 [shu1] /book/letter/CL:本[ben3]/\n"
                          "書本 书本 [shu1 ben3] /book/CL:本[ben3]/\n"
                          "預訂 预订 [yu4 ding4] /to place an order/to book ahead/\n"
                          "訂 订 [ding4] /to order/to book (tickets etc)/\n"
                          "去 去 [qu4] /to go/to go to (a place)/\n"
                          "回去 回去 [hui2 qu4] /to go back/\n"
                          "檔案 档案 [dang4 an4] /file; record/archive/\n"
                          "會議 会议 [hui4 yi4] /meeting; conference/\n"
                          "見面 见面 [jian4 mian4] /to meet/\n"
                          "備案 备案 [bei4 an4] /to put on record; to file/\n"
                          "走 走 [zou3] /to walk/to go/to move/\n"
                          "跑 跑 [pao3] /to run/to escape/\n"
                          "巴黎 巴黎 [Ba1 li2] /Paris, capital of France/\n"
                          "喜歌劇院 喜歌剧院 [xi3 ge1 ju4 yuan4] /Opera-Comique (Paris)/\n"
                          "電腦 电脑 [dian4 nao3] /computer/CL:臺|台[tai2]/\n"
                          "𰻞𰻞麵 𰻝𰻝面 [biang2 biang2 mian4] /noodle/\n"
                          "麵條 面条 [mian4 tiao2] /noodle/\n"
                          "this line is malformed\n"
                          "安靜 安静 [an1 jing4] /quiet/\n"
                          "跑步 跑步 [pao3 bu4] /to run/running/\n"
                          "智能手機 智能手机 [zhi4 neng2 shou3 ji1] /smartphone/\n"
                          "蘋果樹 苹果树 [ping2 guo3 shu4] /apple tree/`;\n");

    options.CmuDict = folder + "/cmudict.out";
    Write(options.CmuDict, "MNCL\n"
                           "(\"apple\" nil (((ae) 1) ((p ax l) 0)))\n"
                           "(\"book\" nil (((b uh k) 1)))\n"
                           "(\"go\" nil (((g ow) 1)))\n"
                           "(\"run\" nil (((r ah n) 1)))\n"
                           "(\"computer\" nil (((k ax m) 0) ((p y uw) 1) ((t er) 0)))\n"
                           "(\"paris\" nil (((p ae) 1) ((r ax s) 0)))\n"
                           "(\"juice\" nil (((jh uw s) 1)))\n"
                           "(\"the\" dt (((dh ax) 0)))\n");

    options.Verbs = folder + "/verbs.json";
    Write(options.Verbs, "{\"go\":[[\"went\",\"gone\"]],\"run\":[[\"ran\",\"run\"]],"
                         "\"meet\":[[\"met\",\"met\"]]}");

    options.WordLists = folder + "/scowl";
    std::filesystem::create_directories(options.WordLists);
    Write(options.WordLists + "/english-words.10", "apples\nbooks\nbooked\nnoodles\ncomputers\n"
                                                       "meeting\nmet\nmeets\n");
    Write(options.WordLists + "/english-words.50", "loo\nsmartphone\n");
    Write(options.WordLists + "/english-words.95", "runs\n");

    options.ChineseFrequency = folder + "/chinese-frequency.txt";
    Write(options.ChineseFrequency, "苹果 5000 n\n书 19000 n\n书本 564 n\n预订 900 v\n订 3000 v\n"
                                    "去 123402 v\n走 50437 v\n跑 5000 v\n巴黎 3000 ns\n电脑 8000 n\n"
                                    "面条 300 n\n苹果汁 120 n\n苹果树 150 n\n安静 2000 a\n"
                                    "跑步 800 v\n智能手机 300 n\n回去 9000 v\n档案 3000 n\n备案 300 v\n会议 20000 n\n见面 5000 v\n");
    options.ProfanityEnglish = folder + "/profanity-en.json";
    Write(options.ProfanityEnglish, "[\"fuck\", \"s&m\"]");
    options.ProfanityEnglishMore = folder + "/profanity-en-more.js";
    Write(options.ProfanityEnglishMore, "module.exports = [\"damn\", \"god\"];\n");
    options.ProfanityChinese = folder + "/profanity-zh.json";
    Write(options.ProfanityChinese, "{\"words\": [\"他媽的\"]}");

    options.Spoken = folder + "/spoken.json";
    Write(options.Spoken, "[{\"word\": \"go\", \"count\": 9000}, {\"word\": \"book\", \"count\": 80},"
                          " {\"word\": \"run\", \"count\": 70}, {\"word\": \"apple\", \"count\": 50},"
                          " {\"word\": \"meet\", \"count\": 40}]");

    options.Overrides = folder + "/overrides.txt";
    Write(options.Overrides, "# hand-checked\n"
                             "the\tart. 这；那\n"
                             "computer\tn. 计算机；电脑 | adj. 电脑\n"
                             "he\tpron. 他\n");
    return options;
}

} // namespace mkdict_test
