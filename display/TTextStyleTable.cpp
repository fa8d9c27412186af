#include "display/TTextStyleTable.h"

namespace display {

const TTextStyle& TTextStyleTable::StyleOrDefault(int styleNo) const {
    static const TTextStyle kDefault;
    if (styleNo >= 0 && static_cast<std::size_t>(styleNo) < TextStyles.size())
        return TextStyles[static_cast<std::size_t>(styleNo)];
    if (!TextStyles.empty())
        return TextStyles.front();
    return kDefault;
}

} // namespace display
