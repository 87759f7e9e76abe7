// Text between the plug-in's narrow strings and the wide-character system calls of Windows.
//
// Contract: the plug-in's narrow strings are in FAR 1.70's code page for its ANSI interface (the
// ANSI code page, CP_ACP); every os/ service on Windows converts at its own border with these two
// functions and nowhere else. Converting never fails: a byte or unit the other side cannot hold
// becomes the code page's default character, so a name always reaches the call, possibly
// mis-spelt, never cut short. `utf8FromWide`/`wideFromUtf8` are for data that is UTF-8 by its
// format (a shell link's Unicode target, a UTF-8 file), never for FAR's strings.
// Built on Windows only (wide_text_win32.cpp).
#pragma once

#include <string>
#include <string_view>

namespace skimmer::os {

std::wstring toWide(std::string_view ansi);
std::string fromWide(std::wstring_view wide);
std::wstring wideFromUtf8(std::string_view utf8);
std::string utf8FromWide(std::wstring_view wide);

}  // namespace skimmer::os
