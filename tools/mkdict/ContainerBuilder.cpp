#include "tools/mkdict/ContainerBuilder.h"

#include "storage/TCDF.h"
#include "tools/mkdict/TextUtil.h"

namespace tools {
void ContainerBuilder::Add(std::string_view name, std::string_view data) {
    static const storage::TCDF naming; // seed 0
    AppendLittle32(bytes_, naming.NameToId(name));
    AppendLittle32(bytes_, static_cast<uint32_t>(data.size()));
    bytes_.append(4, '\0'); // seed 0, coding type 0, reserved 0
    bytes_.append(data);
}

void ContainerBuilder::Add(uint32_t number, std::string_view data) {
    Add(storage::TCDF::NumberName(number), data);
}

bool ContainerBuilder::Save(const std::string& path) const {
    return WriteWholeFile(path, bytes_);
}

} // namespace tools
