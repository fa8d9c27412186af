#include "platform/Registry.h"

#include "platform/ByteOrder.h"
#include "platform/Environment.h"
#include "platform/FileIO.h"
#include "platform/FileLock.h"
#include "platform/Text.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <mutex>
#include <unistd.h>
#include <unordered_map>
#include <utility>
#include <vector>

namespace platform {

namespace {

constexpr std::string_view kHeader = "QUENDIC-REGISTRY 1";
constexpr std::string_view kParamKey = "SoftWare\\Marvane\\Param";

// One value; `data` holds the bytes of types 1, 2 and 4 and the 4
// little-endian bytes of a type-3 number.
struct Value {
    std::string name;
    int type = RegString;
    std::string data;
};

// Key paths and value names are found by their upper-cased spelling, in
// constant time, so reading a file of n lines is linear in n.
struct Key {
    RegRoot root = RegRoot::CurrentUser;
    std::string path;
    std::vector<Value> values;                          // file order
    std::unordered_map<std::string, size_t> valueIndex; // upper-cased name -> values index

    const Value* FindValue(std::string_view name) const {
        auto it = valueIndex.find(UpperAscii(name));
        return it == valueIndex.end() ? nullptr : &values[it->second];
    }
    Value* FindValue(std::string_view name) {
        return const_cast<Value*>(std::as_const(*this).FindValue(name));
    }

    void SetValue(std::string_view name, int type, std::string data) {
        if (Value* existing = FindValue(name)) {
            existing->type = type;
            existing->data = std::move(data);
            return;
        }
        valueIndex.emplace(UpperAscii(name), values.size());
        values.push_back(Value{std::string(name), type, std::move(data)});
    }

    bool DeleteValue(std::string_view name) {
        auto it = valueIndex.find(UpperAscii(name));
        if (it == valueIndex.end())
            return false;
        values.erase(values.begin() + static_cast<std::ptrdiff_t>(it->second));
        valueIndex.clear();
        for (size_t i = 0; i < values.size(); ++i)
            valueIndex.emplace(UpperAscii(values[i].name), i);
        return true;
    }
};

struct Store {
    std::vector<Key> keys;                            // file order
    std::unordered_map<std::string, size_t> keyIndex; // IndexName() -> keys index

    static std::string IndexName(RegRoot root, std::string_view path) {
        return (root == RegRoot::ClassesRoot ? "R" : "U") + UpperAscii(path);
    }

    const Key* Find(RegRoot root, std::string_view path) const {
        auto it = keyIndex.find(IndexName(root, path));
        return it == keyIndex.end() ? nullptr : &keys[it->second];
    }
    Key* Find(RegRoot root, std::string_view path) {
        return const_cast<Key*>(std::as_const(*this).Find(root, path));
    }

    // A key exists when it was created, or when one below it was.
    bool Exists(RegRoot root, std::string_view path) {
        if (path.empty() || Find(root, path))
            return true;
        for (const Key& key : keys)
            if (key.root == root && key.path.size() > path.size() &&
                key.path[path.size()] == '\\' &&
                EqualIgnoringAsciiCase(std::string_view(key.path).substr(0, path.size()), path))
                return true;
        return false;
    }

    Key& Create(RegRoot root, std::string_view path) {
        if (Key* key = Find(root, path))
            return *key;
        keyIndex.emplace(IndexName(root, path), keys.size());
        keys.push_back(Key{root, std::string(path), {}, {}});
        return keys.back();
    }
};

const Value* FindStored(const Store& store, RegRoot root, std::string_view key,
                        std::string_view name) {
    const Key* found = store.Find(root, key);
    return found ? found->FindValue(name) : nullptr;
}

const char* RootName(RegRoot root) {
    return root == RegRoot::ClassesRoot ? "HKCR" : "HKCU";
}

bool ParseRoot(std::string_view text, RegRoot& root) {
    if (text == "HKCU")
        root = RegRoot::CurrentUser;
    else if (text == "HKCR")
        root = RegRoot::ClassesRoot;
    else
        return false;
    return true;
}

const char kHex[] = "0123456789ABCDEF";

void Escape(std::string_view text, std::string& out) {
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (u < 0x20 || u == 0x7F) {
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else
            out += c;
    }
}

bool Unescape(std::string_view text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= text.size())
            return false;
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 'x': {
            if (i + 2 >= text.size())
                return false;
            int high = HexDigitValue(text[i + 1]);
            int low = HexDigitValue(text[i + 2]);
            if (high < 0 || low < 0)
                return false;
            out += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

std::string NumberBytes(uint32_t number) {
    std::string bytes;
    AppendLe32(bytes, number);
    return bytes;
}

// Number values always hold 4 bytes (ParseData and the writers make sure).
uint32_t BytesNumber(std::string_view bytes) {
    return bytes.size() >= 4 ? ReadLe32(bytes, 0) : 0;
}

bool ParseData(int type, std::string_view text, std::string& data) {
    switch (type) {
    case RegString:
    case RegExpandString:
        return Unescape(text, data);
    case RegNumber: {
        uint32_t number = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error != std::errc() || end != text.data() + text.size())
            return false;
        data = NumberBytes(number);
        return true;
    }
    case RegBinary: {
        if (text.size() % 2 != 0)
            return false;
        data.clear();
        for (size_t i = 0; i < text.size(); i += 2) {
            int high = HexDigitValue(text[i]);
            int low = HexDigitValue(text[i + 1]);
            if (high < 0 || low < 0)
                return false;
            data += static_cast<char>(high * 16 + low);
        }
        return true;
    }
    default:
        return false;
    }
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t from = 0;
    while (true) {
        size_t tab = line.find('\t', from);
        if (tab == std::string_view::npos) {
            fields.push_back(line.substr(from));
            return fields;
        }
        fields.push_back(line.substr(from, tab - from));
        from = tab + 1;
    }
}

// Reads one line into the store; false (and nothing added) when it is not a
// well-formed key or value line.
bool ParseLine(std::string_view line, Store& store) {
    auto fields = SplitTabs(line);
    RegRoot root;
    std::string path;
    if (fields.size() < 3 || !ParseRoot(fields[1], root) || !Unescape(fields[2], path))
        return false;
    if (fields[0] == "K" && fields.size() == 3) {
        store.Create(root, path);
        return true;
    }
    if (fields[0] != "V" || fields.size() != 6 || fields[4].size() != 1)
        return false;
    std::string name, data;
    int type = fields[4][0] - '0';
    if (!Unescape(fields[3], name) || !ParseData(type, fields[5], data))
        return false;
    store.Create(root, path).SetValue(name, type, std::move(data));
    return true;
}

Store Parse(std::string_view text) {
    Store store;
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(from, end - from);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line != kHeader)
            ParseLine(line, store);
        from = end + 1;
    }
    return store;
}

std::string Serialize(const Store& store) {
    std::string out(kHeader);
    out += '\n';
    for (const Key& key : store.keys) {
        std::string prefix = RootName(key.root);
        prefix += '\t';
        Escape(key.path, prefix);
        if (key.values.empty()) {
            out += "K\t" + prefix + '\n';
            continue;
        }
        for (const Value& value : key.values) {
            out += "V\t" + prefix + '\t';
            Escape(value.name, out);
            out += '\t';
            out += static_cast<char>('0' + value.type);
            out += '\t';
            if (value.type == RegNumber) {
                out += std::to_string(BytesNumber(value.data));
            } else if (value.type == RegBinary) {
                for (char c : value.data) {
                    unsigned char u = static_cast<unsigned char>(c);
                    out += kHex[u >> 4];
                    out += kHex[u & 15];
                }
            } else {
                Escape(value.data, out);
            }
            out += '\n';
        }
    }
    return out;
}

// The last store read, kept with the text it was parsed from: reading a value
// parses the file only when its text changed since.
std::mutex g_loadMutex;
std::string g_loadedText;                   // guarded by g_loadMutex
std::shared_ptr<const Store> g_loadedStore; // guarded by g_loadMutex

std::shared_ptr<const Store> Load() {
    std::string text = ReadWholeFile(RegistryFile()).value_or(std::string());
    std::lock_guard lock(g_loadMutex);
    if (!g_loadedStore || text != g_loadedText) {
        g_loadedStore = std::make_shared<const Store>(Parse(text));
        g_loadedText = std::move(text);
    }
    return g_loadedStore;
}

// The writers' lock, taken after making the folder that holds the store.
FileLock LockStore(const std::string& registry) {
    std::error_code error;
    auto folder = std::filesystem::path(registry).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, error);
    return FileLock(registry);
}

// Runs `change` on the current store under the writers' lock and writes the
// store back when `change` reports a modification. `change` returns false for
// failure, true for success; it sets `modified` when the store must be saved.
template <class Change> bool Modify(Change change) {
    std::string path = RegistryFile();
    const FileLock lock = LockStore(path);
    if (!lock.Held())
        return false;
    RemoveStrayTemporaries(path);
    std::optional<std::string> text = ReadWholeFile(path);
    if (!text && errno != ENOENT)
        return false;
    Store store = Parse(text.value_or(std::string()));
    bool modified = false;
    if (!change(store, modified))
        return false;
    return !modified || WriteFileAtomically(path, Serialize(store));
}

bool ParseNumberText(std::string_view text, uint32_t& number) {
    int64_t wide = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), wide);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        wide < INT32_MIN || wide > static_cast<int64_t>(UINT32_MAX))
        return false;
    number = static_cast<uint32_t>(wide);
    return true;
}

// The stored bytes of `value` as a value of `type` (1 to 4); false for a
// type-3 text that is no decimal number.
bool EncodeData(const RegValue& value, int type, std::string& data) {
    switch (type) {
    case RegString:
    case RegExpandString:
        if (const auto* number = std::get_if<uint32_t>(&value))
            data = std::to_string(*number);
        else
            data = std::get<std::string>(value);
        return true;
    case RegNumber: {
        uint32_t number = 0;
        if (const auto* given = std::get_if<uint32_t>(&value))
            number = *given;
        else if (!ParseNumberText(std::get<std::string>(value), number))
            return false;
        data = NumberBytes(number);
        return true;
    }
    default: // RegBinary
        if (const auto* number = std::get_if<uint32_t>(&value))
            data = NumberBytes(*number);
        else
            data = std::get<std::string>(value);
        return true;
    }
}

RegValue DecodeData(const Value& stored) {
    if (stored.type == RegNumber || (stored.type == RegBinary && stored.data.size() == 4))
        return BytesNumber(stored.data);
    return stored.data;
}

} // namespace

std::string RegistryFile() {
    return CurrentEnvironment().RegistryFile;
}

bool RegReadValue(RegRoot root, std::string_view key, std::string_view name, RegValue& value) {
    const Value* stored = FindStored(*Load(), root, key, name);
    if (!stored)
        return false;
    value = DecodeData(*stored);
    return true;
}

bool RegWriteValue(RegRoot root, std::string_view key, std::string_view name, bool /*setOnly*/,
                   bool create, const RegValue& value, int type) {
    return Modify([&](Store& store, bool& modified) {
        if (!create && !store.Exists(root, key))
            return false;
        if (type < RegString || type > RegBinary) {
            // The key is still opened (and created) as the caller asked.
            if (create && !store.Find(root, key)) {
                store.Create(root, key);
                modified = true;
            }
            return true;
        }
        std::string data;
        if (!EncodeData(value, type, data))
            return false;
        store.Create(root, key).SetValue(name, type, std::move(data));
        modified = true;
        return true;
    });
}

bool RegEnsureValue(RegRoot root, std::string_view key, std::string_view name, int type,
                    const std::function<bool(const RegValue&)>& usable,
                    const std::function<RegValue()>& make, RegValue& value) {
    if (type < RegString || type > RegBinary)
        return false;
    RegValue result;
    const bool ok = Modify([&](Store& store, bool& modified) {
        if (const Value* stored = FindStored(store, root, key, name)) {
            result = DecodeData(*stored);
            if (usable(result))
                return true;
        }
        result = make();
        std::string data;
        if (!EncodeData(result, type, data))
            return false;
        store.Create(root, key).SetValue(name, type, data);
        result = DecodeData(Value{std::string(name), type, std::move(data)});
        modified = true;
        return true;
    });
    if (ok)
        value = std::move(result);
    return ok;
}

bool RegValueExists(RegRoot root, std::string_view key, std::string_view name) {
    return FindStored(*Load(), root, key, name) != nullptr;
}

bool RegDeleteValue(RegRoot root, std::string_view key, std::string_view name) {
    return Modify([&](Store& store, bool& modified) {
        Key* found = store.Find(root, key);
        if (!found || !found->DeleteValue(name))
            return false;
        modified = true;
        return true;
    });
}

std::string ReadParam(std::string_view name) {
    RegValue value;
    if (!RegReadValue(RegRoot::CurrentUser, kParamKey, name, value))
        return {};
    if (const auto* number = std::get_if<uint32_t>(&value))
        return std::to_string(*number);
    return std::get<std::string>(value);
}

bool WriteParam(std::string_view name, std::string_view text) {
    return RegWriteValue(RegRoot::CurrentUser, kParamKey, name, false, true,
                         RegValue(std::string(text)), RegString);
}

} // namespace platform
