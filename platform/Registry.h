#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>

namespace platform {

// The registry store: typed values under keys of two roots, kept in one file
// (RegistryFile()). Key paths ("SoftWare\Marvane\Param") and value names are
// matched ignoring ASCII letter case and stored with the spelling of their
// first write. The empty value name is the key's default value.
//
// Readers see either the old or the new file, never a half-written one:
// writers hold an exclusive flock on RegistryFile() + ".lock", read the file,
// change it, write a temporary file beside it, fsync it and rename it over the
// old one. Two processes (or threads) writing at once therefore never lose
// each other's values. Lines of the file that cannot be read are ignored and
// dropped at the next write.
//
// File format (bytes; lines end with LF):
//   file       = header *line
//   header     = "QUENDIC-REGISTRY 1" LF
//   line       = key-line / value-line            ; anything else is ignored
//   key-line   = "K" TAB root TAB key LF           ; a key that exists, maybe empty
//   value-line = "V" TAB root TAB key TAB name TAB type TAB data LF
//   root       = "HKCU" / "HKCR"
//   type       = "1" / "2" / "3" / "4"   ; string, expandable string, 32-bit number, binary
//   data       = escaped                 ; types 1 and 2
//              / 1*10DIGIT               ; type 3, decimal 0..4294967295
//              / *(2HEXDIG)              ; type 4, upper-case hex of the bytes
//   key, name  = escaped
//   escaped    = *(byte other than TAB, LF, CR and "\" / "\\" / "\t" / "\n" / "\r" / "\x" 2HEXDIG)

enum class RegRoot { CurrentUser, ClassesRoot };

// The value type codes of RegWriteValue. Any other code writes nothing.
enum RegType : int { RegString = 1, RegExpandString = 2, RegNumber = 3, RegBinary = 4 };

// A value as callers hand it over and get it back: text or a 32-bit number.
using RegValue = std::variant<std::string, uint32_t>;

// The store's file: CurrentEnvironment().RegistryFile.
std::string RegistryFile();

// Reads a value of any type: strings give their text, a number its number, a
// binary value of exactly 4 bytes the little-endian number it holds and any
// other binary value its bytes as text. False when the key or value is absent.
bool RegReadValue(RegRoot root, std::string_view key, std::string_view name, RegValue& value);

// Writes a value. The key must exist unless `create` is set, which creates it.
// `setOnly` asks for set-value access only; the store grants the same either
// way. Type 1 and 2 store text (a number as its decimal text), 3 a number (a
// text must be a decimal number, else false), 4 bytes (a number as its 4
// little-endian bytes). Any other type writes nothing and succeeds. False when
// the key is missing (without `create`) or the store cannot be written.
bool RegWriteValue(RegRoot root, std::string_view key, std::string_view name, bool setOnly,
                   bool create, const RegValue& value, int type);

// Reads the value and, when it is missing or `usable` rejects it, stores
// make() as a value of `type` (1 to 4; the key is created when missing), all
// under the writers' lock: of several threads or processes that find the
// value missing at once, one makes it and the others read it. `value` gets
// what is stored afterwards. False (and `value` untouched) when the store
// cannot be written or make() gives a type-3 text that is no number.
bool RegEnsureValue(RegRoot root, std::string_view key, std::string_view name, int type,
                    const std::function<bool(const RegValue&)>& usable,
                    const std::function<RegValue()>& make, RegValue& value);

// True when the key exists and holds the value. Never creates anything.
bool RegValueExists(RegRoot root, std::string_view key, std::string_view name);

// Removes a value. False when the key or value is absent or the store cannot
// be written.
bool RegDeleteValue(RegRoot root, std::string_view key, std::string_view name);

// The program settings: string values under "SoftWare\Marvane\Param" of the
// current user. ReadParam gives "" when absent and a number as decimal text;
// WriteParam creates the key when missing.
std::string ReadParam(std::string_view name);
bool WriteParam(std::string_view name, std::string_view text);

} // namespace platform
