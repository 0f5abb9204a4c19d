// The device log: dated lines "DD/MM/AAAA hh:mm:ss.zzz|SAT|info|..." and the
// SuperLog section that sums up the device.
#ifndef SATEMU_LOG_H
#define SATEMU_LOG_H

#include "platform.h"
#include "state.h"

#include <string>

namespace satemu {

// Markers of a SuperLog section, after the date and time of the line.
inline constexpr const char* kSuperLogStart = "SAT|info|==================== SuperLog =====================";
inline constexpr const char* kSuperLogEnd = "SAT|info|===================================================";

std::string logDateTime(const platform::LocalTime& t); // DD/MM/AAAA hh:mm:ss.zzz
std::string timestamp14(const platform::LocalTime& t); // AAAAMMDDhhmmss
void logInfo(DeviceState& s, const platform::LocalTime& t, const std::string& text);
void appendSuperLog(DeviceState& s, const platform::LocalTime& t);
// The whole log as one text, one line per line feed.
std::string logText(const DeviceState& s);
// The log preceded by filler lines up to `megabytes` (a fault for showing how a
// program copes with a huge log).
std::string padLog(const std::string& log, long long megabytes, const platform::LocalTime& t);

} // namespace satemu

#endif
