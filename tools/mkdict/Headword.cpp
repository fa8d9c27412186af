#include "tools/mkdict/Headword.h"

namespace tools {

bool RanksBefore(const Headword& a, const Headword& b) {
    if (a.Frequency != b.Frequency) {
        return a.Frequency > b.Frequency;
    }
    if (a.SenseCount != b.SenseCount) {
        return a.SenseCount > b.SenseCount;
    }
    return a.Key < b.Key;
}

} // namespace tools
