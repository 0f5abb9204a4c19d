// What differs between operating systems, kept in one place: where the
// library file lives, the local clock, the process id and the atomic
// replacement of a file.
#ifndef SATEMU_PLATFORM_H
#define SATEMU_PLATFORM_H

#include <filesystem>
#include <optional>
#include <string>

namespace satemu::platform {

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

LocalTime now();
// Seconds since the epoch of a local date and time (for elapsed-time rules).
long long toEpochSeconds(const LocalTime& t);
// Folder that holds the loaded library file (empty if it cannot be told).
std::filesystem::path libraryDirectory();
// The path as UTF-8 text, as the device's answers carry it. path::string() would give
// the system's code page on Windows, where a folder such as "Área de Trabalho" or one
// with a character outside it would come out mangled or not at all.
std::string utf8Path(const std::filesystem::path& path);
// Value of an environment variable, if set and not empty.
std::optional<std::filesystem::path> environmentPath(const char* name);
unsigned long processId();
// Writes the bytes to a temporary file beside `target`, flushes it to disk and
// renames it over `target`. Returns false (and leaves `target` untouched) on failure.
bool replaceFileAtomically(const std::filesystem::path& target, const std::string& bytes);

} // namespace satemu::platform

#endif
