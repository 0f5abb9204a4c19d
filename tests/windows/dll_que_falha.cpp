// A SAT library whose ConsultarSAT crashes with an access violation, and whose
// ConsultarStatusOperacional answers normally: the helper must die, not the caller.
// Built for 32 bits with DLL_QUE_FALHA_STDCALL, its entry points are stdcall.
#if defined(DLL_QUE_FALHA_STDCALL)
#define CONVENCAO __stdcall
#else
#define CONVENCAO
#endif

extern "C" __declspec(dllexport) const char* CONVENCAO ConsultarSAT(int) {
    volatile int* nulo = nullptr;
    *nulo = 1;
    return "nunca";
}
extern "C" __declspec(dllexport) const char* CONVENCAO ConsultarStatusOperacional(int, const char*) {
    return "000001|10000|ok|||";
}
