// file_drop.cpp: the canvas's drop target, its registration, and the dropped file list.
#include "file_drop/file_drop.h"

#include <shlobj.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "win32_handles.h"

namespace pelorin {

namespace {

const wchar_t kDropTargetProperty[] = L"PelorinDropTarget";
// The window that every event of this program belongs to: the main window.
constexpr std::int32_t kMainWindowNumber = 0;

FORMATETC RequestFor(CLIPFORMAT format) {
  return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

// A file list block is a DROPFILES header and, from the offset it gives, the names. An
// offset into the header or past the block would make the names come from bytes that are
// no names, so such a block is no file list.
bool HasFileListHeader(const std::uint8_t* block, std::size_t size) {
  if (size < sizeof(DROPFILES)) return false;
  DROPFILES header;
  std::memcpy(&header, block, sizeof header);
  return header.pFiles >= sizeof(DROPFILES) && header.pFiles < size;
}

// Whether the block's list holds at least one name and ends inside the block. Each name ends
// with a NUL and an empty name ends the list. Wine's DragQueryFileW counts names in a list
// that starts with its end, and reads on past a list that does not end, so both are
// recognised here before it is asked.
bool HoldsNames(const std::vector<std::uint8_t>& block) {
  if (!HasFileListHeader(block.data(), block.size())) return false;
  DROPFILES header;
  std::memcpy(&header, block.data(), sizeof header);
  const std::size_t unit = header.fWide ? 2 : 1;
  std::size_t nameLength = 0;
  for (std::size_t at = header.pFiles; at + unit <= block.size(); at += unit) {
    const bool nul = block[at] == 0 && (unit == 1 || block[at + 1] == 0);
    if (!nul) {
      ++nameLength;
    } else if (nameLength == 0) {
      return at > header.pFiles;
    } else {
      nameLength = 0;
    }
  }
  return false;
}

// Global memory released in one place.
using GlobalBlock = Owned<HGLOBAL, &GlobalFree>;

// The locked bytes of the medium's block, copied; false when it cannot be locked, is no
// file list, or the copy cannot be made.
bool CopyBlock(HGLOBAL memory, CLIPFORMAT format, std::vector<std::uint8_t>& copy) {
  const auto* bytes = static_cast<const std::uint8_t*>(GlobalLock(memory));
  if (bytes == nullptr) return false;
  const std::size_t size = GlobalSize(memory);
  bool copied = false;
  if (format != CF_HDROP || HasFileListHeader(bytes, size)) {
    try {
      copy.assign(bytes, bytes + size);
      copied = true;
    } catch (const std::bad_alloc&) {
    }
  }
  GlobalUnlock(memory);
  return copied;
}

}  // namespace

CanvasDropTarget::CanvasDropTarget(EventQueue& queue, HWND window, std::int32_t control)
    : queue_(queue), window_(window), control_(control) {}

void CanvasDropTarget::Accept(CLIPFORMAT format, DWORD actions) {
  for (AcceptedFormat& entry : accepted_) {
    if (entry.format == format) {
      entry.actions = actions;
      return;
    }
  }
  accepted_.insert(accepted_.begin(), AcceptedFormat{format, actions});
}

HRESULT CanvasDropTarget::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_INVALIDARG;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG CanvasDropTarget::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG CanvasDropTarget::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

// Copy when the drag offers an accepted format and both sides allow copying; the keys held
// play no part, so a drop never moves or links the user's file.
DWORD CanvasDropTarget::EffectFor(DWORD allowed) const {
  return matched_ && (match_.actions & allowed & DROPEFFECT_COPY) != 0 ? DROPEFFECT_COPY
                                                                       : DROPEFFECT_NONE;
}

HRESULT CanvasDropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  matched_ = false;
  if (data != nullptr) {
    for (const AcceptedFormat& entry : accepted_) {
      if ((entry.actions & *effect) == 0) continue;
      FORMATETC request = RequestFor(entry.format);
      if (data->QueryGetData(&request) == S_OK) {
        matched_ = true;
        match_ = entry;
        break;
      }
    }
  }
  *effect = EffectFor(*effect);
  return S_OK;
}

HRESULT CanvasDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  *effect = EffectFor(*effect);
  return S_OK;
}

// The canvas shows no highlight during a drag: only the platform's cursor tells whether the
// drop would be taken.
HRESULT CanvasDropTarget::DragLeave() {
  return S_OK;
}

HRESULT CanvasDropTarget::Drop(IDataObject* data, DWORD, POINTL point, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  *effect = EffectFor(*effect);
  if (*effect == DROPEFFECT_NONE) return S_OK;

  FORMATETC request = RequestFor(match_.format);
  STGMEDIUM medium{};
  if (data == nullptr || FAILED(data->GetData(&request, &medium))) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  DropPayload payload;
  const bool copied = medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr &&
                      CopyBlock(medium.hGlobal, match_.format, payload.data);
  ReleaseStgMedium(&medium);
  if (!copied) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }

  POINT client{point.x, point.y};
  ScreenToClient(window_, &client);
  payload.format = match_.format;
  payload.effect = *effect;
  payload.x = client.x;
  payload.y = client.y;
  QueueEvent(queue_, EventKind::Drop, control_, kMainWindowNumber, 0, std::move(payload));
  return S_OK;
}

void EnableFileDrop(EventQueue& queue, HWND window, std::int32_t control, CLIPFORMAT format,
                    DWORD actions) {
  CanvasDropTarget* target = AttachedDropTarget(window);
  if (target == nullptr) {
    target = new (std::nothrow) CanvasDropTarget(queue, window, control);
    if (target == nullptr) return;
    HRESULT result = RegisterDragDrop(window, target);
    if (result == DRAGDROP_E_ALREADYREGISTERED) {
      RevokeDragDrop(window);
      result = RegisterDragDrop(window, target);
    }
    // Unattached, the registration could never be revoked.
    if (SUCCEEDED(result) && !SetPropW(window, kDropTargetProperty, target)) {
      RevokeDragDrop(window);
      result = E_FAIL;
    }
    // On success the platform holds its own reference; on failure this frees the target.
    target->Release();
    if (FAILED(result)) return;
  }
  target->Accept(format, actions);
}

void RevokeFileDrop(HWND window) {
  if (RemovePropW(window, kDropTargetProperty) != nullptr) RevokeDragDrop(window);
}

CanvasDropTarget* AttachedDropTarget(HWND window) {
  return static_cast<CanvasDropTarget*>(GetPropW(window, kDropTargetProperty));
}

Text DroppedFileList(const ShellEvent* current) {
  if (current == nullptr) return {};
  const auto* payload = std::get_if<DropPayload>(&current->payload);
  if (payload == nullptr || payload->format != CF_HDROP || !HoldsNames(payload->data)) return {};

  // DragQueryFileW reads a drop handle: movable global memory holding the block.
  const GlobalBlock copy(GlobalAlloc(GMEM_MOVEABLE, payload->data.size()));
  if (copy.Get() == nullptr) return {};
  void* place = GlobalLock(copy.Get());
  if (place == nullptr) return {};
  std::memcpy(place, payload->data.data(), payload->data.size());
  GlobalUnlock(copy.Get());

  const auto drop = static_cast<HDROP>(copy.Get());
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  Text list;
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    Text name(length + 1, u'\0');
    const UINT copied =
        DragQueryFileW(drop, i, reinterpret_cast<wchar_t*>(name.data()), length + 1);
    name.resize(std::min(copied, length));
    if (i > 0) list += u'\n';
    list += name;
  }
  return list;
}

}  // namespace pelorin
