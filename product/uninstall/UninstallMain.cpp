// Stands in for the Korvello uninstaller that the setup installs as Uninstall.exe and registers
// in the uninstall entry; it only says what it is and ends with exit code 0.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  MessageBoxA(nullptr, "这是 Korvello 卸载程序的占位程序，它不会删除任何文件。",
              "Korvello 卸载程序", MB_OK | MB_ICONINFORMATION);
  return 0;
}
