#pragma once

// Tiny source files for the dictionary builder, written into a temporary
// folder: a few CC-CEDICT lines, a WordNet folder with correct byte offsets,
// CMU lexicon lines, an irregular verb list and hand-checked glosses.

#include "tools/mkdict/DictionaryBuilder.h"

#include <string>

namespace mkdict_test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Writes the inputs below `folder` and returns options pointing at them
// (output into folder/out, service folder folder/service, no recordings, no
// espeak-ng).
tools::BuildOptions WriteInputs(const std::string& folder);

// The WordNet folder alone (data files and index.sense), for reader tests.
void WriteWordNet(const std::string& folder);

} // namespace mkdict_test
