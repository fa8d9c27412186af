// The search aids and the reading of single queries in parts must list
// exactly what the plain scans list. Compared on a synthetic index of a
// million headwords, where buckets and posting runs are long enough for the
// aids to take over.
#include "core/WordIndex.h"
#include "tests/core/SyntheticVoc.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using core::WordIndex;

constexpr size_t kHeadwords = 1000000;

class SearchAtScaleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/quendic-scale-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = new std::string(pattern);
        testing_voc::SyntheticGenerator generator;
        members_ = new testing_voc::VocMembers(
            testing_voc::BuildVocMembers(generator.Entries(kHeadwords)));
        ASSERT_TRUE(testing_voc::WriteVoc(Path(), *members_));
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        std::filesystem::remove_all(*folder_, ec);
        delete folder_;
        delete members_;
    }
    static std::string Path() { return *folder_ + "/voc.dat"; }

    // English prefixes of 3 to 8 bytes of headwords (some cut inside a
    // phrase, some upper-cased) and Chinese texts of 2 and 3 characters
    // from glosses, drawn with a fixed seed.
    static std::vector<std::string> Queries(size_t english, size_t chinese) {
        std::mt19937 random(7);
        std::vector<std::string> queries;
        const auto& headwords = members_->Headwords;
        const auto& glosses = members_->Glosses;
        while (queries.size() < english) {
            const std::string& headword = headwords[random() % headwords.size()];
            const size_t length = 3 + random() % 6;
            if (headword.size() < length)
                continue;
            std::string query = headword.substr(0, length);
            if (random() % 4 == 0)
                query[1] = static_cast<char>(query[1] & ~0x20);
            queries.push_back(query);
        }
        for (size_t found = 0; found < chinese;) {
            const std::string& gloss = glosses[random() % glosses.size()];
            const size_t length = 4 + 2 * (random() % 2);
            if (gloss.size() < length || static_cast<unsigned char>(gloss[length - 2]) < 0x80)
                continue;
            queries.push_back(gloss.substr(0, length));
            ++found;
        }
        return queries;
    }

    static void ExpectSameResults(WordIndex& index, WordIndex& reference,
                                  const std::vector<std::string>& queries) {
        for (const auto& [words, phrases] : {std::pair{true, false}, {false, true}, {true, true}}) {
            index.SetFilter(words, phrases);
            reference.SetFilter(words, phrases);
            for (const std::string& query : queries) {
                const core::SearchOutcome expected = reference.Dispatch(query);
                const core::SearchOutcome outcome = index.Dispatch(query);
                ASSERT_EQ(outcome.Status, expected.Status) << query;
                ASSERT_EQ(index.ResultList(), reference.ResultList())
                    << query << " words " << words << " phrases " << phrases;
            }
        }
    }

    static std::string* folder_;
    static testing_voc::VocMembers* members_;
};

std::string* SearchAtScaleTest::folder_ = nullptr;
testing_voc::VocMembers* SearchAtScaleTest::members_ = nullptr;

TEST_F(SearchAtScaleTest, AidedSearchesListWhatTheScansList) {
    WordIndex aided;
    ASSERT_TRUE(aided.LoadWordIndex(Path()));
    WordIndex plain;
    ASSERT_TRUE(plain.LoadWordIndex(Path()));
    plain.SetSearchAids(false);
    ExpectSameResults(aided, plain, Queries(300, 300));
}

TEST_F(SearchAtScaleTest, SingleQueriesReadInPartsListWhatTheWholeIndexLists) {
    WordIndex whole;
    ASSERT_TRUE(whole.LoadWordIndex(Path()));
    for (const std::string& query : Queries(10, 10)) {
        // A fresh index per query, as quendic-cli reads one.
        WordIndex parts;
        ASSERT_TRUE(parts.LoadWordIndex(Path(), WordIndex::Reading::OnDemand));
        ExpectSameResults(parts, whole, {query});
    }
}

} // namespace
