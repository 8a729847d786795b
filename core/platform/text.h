// text.h: the program's text type and its conversions to and from UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace pelorin {

// All text is UTF-16, as the platform's wide-character calls take it. std::u16string is
// UTF-16 on every compiler; std::wstring would be UTF-32 on Linux. The empty text stands
// for "no value".
using Text = std::u16string;

// Lossless for any byte string: bytes that are not valid UTF-8 become the lone surrogates
// U+DC80..U+DCFF, and TextToUtf8 turns those back into the same bytes, so a Linux file
// name survives the round trip whatever its encoding.
Text Utf8ToText(std::string_view utf8);
std::string TextToUtf8(std::u16string_view text);

#ifdef _WIN32
// The text as Win32's wide-character calls take it: wchar_t is UTF-16 there too.
inline const wchar_t* WideText(const Text& text) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t));
  return reinterpret_cast<const wchar_t*>(text.c_str());
}
#endif

// Decimal digits of a value, as the window title and messages show numbers.
Text DecimalText(long long value);

}  // namespace pelorin
