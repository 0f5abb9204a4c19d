// Faults on demand, read from a configuration file beside the device state, so
// that a program's handling of slow, refusing or malformed answers can be shown.
#ifndef SATEMU_FAULTS_H
#define SATEMU_FAULTS_H

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace satemu {

inline constexpr const char* kFaultFileName = "satemu-faults.conf";

struct Faults {
    std::map<std::string, std::string> values; // key (possibly "key.EntryPoint") -> value
    std::vector<std::string> problems;         // lines that were ignored, and why

    // The value for an entry point: "key.EntryPoint" first, then "key".
    std::optional<std::string> get(const std::string& key, const std::string& entryPoint) const;
    // A whole number in [lo, hi], if the key holds one.
    std::optional<long long> number(const std::string& key, const std::string& entryPoint, long long lo,
                                    long long hi) const;
};

Faults loadFaults(const std::filesystem::path& file);

// Counters ("code_count", "malformed_count"): nullopt when the key is absent
// (no limit). consumeCount lowers the number in the file by one.
std::optional<long long> faultCount(const Faults& f, const std::string& key);
void consumeCount(const std::filesystem::path& file, const std::string& key);

enum class Malformation { None, Empty, NoSeparator, FewFields, BadUtf8, BadBase64 };
Malformation parseMalformation(const std::string& value);
// The answer text spoiled the chosen way. `messageField` and `base64Field`
// are the positions of the message and of the Base64 data (-1 when none).
std::string malform(const std::string& answer, Malformation m, int messageField, int base64Field);

} // namespace satemu

#endif
