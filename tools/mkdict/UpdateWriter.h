#pragma once

#include <string>

namespace tools {

// The example updates of a service folder, so that quendic-service offers
// one update out of the box: updates/updates.lst with one record, and its
// file updates/00000001, an sd.102 whose help document has a note on what
// the new version changes. Also the IP table ips.txt for the lookup page.
// Layout in docs/formats.md ("Service folder").
class UpdateWriter {
public:
    // False on a write error; existing files are replaced.
    static bool Write(const std::string& serviceFolder);
};

} // namespace tools
