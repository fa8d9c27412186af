#include "display/qt/Fonts.h"

#include "display/PhoneticFont.h"
#include "platform/Gbk.h"

#include <QFontDatabase>
#include <QStringList>

#include <algorithm>

namespace display {

namespace {

const QString kCjkFamily = QStringLiteral("WenQuanYi Micro Hei");
const QString kIpaFamily = QStringLiteral("DejaVu Sans");

bool Installed(const QString& family) {
    static const QStringList families = QFontDatabase::families();
    return families.contains(family, Qt::CaseInsensitive);
}

QString FirstInstalled(std::initializer_list<const char*> candidates) {
    for (const char* name : candidates) {
        const QString family = QString::fromLatin1(name);
        if (Installed(family))
            return family;
    }
    return QString::fromLatin1(*candidates.begin());
}

// The installed family that stands in for a Windows font name.
QString FamilyFor(const TTextStyle& style) {
    if (style.IsPhonetic())
        return kIpaFamily;
    const std::string& name = style.FontName;
    for (unsigned char c : name) {
        if (c >= 0x80) // a Chinese font name ("宋体", "黑体", ...)
            return kCjkFamily;
    }
    const QString family = QString::fromLatin1(name.data(), static_cast<int>(name.size()));
    const QString lower = family.toLower();
    if (lower.isEmpty() || lower == QLatin1String("arial") || lower == QLatin1String("tahoma") ||
        lower == QLatin1String("verdana") || lower == QLatin1String("ms sans serif"))
        return FirstInstalled({"Liberation Sans", "DejaVu Sans"});
    if (lower == QLatin1String("times new roman"))
        return FirstInstalled({"Liberation Serif", "DejaVu Serif"});
    if (lower == QLatin1String("courier new"))
        return FirstInstalled({"Liberation Mono", "DejaVu Sans Mono"});
    return family;
}

} // namespace

QFont FontForStyle(const TTextStyle& style) {
    QFont font;
    const QString family = FamilyFor(style);
    // Latin styles still show Chinese glosses: the CJK family follows as a
    // fallback, then DejaVu Sans for IPA and symbols.
    QStringList families{family};
    if (family != kCjkFamily)
        families << kCjkFamily;
    if (family != kIpaFamily)
        families << kIpaFamily;
    font.setFamilies(families);
    font.setPointSize(style.Size > 0 ? style.Size : 10);
    font.setBold(style.IsBold());
    font.setItalic(style.IsItalic());
    font.setUnderline(style.IsUnderline());
    font.setStrikeOut(style.IsStrikeOut());
    font.setKerning(false); // pieces are measured and drawn separately
    return font;
}

QString DisplayText(const TTextStyle& style, std::string_view gbk) {
    if (style.IsPhonetic())
        return QString::fromStdString(PhoneticLettersToIpa(gbk));
    if (std::all_of(gbk.begin(), gbk.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(gbk.data(), static_cast<qsizetype>(gbk.size()));
    return QString::fromStdString(platform::GbkToUtf8(gbk));
}

} // namespace display
