// The smallest DLL worth loading: one export, so that the file is a real library.
// Built several times, each with its own version resource (or none).
extern "C" __declspec(dllexport) int dllMinima() {
    return 1;
}
