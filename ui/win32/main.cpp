#include <windows.h>

// The window comes with ui/win32's Form1; until then sv.exe starts and ends.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
