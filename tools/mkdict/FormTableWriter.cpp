#include "tools/mkdict/FormTableWriter.h"

#include "platform/Gbk.h"
#include "tools/mkdict/TextUtil.h"

#include <algorithm>

namespace tools {
namespace {

constexpr const char* kKindNames[FormTableWriter::KindCount] = {
    "复数", "过去式", "过去分词", "现在分词", "第三人称单数", "现在式", "比较级", "最高级"};

// Lower-case words of letters, hyphens and apostrophes, one blank between
// words ("gave up").
bool FormText(std::string_view text) {
    return !text.empty() && text.front() != ' ' && text.back() != ' ' &&
           text.find("  ") == std::string_view::npos &&
           std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || c == '-' || c == '\'' || c == ' ';
           });
}

// The forms of "be" that no rule reaches.
bool BeForm(const std::string& form, FormTableWriter::Kind& kind) {
    static const std::map<std::string, FormTableWriter::Kind> forms = {
        {"am", FormTableWriter::Present},
        {"are", FormTableWriter::Present},
        {"is", FormTableWriter::ThirdPerson},
        {"was", FormTableWriter::Past},
        {"were", FormTableWriter::Past},
        {"been", FormTableWriter::PastParticiple},
        {"being", FormTableWriter::PresentParticiple}};
    const auto it = forms.find(form);
    if (it == forms.end())
        return false;
    kind = it->second;
    return true;
}

} // namespace

FormTableWriter::FormTableWriter(const std::vector<Headword>& words) : words_(words) {
    for (size_t rank = 0; rank < words.size(); ++rank) {
        if (FormText(words[rank].Key))
            rankOf_.emplace(words[rank].Key, rank);
    }
    for (size_t rank = 0; rank < words.size(); ++rank) {
        const InflectedForms& forms = words[rank].Forms;
        if (!rankOf_.contains(words[rank].Key))
            continue;
        Add(forms.Plural, rank, Plural);
        Add(forms.Past, rank, Past);
        Add(forms.PastParticiple, rank, PastParticiple);
        Add(forms.PresentParticiple, rank, PresentParticiple);
        Add(forms.ThirdPerson, rank, ThirdPerson);
        Add(forms.Comparative, rank, Comparative);
        Add(forms.Superlative, rank, Superlative);
    }
}

void FormTableWriter::Add(const std::string& form, size_t base, Kind kind) {
    if (!FormText(form) || form == words_[base].Key)
        return;
    forms_[form][base] |= 1u << kind;
}

void FormTableWriter::AddExceptions(const WordNetReader& wordNet, const Inflections& inflections) {
    for (char pos : {'n', 'v', 'a', 'r'}) {
        for (const auto& [form, baseKey] : wordNet.Exceptions(pos)) {
            const auto base = rankOf_.find(baseKey);
            if (base == rankOf_.end() || !FormText(form))
                continue;
            if (pos == 'n') {
                Add(form, base->second, Plural);
            } else if (pos == 'a' || pos == 'r') {
                Add(form, base->second, EndsWith(form, "st") ? Superlative : Comparative);
            } else if (Kind kind; baseKey == "be" && BeForm(form, kind)) {
                Add(form, base->second, kind);
            } else {
                const InflectedForms known = inflections.Forms(baseKey, {'v'}, 0);
                unsigned kinds = (form == known.Past ? 1u << Past : 0) |
                                 (form == known.PastParticiple ? 1u << PastParticiple : 0) |
                                 (form == known.PresentParticiple ? 1u << PresentParticiple : 0) |
                                 (form == known.ThirdPerson ? 1u << ThirdPerson : 0);
                if (kinds == 0) {
                    kinds = EndsWith(form, "ing")  ? 1u << PresentParticiple
                            : EndsWith(form, "ed") ? (1u << Past | 1u << PastParticiple)
                                                   : 1u << Past;
                }
                for (unsigned k = 0; k < KindCount; ++k) {
                    if (kinds & (1u << k))
                        Add(form, base->second, static_cast<Kind>(k));
                }
            }
        }
    }
}

std::string FormTableWriter::Member() const {
    std::string text;
    for (const auto& [form, bases] : forms_) {
        for (const auto& [rank, kinds] : bases) {
            std::vector<std::string> names;
            for (unsigned k = 0; k < KindCount; ++k) {
                if (kinds & (1u << k))
                    names.push_back(kKindNames[k]);
            }
            text += form + "\t" + words_[rank].Name + "\t" + Join(names, "、") + "\r\n";
        }
    }
    return platform::Utf8ToGbk(text);
}

} // namespace tools
