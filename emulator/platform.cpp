#include "platform.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <system_error>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace satemu::platform {

LocalTime now() {
    const auto tp = std::chrono::system_clock::now();
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(tp.time_since_epoch()).count() % 1000;
    const std::time_t t = std::chrono::system_clock::to_time_t(tp);
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    LocalTime lt;
    lt.year = tm.tm_year + 1900;
    lt.month = tm.tm_mon + 1;
    lt.day = tm.tm_mday;
    lt.hour = tm.tm_hour;
    lt.minute = tm.tm_min;
    lt.second = tm.tm_sec;
    lt.millisecond = static_cast<int>(ms);
    return lt;
}

long long toEpochSeconds(const LocalTime& t) {
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    return static_cast<long long>(std::mktime(&tm));
}

namespace {
void anchor() {}
} // namespace

std::filesystem::path libraryDirectory() {
#if defined(_WIN32)
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&anchor)), &module))
        return {};
    wchar_t buffer[32768];
    const DWORD n = GetModuleFileNameW(module, buffer, 32768);
    if (n == 0 || n >= 32768)
        return {};
    return std::filesystem::path(std::wstring(buffer, n)).parent_path();
#else
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&anchor), &info) == 0 || info.dli_fname == nullptr)
        return {};
    std::error_code ec;
    auto path = std::filesystem::absolute(std::filesystem::path(info.dli_fname), ec);
    return ec ? std::filesystem::path(info.dli_fname).parent_path() : path.parent_path();
#endif
}

std::string utf8Path(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::optional<std::filesystem::path> environmentPath(const char* name) {
#if defined(_WIN32)
    std::wstring wname(name, name + std::char_traits<char>::length(name));
    const DWORD n = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
    if (n <= 1)
        return std::nullopt;
    std::wstring value(n, L'\0');
    const DWORD got = GetEnvironmentVariableW(wname.c_str(), value.data(), n);
    if (got == 0 || got >= n)
        return std::nullopt;
    value.resize(got);
    return std::filesystem::path(value);
#else
    const char* v = std::getenv(name);
    if (v == nullptr || *v == '\0')
        return std::nullopt;
    return std::filesystem::path(v);
#endif
}

unsigned long processId() {
#if defined(_WIN32)
    return static_cast<unsigned long>(GetCurrentProcessId());
#else
    return static_cast<unsigned long>(getpid());
#endif
}

bool replaceFileAtomically(const std::filesystem::path& target, const std::string& bytes) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path temp = target;
    temp += ".tmp" + std::to_string(processId()) + "-" + std::to_string(counter++);
#if defined(_WIN32)
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ec;
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        std::error_code ec;
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
#else
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::size_t written = 0;
    bool ok = true;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n <= 0) {
            ok = false;
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && std::rename(temp.c_str(), target.c_str()) == 0)
        return true;
    ::unlink(temp.c_str());
    return false;
#endif
}

} // namespace satemu::platform
