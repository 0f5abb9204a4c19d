// A check of the emulated device that needs no Qt, for builds of the device
// alone (SATCONSOLE_BUILD_CONSOLE off): the factory consult, an activation, the
// status report and a refusal, through the C entry points.
#include "satemu.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace {

int passed = 0;
int failed = 0;

void check(bool ok, const char* what, const std::string& answer) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        std::printf("FAIL: %s (answer: %.200s)\n", what, answer.c_str());
    }
}

bool startsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

int main() {
    namespace fs = std::filesystem;
    const fs::path home =
        fs::temp_directory_path() / ("satemu-smoke-" + std::to_string(std::random_device{}()));
    fs::create_directories(home);
#if defined(_WIN32)
    _putenv_s("SATEMU_HOME", home.string().c_str());
#else
    setenv("SATEMU_HOME", home.c_str(), 1);
#endif
    std::string a = ConsultarSAT(1);
    check(startsWith(a, "000001|08000|"), "factory consult", a);
    a = ConsultarStatusOperacional(2, "12345678");
    check(startsWith(a, "000002|10002|"), "status refused before activation", a);
    a = AtivarSAT(3, 1, "12345678", "11222333000181", 35);
    check(startsWith(a, "000003|04000|"), "activation", a);
    a = ConsultarStatusOperacional(4, "12345678");
    check(startsWith(a, "000004|10000|") && a.find("|900004019|DHCP|") != std::string::npos, "status report",
          a);
    a = ConsultarStatusOperacional(5, nullptr);
    check(startsWith(a, "000005|10001|"), "null activation code refused", a);
    check(fs::exists(home / "satemu-state.txt"), "state file written", "");
    std::error_code ec;
    fs::remove_all(home, ec);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
