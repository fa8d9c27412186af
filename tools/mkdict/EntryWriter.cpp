#include "tools/mkdict/EntryWriter.h"

#include "core/TaggedText.h"
#include "display/PhoneticFont.h"
#include "platform/Gbk.h"
#include "platform/Paths.h"
#include "storage/StrCRC.h"
#include "tools/mkdict/ContainerBuilder.h"
#include "tools/mkdict/TextUtil.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <map>

namespace tools {
namespace {

using core::MakeTagField;

std::string Gbk(std::string_view utf8) {
    return platform::Utf8ToGbk(SafeFieldText(utf8));
}

} // namespace

std::string SafeFieldText(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '<' || c == '>') {
            continue;
        }
        out += (c == '\r' || c == '\n' || c == '\t') ? ' ' : c;
    }
    return out;
}

std::string Hex(uint32_t value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
    return buffer;
}

std::string EntryWriter::EntryRecord(const Headword& word) {
    std::vector<std::string> cnLines;
    for (const Headword::ChineseLine& line : word.Chinese) {
        const std::string words = Join(line.Words, "；");
        cnLines.push_back(Gbk(line.Label.empty() ? words : line.Label + " " + words));
    }
    std::string voc = MakeTagField(Gbk(word.Name), "Name");
    voc += MakeTagField(display::IpaToPhoneticLetters(word.Ipa), "YB");
    if (!word.WordMp3.empty()) {
        voc += MakeTagField("1", "MP3");
    }
    voc += MakeTagField(Join(cnLines, "<0D0A>"), "CN");
    voc += MakeTagField(Gbk(Inflections::Describe(word.Forms)), "CXBH");
    std::string record = MakeTagField(voc, "Voc");

    std::string examples;
    for (size_t i = 0; i < word.Examples.size(); ++i) {
        if (i > 0) {
            examples += "\r\n";
        }
        examples += MakeTagField(std::to_string(i + 1), "XH");
        examples += MakeTagField(Gbk(word.Examples[i].En), "En");
        examples += MakeTagField(i == 0 && !word.ExampleMp3.empty() ? "2" : "", "MP3");
        examples += MakeTagField(Gbk(word.Examples[i].Cn), "Cn");
    }
    if (!examples.empty()) {
        record += MakeTagField(examples, "Example");
    }

    // A heading line per part of speech (the viewer shows only the heading
    // for the first line of a run), then its definitions.
    std::string definitions;
    std::string lastLabel;
    bool first = true;
    auto addLine = [&](const std::string& label, const std::string& text,
                       const std::string& synonyms) {
        if (!first) {
            definitions += "\r\n";
        }
        first = false;
        definitions += MakeTagField(Gbk(label), "CX") + MakeTagField(Gbk(text), "En") +
                       MakeTagField(Gbk(synonyms), "TYC");
    };
    for (const Headword::Definition& definition : word.Definitions) {
        if (first || definition.Label != lastLabel) {
            addLine(definition.Label, "", "");
            lastLabel = definition.Label;
        }
        std::string synonyms;
        for (size_t i = 0; i < definition.Synonyms.size(); ++i) {
            // "]" would end the synonym early.
            std::string synonym = definition.Synonyms[i];
            std::erase(synonym, ']');
            std::erase(synonym, '[');
            synonyms += "[" + std::to_string(i + 1) + "=" + synonym + "]";
        }
        addLine(definition.Label, definition.Text, synonyms);
    }
    if (!definitions.empty()) {
        record += MakeTagField(definitions, "YWJS");
    }
    return record;
}

std::string EntryWriter::Package(const Headword& word) {
    ContainerBuilder cdf;
    cdf.Add(0u, EntryRecord(word));
    if (!word.WordMp3.empty()) {
        cdf.Add(1u, word.WordMp3);
    }
    if (!word.ExampleMp3.empty() && !word.Examples.empty()) {
        cdf.Add(2u, word.ExampleMp3);
    }
    return cdf.Bytes();
}

std::string EntryWriter::CatalogueLine(unsigned bucket, const std::string& bytes) {
    const std::string number = Hex(bucket, 8);
    return MakeTagField(platform::Utf8ToGbk("词汇数据包 ") + Hex(bucket, 2), "JMMC") +
           MakeTagField(number, "JMBH") + MakeTagField(Hex(11, 8), "FC") +
           MakeTagField(number, "FID") +
           MakeTagField(Hex(static_cast<uint32_t>(bytes.size()), 8), "FS") +
           MakeTagField(Hex(storage::Crc32(bytes), 8), "FCRC") +
           MakeTagField("11\\" + Hex(bucket, 2) + ".dat", "LFn");
}

bool EntryWriter::Write(const std::vector<Headword>& words, const std::string& folder,
                        const std::string& serviceFolder) {
    std::map<unsigned, std::vector<const Headword*>> buckets;
    for (const Headword& word : words) {
        buckets[storage::WordHash(word.Key) >> 24].push_back(&word);
    }
    std::error_code error;
    std::filesystem::create_directories(folder + "/11", error);
    if (!serviceFolder.empty()) {
        std::filesystem::create_directories(serviceFolder + "/11", error);
    }
    ContainerBuilder dif;
    std::string catalogue;
    for (auto& [bucket, members] : buckets) {
        std::sort(members.begin(), members.end(),
                  [](const Headword* a, const Headword* b) { return a->Key < b->Key; });
        std::string data;
        std::string records;
        for (const Headword* word : members) {
            const std::string package = Package(*word);
            AppendLittle32(records, storage::WordHash(word->Key));
            AppendLittle32(records, static_cast<uint32_t>(data.size()));
            AppendLittle32(records, static_cast<uint32_t>(package.size()));
            data += package;
        }
        const std::string stored = "11\\" + Hex(bucket, 2) + ".dat";
        if (!WriteWholeFile(folder + "/" + platform::NativePath(stored), data)) {
            return false;
        }
        dif.Add(bucket, records);
        if (!serviceFolder.empty()) {
            if (!WriteWholeFile(serviceFolder + "/" + platform::NativePath(stored), data)) {
                return false;
            }
            catalogue += CatalogueLine(bucket, data) + "\r\n";
        }
    }
    if (!serviceFolder.empty() && !WriteWholeFile(serviceFolder + "/packages.lst", catalogue)) {
        return false;
    }
    return dif.Save(folder + "/voc.dif");
}

} // namespace tools
