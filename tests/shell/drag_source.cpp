// drag_source.cpp: a test program that drags files out of its window as a file manager does.
//
//   pelorin_drag_source LIST
//
// LIST is a UTF-8 file of Windows paths, one a line. The program shows a window titled
// "Pelorin drag source"; a press of the left mouse button on it starts an OLE drag of those
// paths as a file list (CF_HDROP) that allows copying, moving and linking. When the drag
// ends it prints "result <hex> effect <n>" and exits 0; without a press for a minute it
// exits 2.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test_data_object.h"
#include "platform/text.h"

namespace {

using pelorin::Text;

class DragSource final : public IDropSource {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropSource)) {
      *object = static_cast<IDropSource*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // Lives as long as the program: the counts need not be kept.
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return (keys & MK_LBUTTON) != 0 ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

std::vector<Text> dragged;

LRESULT CALLBACK SourceProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN: {
      pelorin::testing::TestDataObject* data =
          pelorin::testing::TestDataObject::Make(pelorin::testing::FileListBlock(dragged));
      DragSource source;
      DWORD effect = DROPEFFECT_NONE;
      const HRESULT result =
          DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
      data->Release();
      std::printf("result %08lx effect %lu\n", static_cast<unsigned long>(result),
                  static_cast<unsigned long>(effect));
      std::fflush(stdout);
      DestroyWindow(window);
      return 0;
    }
    case WM_TIMER:
      std::printf("no drag was started\n");
      std::fflush(stdout);
      PostQuitMessage(2);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::printf("usage: pelorin_drag_source LIST\n");
    return 1;
  }
  std::ifstream list{std::filesystem::path(argv[1])};
  for (std::string line; std::getline(list, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) dragged.push_back(pelorin::Utf8ToText(line));
  }
  if (dragged.empty()) {
    std::printf("no paths to drag\n");
    return 1;
  }

  OleInitialize(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = SourceProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = L"PelorinDragSource";
  RegisterClassExW(&windowClass);
  const HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Pelorin drag source",
                                      WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 100, 200, 150, nullptr,
                                      nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 1;
  SetTimer(window, 1, 60000, nullptr);

  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  OleUninitialize();
  return static_cast<int>(message.wParam);
}
