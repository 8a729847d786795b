// main.cpp: the program's entry point.
#include <windows.h>

#include <memory>

#include "program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  auto shell = std::make_unique<pelorin::ShellState>();
  const wchar_t* commandLine = GetCommandLineW();
  if (pelorin::StartShell(
          *shell, instance,
          commandLine != nullptr ? reinterpret_cast<const char16_t*>(commandLine) : u"")) {
    while (pelorin::RunEventLoopTurn(*shell)) {
    }
  }
  pelorin::EndShell(*shell);
  ExitProcess(0);
}
