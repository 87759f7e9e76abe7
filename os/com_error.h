// The text of a COM or Win32 failure code: the system's own message for it, and the code.
//
// Contract: never fails and never returns an empty text. The system's message (FormatMessageW,
// in the ANSI code page, its trailing line break and full stop removed) is followed by the code
// in hexadecimal, "Invalid class string (0x800401F3)"; a code the system has no message for gives
// "error 0x800401F3". Windows only (com_error_win32.cpp).
#pragma once

#include <cstdint>
#include <string>

namespace skimmer::os {

// An HRESULT, or a Win32 error code (GetLastError), as one line of text.
std::string comErrorText(long code);
std::string systemErrorText(uint32_t code);

}  // namespace skimmer::os
