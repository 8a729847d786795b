// run_process_win32.cpp: running pelorin-convert.exe with CreateProcessW, on Windows or Wine.
#include <windows.h>

#include "run_process.h"

namespace pelorin {

namespace {

// The build tree's path of the exe. Under Wine the tree has a Unix path, which Wine shows as
// drive Z:.
std::wstring ExePath() {
  Text path = Utf8ToText(PELORIN_CONVERT_EXE);
  if (!path.empty() && path[0] == u'/') path = u"Z:" + path;
  for (char16_t& c : path)
    if (c == u'/') c = u'\\';
  return std::wstring(path.begin(), path.end());
}

// One argument as the C runtime's wmain splits it back: quoted, with backslashes doubled
// only where a quote follows them.
void AppendArgument(std::wstring& line, const Text& argument) {
  line += L" \"";
  std::size_t backslashes = 0;
  for (const char16_t c : argument) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == u'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    line += static_cast<wchar_t>(c);
    backslashes = 0;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

HANDLE InheritableFile(const std::filesystem::path& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ProcessResult RunConverterExe(const std::vector<Text>& arguments, const ScratchFolder& folder,
                              bool) {
  const std::wstring exe = ExePath();
  std::wstring line = L"\"" + exe + L"\"";
  for (const Text& argument : arguments) AppendArgument(line, argument);

  const auto outputPath = folder.root / "stdout.txt";
  const auto errorPath = folder.root / "stderr.txt";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = InheritableFile(L"NUL", GENERIC_READ, OPEN_EXISTING);
  startup.hStdOutput = InheritableFile(outputPath, GENERIC_WRITE, CREATE_ALWAYS);
  startup.hStdError = InheritableFile(errorPath, GENERIC_WRITE, CREATE_ALWAYS);

  ProcessResult result;
  PROCESS_INFORMATION process{};
  // No CREATE_NO_WINDOW: with it, Wine 8 lets the child write to a console of its own
  // instead of the handles given here.
  if (CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                     &startup, &process)) {
    // A converter that hangs fails the test rather than the whole run.
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0)
      TerminateProcess(process.hProcess, 999);
    DWORD exitCode = 0;
    result.started = GetExitCodeProcess(process.hProcess, &exitCode) != 0;
    result.exitCode = static_cast<int>(exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  result.output = ReadText(PathText(outputPath));
  result.error = ReadText(PathText(errorPath));
  return result;
}

}  // namespace pelorin
