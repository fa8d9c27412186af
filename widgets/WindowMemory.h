#pragma once

#include <QRect>
#include <QSize>

#include <optional>
#include <string_view>

class QWidget;

namespace widgets {

// Window geometry and switches remembered between runs, as values of the
// name/value file "nv.dat" (core::ReadNameValue): a rectangle as
// "left,top,width,height", a size as "width,height", a number in decimal, a
// switch as "00000001" or "00000000". A missing or malformed value reads as
// nothing; the callers keep their defaults then. Writes return false when the
// file cannot be written.
std::optional<QRect> ReadRect(std::string_view name);
std::optional<QSize> ReadSize(std::string_view name);
std::optional<int> ReadNumber(std::string_view name);
std::optional<bool> ReadSwitch(std::string_view name);
bool WriteRect(std::string_view name, const QRect& rect);
bool WriteSize(std::string_view name, const QSize& size);
bool WriteNumber(std::string_view name, int number);
bool WriteSwitch(std::string_view name, bool on);

// Whether a window at `rect` could be seen and grabbed: at least 100 x 40
// pixels of it lie on one of the screens.
bool IsOnAScreen(const QRect& rect);

} // namespace widgets
