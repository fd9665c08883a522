// UTF-8 <-> UTF-16 conversion. 8-bit texts are UTF-8; wide texts are UTF-16.
#pragma once
#include <string>
#include <string_view>

namespace qv {

using WideString = std::u16string;

// Invalid UTF-8 bytes become U+FFFD; unpaired surrogates become U+FFFD.
WideString Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);

// Decodes one code point at s[i], advancing i. Invalid bytes decode to
// 0x110000 + byte so that every byte string has a distinct, ordered decoding.
char32_t DecodeUtf8(std::string_view s, std::size_t& i);
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace qv
