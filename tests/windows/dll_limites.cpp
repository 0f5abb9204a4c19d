// A SAT library at the helper's limits: while the file named by the environment
// variable DLL_LIMITES_TRAVA exists its loading does not end (a minute at most);
// ConsultarSAT answers a text longer than a frame may carry; ConsultarStatusOperacional
// answers normally.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <cstddef>
#include <cstring>
#include <windows.h>

namespace {

// A text of `tamanho` letters and its NUL that costs two megabytes of memory, not
// `tamanho` bytes: one megabyte of letters is mapped over and over, and the last
// megabyte ends in the NUL. Nullptr when the system refuses.
const char* textoSemMemoria(std::size_t tamanho) {
    constexpr std::size_t pedaco = std::size_t{1} << 20; // a multiple of the 64 KB granularity
    const std::size_t pedacos = (tamanho + 1 + pedaco - 1) / pedaco;
    HANDLE letras = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, pedaco, nullptr);
    HANDLE fim = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, pedaco, nullptr);
    if (letras == nullptr || fim == nullptr)
        return nullptr;
    void* escrita = MapViewOfFile(letras, FILE_MAP_WRITE, 0, 0, pedaco);
    auto* ultimo = static_cast<char*>(MapViewOfFile(fim, FILE_MAP_WRITE, 0, 0, pedaco));
    if (escrita == nullptr || ultimo == nullptr)
        return nullptr;
    std::memset(escrita, 'x', pedaco);
    const std::size_t resto = tamanho - (pedacos - 1) * pedaco;
    std::memset(ultimo, 'x', resto);
    ultimo[resto] = '\0';
    // A free stretch of addresses is found, let go, and filled with views; another
    // thread may take part of it meanwhile, so it is tried again.
    for (int tentativa = 0; tentativa < 8; ++tentativa) {
        auto* base = static_cast<char*>(VirtualAlloc(nullptr, pedacos * pedaco, MEM_RESERVE, PAGE_NOACCESS));
        if (base == nullptr)
            return nullptr;
        VirtualFree(base, 0, MEM_RELEASE);
        std::size_t i = 0;
        for (; i < pedacos; ++i)
            if (MapViewOfFileEx(i + 1 < pedacos ? letras : fim, FILE_MAP_READ, 0, 0, pedaco,
                                base + i * pedaco) == nullptr)
                break;
        if (i == pedacos)
            return base;
        while (i > 0)
            UnmapViewOfFile(base + --i * pedaco);
    }
    return nullptr;
}

} // namespace

extern "C" __declspec(dllexport) const char* ConsultarSAT(int) {
    static const char* const alem = textoSemMemoria(std::size_t{512} * 1024 * 1024 + 16);
    return alem;
}

extern "C" __declspec(dllexport) const char* ConsultarStatusOperacional(int, const char*) {
    return "000001|10000|ok|||";
}

BOOL WINAPI DllMain(HINSTANCE, DWORD motivo, LPVOID) {
    if (motivo != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t trava[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"DLL_LIMITES_TRAVA", trava, MAX_PATH);
    for (int i = 0; n > 0 && n < MAX_PATH && i < 600 && GetFileAttributesW(trava) != INVALID_FILE_ATTRIBUTES;
         ++i)
        Sleep(100);
    return TRUE;
}
