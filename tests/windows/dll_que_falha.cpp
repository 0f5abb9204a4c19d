// A SAT library whose ConsultarSAT crashes with an access violation, and whose
// ConsultarStatusOperacional answers normally: the helper must die, not the caller.
extern "C" __declspec(dllexport) const char* ConsultarSAT(int) {
    volatile int* nulo = nullptr;
    *nulo = 1;
    return "nunca";
}
extern "C" __declspec(dllexport) const char* ConsultarStatusOperacional(int, const char*) {
    return "000001|10000|ok|||";
}
