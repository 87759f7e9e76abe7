// What the Windows files of os/ share about files: opening with the sharing POSIX code expects,
// C runtime descriptors over handles, the identity and times of an open file. Windows only.
//
// Contract: every file is opened sharing read, write and delete, so that, as on POSIX systems, a
// file someone holds open can still be renamed, replaced or deleted (its data stays readable
// through the open handle). Handles are never inheritable. Errors are errno values
// (os/system_error.h); paths are FAR's ANSI strings, converted by os/wide_text.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "os/file_system.h"
#include "os/win32_handle.h"

namespace skimmer::os {

inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring widePath(std::string_view path);

// Whether `path` names a device rather than a file: the device namespace ("\\.\...") or one of
// DOS's reserved names in any folder and with any extension (CON, PRN, AUX, NUL, COM1-9, LPT1-9,
// CONIN$, CONOUT$). Opening one can have effects (a serial port, a pipe's server), so the readers
// refuse such a path before any open.
bool namesDevice(std::string_view path);

// A regular file opened for reading (never a folder, device or pipe: those give EISDIR or EINVAL),
// with its size.
UniqueHandle openRegularForReading(std::string_view path, uint64_t& size, int& err);

// The object `path` names, opened only to ask about it (attributes, identity, times): folders too;
// a final symbolic link is followed unless `followLinks` is false.
UniqueHandle openForQuery(const std::wstring& path, bool followLinks, int& err);

// An open file's identity, size, times and type as FileStat carries them.
int statHandle(HANDLE handle, FileStat& st);

// A C runtime descriptor that owns `handle` from now on (closed by _close); on failure the handle
// is closed and the error returned. `crtFlags`: _O_RDONLY/_O_WRONLY/_O_RDWR, _O_APPEND.
int adoptHandle(UniqueHandle handle, int crtFlags, int& fd);
// The handle under a descriptor, still owned by the descriptor; INVALID_HANDLE_VALUE for none.
HANDLE handleOf(int fd);

// Puts `from` in the place of `to`, replacing it; the new name is written through. Windows refuses
// to replace a file someone holds open, even one shared for deletion (POSIX would not): then the
// held file is first renamed aside to a hidden name beside it, which its holder's handle follows,
// and deleted once the new file has taken its place (it goes when its last handle does). Only in
// that case is the swap two steps: if the second fails the old file is put back; a crash between
// the two leaves it under its "<name>.replaced-<id>" name, never lost. 0 or an errno value.
int replaceFile(const std::wstring& from, const std::wstring& to);

uint64_t ticksOf(const FILETIME& ft);
FILETIME fileTimeOf(uint64_t ticks);

}  // namespace skimmer::os
