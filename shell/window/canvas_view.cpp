// canvas_view.cpp: the canvas window, its buffer, its input events and its painter.
#include "window/canvas_view.h"

#include <windowsx.h>
#include <commctrl.h>

#include <cstring>
#include <memory>

#include "file_drop/file_drop.h"

namespace pelorin {

namespace {

constexpr wchar_t kCanvasClassName[] = L"PelorinCanvas";
ATOM canvasClass = 0;
HCURSOR arrowCursor = nullptr;

LRESULT CALLBACK CanvasProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

bool RegisterCanvasClass() {
  if (canvasClass != 0) return true;
  arrowCursor = LoadCursorW(nullptr, IDC_ARROW);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;  // double-clicks arrive as messages of their own
  windowClass.lpfnWndProc = CanvasProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kCanvasClassName;
  canvasClass = RegisterClassExW(&windowClass);
  return canvasClass != 0;
}

OwnedBitmap MakeCanvasBuffer(std::int32_t width, std::int32_t height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width < 1 ? 1 : width;
  info.bmiHeader.biHeight = height < 1 ? 1 : height;  // positive: rows stored bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  OwnedBitmap buffer(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!buffer || pixels == nullptr) return OwnedBitmap{};
  const std::int32_t stride = (info.bmiHeader.biWidth * 3 + 3) / 4 * 4;
  std::memset(pixels, 0xFF, static_cast<std::size_t>(stride) * info.bmiHeader.biHeight);
  return buffer;
}

// Copies the whole buffer to the window's top left at the buffer's own size; without a
// buffer the window shows white. Without a device context, the window's own is used.
void ShowCanvasBuffer(const CanvasView& view, HDC dc) {
  if (dc == nullptr) {
    WindowDC own(view.window);
    if (own.Get() != nullptr) ShowCanvasBuffer(view, own.Get());
    return;
  }
  if (view.buffer && view.zoom > 1) {
    BITMAP bitmap{};
    GetObjectW(view.buffer.Get(), sizeof bitmap, &bitmap);
    OwnedMemoryDC source(CreateCompatibleDC(dc));
    if (!source) return;
    // Fails while a painting holds the buffer: nothing half-painted is shown.
    const HGDIOBJ displaced = SelectObject(source.Get(), view.buffer.Get());
    if (displaced == nullptr) return;
    // Whole pixels repeated, never blended: each Spectrum pixel stays one sharp square.
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, bitmap.bmWidth * view.zoom, bitmap.bmHeight * view.zoom, source.Get(), 0,
               0, bitmap.bmWidth, bitmap.bmHeight, SRCCOPY);
    SelectObject(source.Get(), displaced);
  } else if (view.buffer) {
    DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(view.buffer.Get()), 0, 0, 0, 0, 0,
               DST_BITMAP);
  } else {
    RECT client{};
    GetClientRect(view.window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
}

void QueueCanvasEvent(const CanvasView& view, std::int32_t detail, const PointerInput& input) {
  if (view.queue != nullptr)
    QueueEvent(*view.queue, EventKind::Control, view.number, kMainWindowNumber, detail, input);
}

constexpr WPARAM kButtonFlags = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2;

PointerInput PointerAt(LPARAM position, WPARAM flags) {
  return PointerInput{GET_X_LPARAM(position), GET_Y_LPARAM(position),
                      static_cast<std::uint32_t>(flags & kButtonFlags),
                      static_cast<std::uint32_t>(flags & (MK_SHIFT | MK_CONTROL)), 0};
}

// Mouse, wheel and key input becomes Control events; false for any other message.
bool QueueCanvasInput(CanvasView& view, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
      if (!view.pointerInside) {
        view.pointerInside = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, view.window, 0};
        _TrackMouseEvent(&track);
        QueueCanvasEvent(view, kPointerEnter, PointerAt(lParam, wParam));
      } else {
        QueueCanvasEvent(view, kPointerMove, PointerAt(lParam, wParam));
      }
      return true;
    case WM_MOUSELEAVE:
      view.pointerInside = false;
      QueueCanvasEvent(view, kPointerLeave, PointerInput{});
      return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
      SetCapture(view.window);  // the release arrives here even off the canvas
      QueueCanvasEvent(view, kButtonDown, PointerAt(lParam, GET_KEYSTATE_WPARAM(wParam)));
      return true;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDBLCLK:
      SetCapture(view.window);
      QueueCanvasEvent(view, kDoubleClick, PointerAt(lParam, GET_KEYSTATE_WPARAM(wParam)));
      return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP:
      if ((GET_KEYSTATE_WPARAM(wParam) & kButtonFlags) == 0 && GetCapture() == view.window)
        ReleaseCapture();
      QueueCanvasEvent(view, kButtonUp, PointerAt(lParam, GET_KEYSTATE_WPARAM(wParam)));
      return true;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
      POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};  // screen coordinates
      ScreenToClient(view.window, &point);
      PointerInput input = PointerAt(MAKELPARAM(point.x, point.y), GET_KEYSTATE_WPARAM(wParam));
      input.wheel = GET_WHEEL_DELTA_WPARAM(wParam);
      QueueCanvasEvent(view, message == WM_MOUSEWHEEL ? kWheel : kHorizontalWheel, input);
      return true;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR: {
      PointerInput input;
      input.keys = static_cast<std::uint32_t>(wParam);
      QueueCanvasEvent(view,
                       message == WM_KEYDOWN ? kKeyDown
                       : message == WM_KEYUP ? kKeyUp
                                             : kCharacter,
                       input);
      return true;
    }
    default:
      return false;
  }
}

LRESULT CALLBACK CanvasProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CanvasView* view = CanvasViewOf(window);
  if (view == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      const HDC dc = BeginPaint(window, &paint);
      if (dc != nullptr) ShowCanvasBuffer(*view, dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND:  // the background is the picture itself, never another colour
      ShowCanvasBuffer(*view, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_PRINT:
    case WM_PRINTCLIENT:
      ShowCanvasBuffer(*view, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SETCURSOR:
      SetCursor(view->cursor);
      return TRUE;
    case WM_ENABLE:
      ShowCanvasBuffer(*view, nullptr);
      if (!wParam && GetCapture() == window) ReleaseCapture();
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      QueueCanvasEvent(*view, message == WM_SETFOCUS ? kFocusGained : kFocusLost, PointerInput{});
      RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
      return 0;
    case WM_DESTROY:  // a registration never revoked would keep the drop target alive
      RevokeFileDrop(window);
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_NCDESTROY: {
      const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      delete view;  // with its buffer, and a painting's device context left open
      return result;
    }
    default:
      if (QueueCanvasInput(*view, message, wParam, lParam)) return 0;
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

bool BeginCanvasPainting(CanvasPainter& painter) {
  CanvasView* view = CanvasViewOf(static_cast<HWND>(painter.canvas));
  if (view == nullptr || !view->buffer) return false;
  DIBSECTION dib{};
  if (GetObjectW(view->buffer.Get(), sizeof dib, &dib) != sizeof dib ||
      dib.dsBm.bmBits == nullptr || dib.dsBm.bmBitsPixel != 24)
    return false;
  if (!view->paintingDC) {  // a painting that was never ended goes on in the same context
    OwnedMemoryDC dc(CreateCompatibleDC(nullptr));
    if (!dc) return false;
    view->displacedBitmap = SelectObject(dc.Get(), view->buffer.Get());
    view->paintingDC = std::move(dc);
  }
  GdiFlush();  // nothing the platform still has queued may land on the pixels later
  // The buffer's own layout bounds the fills, so no fill can reach past its memory.
  CanvasPainting& painting = painter.painting;
  painting.pixels = static_cast<std::uint8_t*>(dib.dsBm.bmBits);
  painting.stride = dib.dsBm.bmWidthBytes;
  painting.width = dib.dsBm.bmWidth;
  painting.height = dib.dsBm.bmHeight;
  painting.bottomUp = dib.dsBmih.biHeight > 0;
  return true;
}

void EndCanvasPainting(CanvasPainter& painter) {
  CanvasView* view = CanvasViewOf(static_cast<HWND>(painter.canvas));
  if (view == nullptr || !view->paintingDC) return;
  SelectObject(view->paintingDC.Get(), view->displacedBitmap);
  view->paintingDC.Reset();
  ShowCanvasBuffer(*view, nullptr);  // on the screen when end returns, without WM_PAINT
}

}  // namespace

HWND CreateCanvasView(ControlRegistry& controls, std::int32_t number, std::int32_t x,
                      std::int32_t y, std::int32_t width, std::int32_t height) {
  if (!RegisterCanvasClass()) return nullptr;
  const HWND window =
      CreateWindowExW(0, kCanvasClassName, L"", WS_CHILD | WS_VISIBLE, x, y, width, height,
                      controls.parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) return nullptr;
  auto view = std::make_unique<CanvasView>();
  view->window = window;
  view->number = number;
  view->queue = controls.queue;
  view->cursor = arrowCursor;
  view->buffer = MakeCanvasBuffer(width, height);
  const bool made = static_cast<bool>(view->buffer);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view.release()));
  if (!made || !RegisterControl(controls, window, number, ControlKind::Canvas, nullptr)) {
    DestroyWindow(window);  // frees the record with it
    return nullptr;
  }
  return window;
}

void SetCanvasZoom(HWND canvas, std::int32_t zoom) {
  CanvasView* view = CanvasViewOf(canvas);
  if (view == nullptr || zoom < 1) return;
  view->zoom = zoom;
  BITMAP bitmap{};
  if (!view->buffer || GetObjectW(view->buffer.Get(), sizeof bitmap, &bitmap) == 0) return;
  SetWindowPos(canvas, nullptr, 0, 0, bitmap.bmWidth * zoom, bitmap.bmHeight * zoom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowCanvasBuffer(*view, nullptr);
}

std::int32_t CanvasZoom(HWND canvas) {
  const CanvasView* view = CanvasViewOf(canvas);
  return view != nullptr ? view->zoom : 1;
}

CanvasView* CanvasViewOf(HWND window) {
  if (window == nullptr || canvasClass == 0 ||
      GetClassLongPtrW(window, GCW_ATOM) != static_cast<ULONG_PTR>(canvasClass))
    return nullptr;
  return reinterpret_cast<CanvasView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

CanvasPainter CanvasViewPainter(HWND canvas) {
  CanvasPainter painter;
  painter.begin = BeginCanvasPainting;
  painter.end = EndCanvasPainting;
  painter.canvas = canvas;
  return painter;
}

}  // namespace pelorin
