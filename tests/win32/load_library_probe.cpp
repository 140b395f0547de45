// The planted-DLL test's positive control: loads a DLL by its bare name with the default
// search order (the program's folder first), as a program without the restriction would.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
    return LoadLibraryA(command_line) != nullptr ? 0 : 1;
}
