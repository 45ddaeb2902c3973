// Code-page conversion. Narrow text is bytes in the ANSI code page, which on
// this platform is 936 (GBK); wide text is UTF-16.
#pragma once

#include <string>
#include <string_view>

#include "platform/kernel/Types.h"

namespace win {

inline constexpr UINT CP_ACP = 0;
inline constexpr UINT CP_GBK = 936;
inline constexpr UINT CP_UTF8 = 65001;
inline constexpr DWORD MB_ERR_INVALID_CHARS = 0x8;
inline constexpr DWORD WC_ERR_INVALID_CHARS = 0x80;

// The code page that CP_ACP stands for.
UINT GetACP();

// A length of -1 means zero-terminated and counts the terminator; an output
// size of 0 asks for the size needed. Both return 0 on failure and set the
// last error.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceLength,
                        LPWSTR target, int targetLength);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source, int sourceLength,
                        LPSTR target, int targetLength, LPCSTR defaultChar,
                        BOOL* usedDefaultChar);

// Whole-text helpers over the two calls above.
std::u16string WideFromMultiByte(UINT codePage, std::string_view text);
std::string MultiByteFromWide(UINT codePage, std::u16string_view text);

// The one way a readable UTF-8 literal of the source becomes ANSI text.
std::string AnsiText(std::string_view utf8);
// ANSI text as UTF-8, for the display, logs and snapshots.
std::string Utf8FromAnsi(std::string_view ansi);

}  // namespace win
