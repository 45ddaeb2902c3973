// The Internet client calls (WinInet) the program makes, on libcurl.
//
// A request is performed when it is sent: HttpSendRequestA runs the whole
// exchange (redirects included) and keeps the final response, whose body is
// then read in chunks with InternetReadFile and whose header block is given
// by HttpQueryInfoA. One cookie store serves the whole process.
#pragma once

#include "platform/kernel/Types.h"

namespace win {

LUMBRIX_DECLARE_HANDLE(HINTERNET);
using INTERNET_PORT = WORD;

inline constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0;
inline constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1;
inline constexpr DWORD INTERNET_OPEN_TYPE_PROXY = 3;
inline constexpr DWORD INTERNET_SERVICE_HTTP = 3;
inline constexpr INTERNET_PORT INTERNET_INVALID_PORT_NUMBER = 0;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTPS_PORT = 443;

inline constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000u;
inline constexpr DWORD INTERNET_FLAG_SECURE = 0x00800000u;
inline constexpr DWORD INTERNET_FLAG_NO_AUTO_REDIRECT = 0x00200000u;
inline constexpr DWORD INTERNET_FLAG_NO_COOKIES = 0x00080000u;
inline constexpr DWORD INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS = 0x00004000u;
inline constexpr DWORD INTERNET_FLAG_NEED_FILE = 0x00000010u;

inline constexpr DWORD HTTP_QUERY_STATUS_CODE = 19;
inline constexpr DWORD HTTP_QUERY_RAW_HEADERS_CRLF = 22;
inline constexpr DWORD HTTP_QUERY_FLAG_NUMBER = 0x20000000u;

// Options for InternetSetOptionA; a null handle sets the process defaults.
inline constexpr DWORD INTERNET_OPTION_CONNECT_TIMEOUT = 2;
inline constexpr DWORD INTERNET_OPTION_SEND_TIMEOUT = 5;
inline constexpr DWORD INTERNET_OPTION_RECEIVE_TIMEOUT = 6;

inline constexpr DWORD ERROR_INTERNET_TIMEOUT = 12002;
inline constexpr DWORD ERROR_INTERNET_INTERNAL_ERROR = 12004;
inline constexpr DWORD ERROR_INTERNET_INVALID_URL = 12005;
inline constexpr DWORD ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
inline constexpr DWORD ERROR_INTERNET_INVALID_OPTION = 12009;
inline constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_TYPE = 12018;
inline constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_STATE = 12019;
inline constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;
inline constexpr DWORD ERROR_INTERNET_CONNECTION_RESET = 12031;
inline constexpr DWORD ERROR_INTERNET_SEC_CERT_CN_INVALID = 12038;
inline constexpr DWORD ERROR_INTERNET_SEC_INVALID_CERT = 12169;
inline constexpr DWORD ERROR_INTERNET_INVALID_CA = 12045;
inline constexpr DWORD ERROR_HTTP_HEADER_NOT_FOUND = 12150;
inline constexpr DWORD ERROR_HTTP_INVALID_SERVER_RESPONSE = 12152;
inline constexpr DWORD ERROR_HTTP_REDIRECT_FAILED = 12156;

HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass,
                        DWORD flags);
HINTERNET InternetConnectA(HINTERNET internet, LPCSTR serverName, INTERNET_PORT port,
                           LPCSTR userName, LPCSTR password, DWORD service, DWORD flags,
                           DWORD_PTR context);
HINTERNET HttpOpenRequestA(HINTERNET connection, LPCSTR verb, LPCSTR objectName, LPCSTR version,
                           LPCSTR referrer, LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context);
// `headers` is a block of lines separated by CRLF; a length of -1 (as DWORD)
// means zero-terminated.
BOOL HttpSendRequestA(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional,
                      DWORD optionalLength);
BOOL InternetReadFile(HINTERNET file, LPVOID buffer, DWORD bytesToRead, DWORD* bytesRead);
BOOL HttpQueryInfoA(HINTERNET request, DWORD infoLevel, LPVOID buffer, DWORD* bufferLength,
                    DWORD* index);
BOOL InternetCloseHandle(HINTERNET internet);
// Time-outs in milliseconds (DWORD values); the defaults are 60 s to connect
// and 30 s without data.
BOOL InternetSetOptionA(HINTERNET internet, DWORD option, LPVOID buffer, DWORD bufferLength);

// The substrate's stand-in for adding a root certificate to the system
// store: certificates in this PEM file are trusted besides the system's.
// Null restores the system store alone.
void InternetTrustRootCertificates(LPCSTR pemFile);

}  // namespace win
