// test_data_object.cpp: the hand-made data object and its file-list block.
#include "test_data_object.h"

#include <shlobj.h>

#include <cstring>
#include <utility>

namespace pelorin::testing {

std::vector<std::uint8_t> FileListBlock(const std::vector<Text>& names, bool wide) {
  DROPFILES header{};
  header.pFiles = sizeof header;
  header.fWide = wide;
  std::vector<std::uint8_t> block(sizeof header);
  std::memcpy(block.data(), &header, sizeof header);
  auto put = [&](char16_t unit) {
    block.push_back(static_cast<std::uint8_t>(unit));
    if (wide) block.push_back(static_cast<std::uint8_t>(unit >> 8));
  };
  for (const Text& name : names) {
    for (const char16_t unit : name) put(unit);
    put(0);
  }
  put(0);
  return block;
}

TestDataObject* TestDataObject::Make(std::vector<std::uint8_t> fileList, bool offerText) {
  return new TestDataObject(std::move(fileList), offerText);
}

TestDataObject::TestDataObject(std::vector<std::uint8_t> fileList, bool offerText)
    : fileList_(std::move(fileList)) {
  if (offerText) text_ = {'t', 0, 'e', 0, 'x', 0, 't', 0, 0, 0};
}

const std::vector<std::uint8_t>* TestDataObject::BytesFor(const FORMATETC& format) const {
  if ((format.tymed & TYMED_HGLOBAL) == 0 || format.dwAspect != DVASPECT_CONTENT) return nullptr;
  if (format.cfFormat == CF_HDROP && !fileList_.empty()) return &fileList_;
  if (format.cfFormat == CF_UNICODETEXT && !text_.empty()) return &text_;
  return nullptr;
}

HRESULT TestDataObject::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
    *object = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG TestDataObject::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG TestDataObject::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT TestDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  ++getDataCalls;
  if (format == nullptr || medium == nullptr) return E_INVALIDARG;
  const std::vector<std::uint8_t>* bytes = BytesFor(*format);
  if (bytes == nullptr) return DV_E_FORMATETC;
  if (failGetData) return E_OUTOFMEMORY;
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes->size());
  if (memory == nullptr) return E_OUTOFMEMORY;
  std::memcpy(GlobalLock(memory), bytes->data(), bytes->size());
  GlobalUnlock(memory);
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = memory;
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

HRESULT TestDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) {
  return E_NOTIMPL;
}

HRESULT TestDataObject::QueryGetData(FORMATETC* format) {
  return format != nullptr && BytesFor(*format) != nullptr ? S_OK : DV_E_FORMATETC;
}

HRESULT TestDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  if (out != nullptr) out->ptd = nullptr;
  return E_NOTIMPL;
}

HRESULT TestDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) {
  return E_NOTIMPL;
}

HRESULT TestDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) {
  if (formats == nullptr) return E_POINTER;
  *formats = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  FORMATETC offered[2];
  UINT count = 0;
  if (!fileList_.empty())
    offered[count++] = FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  if (!text_.empty())
    offered[count++] = FORMATETC{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return SHCreateStdEnumFmtEtc(count, offered, formats);
}

HRESULT TestDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) {
  return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT TestDataObject::DUnadvise(DWORD) {
  return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT TestDataObject::EnumDAdvise(IEnumSTATDATA**) {
  return OLE_E_ADVISENOTSUPPORTED;
}

}  // namespace pelorin::testing
