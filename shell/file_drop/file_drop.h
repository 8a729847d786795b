// file_drop.h: files dropped on a control: its OLE drop target, the registration and the
// reading of a dropped file list.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <vector>

#include "events/event_queue.h"
#include "platform/text.h"

namespace pelorin {

// The drop target of one control. Accepts the formats it is enabled for with the actions
// given, and answers every accepted drag with a copy, whatever keys are held, so that the
// source always keeps its file. A drop copies the dropped block and queues a Drop event.
class CanvasDropTarget final : public IDropTarget {
 public:
  struct AcceptedFormat {
    CLIPFORMAT format;
    DWORD actions;  // DROPEFFECT_COPY and its sister bits
  };

  CanvasDropTarget(EventQueue& queue, HWND window, std::int32_t control);
  CanvasDropTarget(const CanvasDropTarget&) = delete;
  CanvasDropTarget& operator=(const CanvasDropTarget&) = delete;

  // Sets the actions of a format already accepted, or accepts a new one ahead of the others.
  void Accept(CLIPFORMAT format, DWORD actions);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                      DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point,
                                 DWORD* effect) override;

 private:
  ~CanvasDropTarget() = default;  // only Release ends it
  DWORD EffectFor(DWORD allowed) const;

  LONG references_ = 1;
  EventQueue& queue_;
  HWND window_;
  std::int32_t control_;
  std::vector<AcceptedFormat> accepted_;  // the newest first
  bool matched_ = false;                  // decided at DragEnter, kept until the next one
  AcceptedFormat match_{};
};

// Makes the control's window a drop target for the format with the allowed actions; Drop
// events go to the queue with the control's number as their source. Calling it again for
// the same window adds or updates a format on the target already there (its queue stays).
// When the platform refuses the registration the control accepts no drops and nothing is
// reported.
void EnableFileDrop(EventQueue& queue, HWND window, std::int32_t control, CLIPFORMAT format,
                    DWORD actions);

// Detaches and revokes the window's drop target, if it has one. Call it while the window is
// being destroyed: a registration that is never revoked keeps the target alive.
void RevokeFileDrop(HWND window);

// The target attached to the window by EnableFileDrop, or null.
CanvasDropTarget* AttachedDropTarget(HWND window);

// The paths of the file list carried by the event, in the list's order, joined by single
// line feeds; the empty text when there is no event, it carries no file list, or the list
// is malformed or holds no names.
Text DroppedFileList(const ShellEvent* current);

}  // namespace pelorin
