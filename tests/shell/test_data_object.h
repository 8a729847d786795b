// test_data_object.h: a hand-made data object, as a drag source or the clipboard hands one
// to a drop target, and the file-list block it can carry.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <vector>

#include "platform/text.h"

namespace pelorin::testing {

// A CF_HDROP block: a DROPFILES header, the names each ended by a NUL, and the empty name
// that ends the list. Wide names unless `wide` is false (then each unit is the low byte).
std::vector<std::uint8_t> FileListBlock(const std::vector<Text>& names, bool wide = true);

// Offers a file list (CF_HDROP), or text (CF_UNICODETEXT), or both, each as global memory.
// Counts its references: it is made with one and freed when the last goes.
class TestDataObject final : public IDataObject {
 public:
  static TestDataObject* Make(std::vector<std::uint8_t> fileList, bool offerText = false);

  bool failGetData = false;  // GetData refuses although QueryGetData accepts
  int getDataCalls = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                    DWORD* connection) override;
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advises) override;

 private:
  TestDataObject(std::vector<std::uint8_t> fileList, bool offerText);
  ~TestDataObject() = default;
  const std::vector<std::uint8_t>* BytesFor(const FORMATETC& format) const;

  LONG references_ = 1;
  std::vector<std::uint8_t> fileList_;  // empty: no file list offered
  std::vector<std::uint8_t> text_;      // empty: no text offered
};

}  // namespace pelorin::testing
