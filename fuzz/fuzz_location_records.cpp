// Fetching an entry: a cached package (part 0), the location member of the
// word's bucket in "voc.dif" (part 1) and the bucket's entry data file
// (part 2), then the fetch of that word from the local sources.
#include "FuzzSupport.h"

#include "core/EntryFetch.h"
#include "storage/StrCRC.h"
#include "storage/TCDF.h"

#include <cstdio>
#include <filesystem>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> parts = fuzzsupport::Parts(data, size, 3);
    const std::string& folder = fuzzsupport::Folder();
    const std::string word = "apple";
    const uint32_t hash = storage::WordHash(word);
    std::remove((folder + "VocQuery.dat").c_str());
    std::remove((folder + "voc.dif").c_str());
    if (!parts[0].empty()) {
        storage::TCDF cache(folder + "VocQuery.dat");
        cache.SetCodeType(28);
        storage::Stream package = parts[0];
        cache.AddStream(hash, package);
    }
    {
        storage::TCDF locations(folder + "voc.dif");
        locations.SetNameSeed(0);
        storage::Stream member = parts[1];
        locations.AddStream(hash >> 24, member);
    }
    std::error_code error;
    std::filesystem::create_directories(folder + "11", error);
    fuzzsupport::WriteFile(folder + "11/90.dat", parts[2]);

    core::EntryFetch::FindInLocationMember(parts[1], hash);
    core::EntryFetch fetch(folder + "voc.tmp");
    (void)fetch.ExtractLocalEntry(word);
    return 0;
}
