// Text at the boundary of the Windows interfaces (Windows builds only).
//
// The program's texts are UTF-8; the "W" functions of Windows take UTF-16
// and the console tools write in a code page.  These conversions never fail:
// bytes that are not valid UTF-8 become U+FFFD.
#pragma once

#include <string>

namespace corvane::runtime {

std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);
std::string WideToUtf8(const wchar_t* text, std::size_t length);
// Bytes in the given code page (CP_OEMCP, CP_ACP, ...) as UTF-8.
std::string CodePageToUtf8(const std::string& bytes, unsigned code_page);
// A path for the operating system: every '/' turned into '\'.
std::wstring WidePath(const std::string& path);
// A path from the operating system with '/' separators.
std::string ForwardSlashes(std::string path);

}  // namespace corvane::runtime
