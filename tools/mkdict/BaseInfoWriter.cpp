#include "tools/mkdict/BaseInfoWriter.h"

#include "core/TaggedText.h"
#include "display/PhoneticFont.h"
#include "platform/Gbk.h"
#include "tools/mkdict/ContainerBuilder.h"
#include "tools/mkdict/EntryWriter.h"
#include "tools/mkdict/TextUtil.h"

#include <cstdio>
#include <set>

namespace tools {

std::string BaseInfoWriter::WordRecord(const Headword& word) {
    using core::MakeTagField;
    std::vector<std::string> lines;
    for (const Headword::ChineseLine& line : word.Chinese) {
        const std::string words = Join(line.Words, "；");
        lines.push_back(line.Label.empty() ? words : line.Label + " " + words);
    }
    std::string record = MakeTagField(platform::Utf8ToGbk(SafeFieldText(word.Name)), "Name");
    record += MakeTagField(display::IpaToHtmlReferences(word.Ipa), "YB");
    record += MakeTagField(word.WordMp3.empty() ? "" : "1", "MP3");
    std::string cn;
    for (size_t i = 0; i < lines.size(); ++i) {
        cn += (i > 0 ? "\r\n" : "") + platform::Utf8ToGbk(SafeFieldText(lines[i]));
    }
    record += MakeTagField(cn, "CN");
    record += MakeTagField(platform::Utf8ToGbk(Inflections::Describe(word.Forms)), "CXBH");
    return record;
}

bool BaseInfoWriter::Write(const std::vector<Headword>& words, const std::string& path) {
    ContainerBuilder cdf;
    std::set<std::string> names;
    for (const Headword& word : words) {
        names.insert(word.Key);
    }
    for (const Headword& word : words) {
        cdf.Add(word.Key, WordRecord(word));
        if (!word.WordMp3.empty()) {
            cdf.Add(word.Key + ".mp3", word.WordMp3);
        }
    }
    // A double-click finds one word, so a phrase's forms ("gave up") are
    // never looked up.
    for (const Headword& word : words) {
        for (const std::string& form : word.Forms.All()) {
            if (form.find(' ') == std::string::npos && names.insert(form).second) {
                cdf.Add(form, WordRecord(word));
            }
        }
    }
    return cdf.Save(path);
}

} // namespace tools
