#include "widgets/WindowMemory.h"

#include "core/Utilities.h"
#include "platform/Text.h"

#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace widgets {
namespace {

// The comma-separated decimal numbers of a value, exactly `count` of them.
std::optional<std::vector<int>> ReadNumbers(std::string_view name, qsizetype count) {
    std::string value;
    if (!core::ReadNameValue(name, value))
        return std::nullopt;
    const QStringList parts = QString::fromLatin1(value.data(), static_cast<qsizetype>(value.size()))
                                  .split(QLatin1Char(','));
    if (parts.size() != count)
        return std::nullopt;
    std::vector<int> numbers;
    for (const QString& part : parts) {
        bool ok = false;
        numbers.push_back(part.trimmed().toInt(&ok));
        if (!ok)
            return std::nullopt;
    }
    return numbers;
}

bool WriteNumbers(std::string_view name, std::initializer_list<int> numbers) {
    std::string value;
    for (const int number : numbers) {
        if (!value.empty())
            value += ',';
        value += std::to_string(number);
    }
    return core::WriteNameValue(name, value);
}

} // namespace

std::optional<QRect> ReadRect(std::string_view name) {
    const auto numbers = ReadNumbers(name, 4);
    if (!numbers || (*numbers)[2] <= 0 || (*numbers)[3] <= 0)
        return std::nullopt;
    return QRect((*numbers)[0], (*numbers)[1], (*numbers)[2], (*numbers)[3]);
}

std::optional<QSize> ReadSize(std::string_view name) {
    const auto numbers = ReadNumbers(name, 2);
    if (!numbers || (*numbers)[0] <= 0 || (*numbers)[1] <= 0)
        return std::nullopt;
    return QSize((*numbers)[0], (*numbers)[1]);
}

std::optional<int> ReadNumber(std::string_view name) {
    const auto numbers = ReadNumbers(name, 1);
    if (!numbers)
        return std::nullopt;
    return (*numbers)[0];
}

std::optional<bool> ReadSwitch(std::string_view name) {
    std::string value;
    if (!core::ReadNameValue(name, value))
        return std::nullopt;
    const std::optional<uint32_t> number = platform::ParseHex32(platform::Trimmed(value));
    if (!number)
        return std::nullopt;
    return *number != 0;
}

bool WriteRect(std::string_view name, const QRect& rect) {
    return WriteNumbers(name, {rect.x(), rect.y(), rect.width(), rect.height()});
}

bool WriteSize(std::string_view name, const QSize& size) {
    return WriteNumbers(name, {size.width(), size.height()});
}

bool WriteNumber(std::string_view name, int number) {
    return WriteNumbers(name, {number});
}

bool WriteSwitch(std::string_view name, bool on) {
    return core::WriteNameValue(name, on ? "00000001" : "00000000");
}

bool IsOnAScreen(const QRect& rect) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect shared = rect.intersected(screen->geometry());
        if (shared.width() >= 100 && shared.height() >= 40)
            return true;
    }
    return false;
}

} // namespace widgets
