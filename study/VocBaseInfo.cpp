#include "study/VocBaseInfo.h"

#include "core/TaggedText.h"
#include "core/Utilities.h"
#include "platform/Gbk.h"
#include "platform/Text.h"
#include "study/ConvertYB.h"

#include <algorithm>
#include <fstream>

namespace study {
namespace {

void ReadOption(const char* key, bool& option, const std::string& path) {
    std::string value;
    if (!core::ReadNameValue(key, value, path))
        return;
    if (const std::optional<uint32_t> number = platform::ParseHex32(platform::Trimmed(value)))
        option = *number != 0;
}

} // namespace

VocBaseOptions LoadVocBaseOptions(const std::string& path) {
    VocBaseOptions options;
    ReadOption(kKeyShowYB, options.ShowYB, path);
    ReadOption(kKeyShowCXBH, options.ShowCXBH, path);
    ReadOption(kKeyFormFollow, options.FormFollow, path);
    return options;
}

bool StoreVocBaseOption(const char* key, bool on, const std::string& path) {
    return core::WriteNameValue(key, on ? "00000001" : "00000000", path);
}

WindowPlace PlaceNearPointer(int x, int y, int width, int height, int screenWidth,
                             int screenHeight) {
    WindowPlace place;
    place.Left = screenWidth < width + x ? screenWidth - width - 30 : x;
    place.Top = screenHeight < y + height + 50 ? y - height - 15 : y + 15;
    return place;
}

bool VocBaseInfo::FindVocs(std::string_view text, VocSource& source) {
    const std::string_view whole = platform::Trimmed(text);
    if (whole.empty())
        return false;
    std::vector<int64_t> ids;
    if (const int64_t id = source.FindVoc(whole); id >= 0) {
        ids.push_back(id);
    } else {
        std::string run;
        auto endRun = [&] {
            if (run.size() > 1) {
                const int64_t found = source.FindVoc(run);
                if (found >= 0 && std::find(ids.begin(), ids.end(), found) == ids.end())
                    ids.push_back(found);
            }
            run.clear();
        };
        for (size_t i = 0; i < text.size();) {
            if (platform::IsAsciiLetter(text[i])) {
                run += text[i];
                ++i;
                continue;
            }
            endRun();
            // A double-byte character is stepped over whole: its trail byte
            // may have the value of an ASCII letter.
            i += platform::GbkCharLength(text, i);
        }
        endRun();
    }
    // Built aside: a text without known words leaves the shown list whole, so
    // a later re-render (an option toggled) still shows what is on screen.
    std::vector<std::string> found;
    for (const int64_t id : ids) {
        std::string record;
        if (source.ReadVocRecord(id, record))
            found.push_back(std::move(record));
    }
    if (found.empty())
        return false;
    vocList_ = std::move(found);
    return true;
}

void VocBaseInfo::ShowVocList(display::RichTextDocument& document,
                              const display::ImageListPtr& voiceImages) {
    document.Clear();
    mp3List_.clear();
    for (const std::string& record : vocList_) {
        document.AddPictureItem(display::Picture::Filled(1, 6, 0xFFFFFF));
        const std::string name = core::GetTagValue(record, "Name");
        document.AddFromNewLine(name, kStyleName);
        if (Options.ShowYB) {
            const std::string yb = ConvertYB(core::GetTagValue(record, "YB"));
            if (!yb.empty())
                document.Add("  / " + yb + " /", kStylePhonetic);
        }
        if (!core::GetTagValue(record, "MP3").empty()) {
            document.Add("  ", kStyleMeaning);
            document.AddImageJump(0, voiceImages, false);
            mp3List_.push_back(name);
        }
        const std::string meanings =
            platform::ReplaceAll(core::GetTagValue(record, "CN"), "\r\n", "  ");
        if (!meanings.empty())
            document.Add("  " + meanings, kStyleMeaning);
        if (Options.ShowCXBH) {
            const std::string forms = core::GetTagValue(record, "CXBH");
            if (!forms.empty())
                document.Add("  " + forms, kStyleForms);
        }
    }
}

bool VocBaseInfo::PlayHotSpot(int k, VocSource& source, platform::MediaPlayer& player,
                              const std::string& soundFile) {
    if (k < 0 || static_cast<size_t>(k) >= mp3List_.size())
        return false;
    std::string mp3;
    if (!source.GetVocMP3(mp3List_[static_cast<size_t>(k)], mp3) || mp3.size() < kMinPlayableBytes)
        return false;
    player.Close();
    {
        std::ofstream out(soundFile, std::ios::binary | std::ios::trunc);
        out.write(mp3.data(), static_cast<std::streamsize>(mp3.size()));
        if (!out.flush())
            return false;
    }
    player.SetUrl(soundFile);
    player.Play();
    return true;
}

} // namespace study
