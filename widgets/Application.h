#pragma once

#include <QString>

namespace widgets {

// The title the program shows to the user, in UTF-8. Window title labels are
// built from it ("Quenlo英语词典 ---> [帮助]").
inline constexpr const char* kApplicationTitle = "Quenlo英语词典";

inline QString ApplicationTitle() {
    return QString::fromUtf8(kApplicationTitle);
}

} // namespace widgets
