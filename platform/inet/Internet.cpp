#include "platform/inet/Internet.h"

#include <curl/curl.h>
#include <strings.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/kernel/HandleTable.h"

namespace win {

namespace {

constexpr int kMaxRedirects = 10;

// ---- Process-wide state: the library, the cookie store, trust, defaults ---

class CurlProcess {
 public:
  static CurlProcess& Get() {
    static auto* instance = new CurlProcess();
    return *instance;
  }

  CURLSH* Cookies() const { return share_; }

  // The system's roots plus any the tests added, as one PEM blob; empty when
  // only the system's are trusted.
  std::string TrustedRoots() {
    std::lock_guard lock(mutex_);
    return trustedRoots_;
  }

  void TrustRoots(const char* pemFile) {
    std::string blob;
    if (pemFile) {
      blob = ReadFile(SystemBundle()) + "\n" + ReadFile(pemFile);
    }
    std::lock_guard lock(mutex_);
    trustedRoots_ = std::move(blob);
  }

  std::atomic<DWORD> connectTimeoutMs{60000};
  std::atomic<DWORD> receiveTimeoutMs{30000};

 private:
  CurlProcess() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    share_ = curl_share_init();
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, Lock);
    curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, Unlock);
    curl_share_setopt(share_, CURLSHOPT_USERDATA, &cookieMutex_);
  }

  static void Lock(CURL*, curl_lock_data, curl_lock_access, void* mutex) {
    static_cast<std::mutex*>(mutex)->lock();
  }
  static void Unlock(CURL*, curl_lock_data, void* mutex) { static_cast<std::mutex*>(mutex)->unlock(); }

  static std::string SystemBundle() {
    CURL* probe = curl_easy_init();
    char* path = nullptr;
    curl_easy_getinfo(probe, CURLINFO_CAINFO, &path);
    std::string result = path ? path : "/etc/ssl/certs/ca-certificates.crt";
    curl_easy_cleanup(probe);
    return result;
  }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  CURLSH* share_ = nullptr;
  std::mutex cookieMutex_;
  std::mutex mutex_;
  std::string trustedRoots_;
};

// ---- Handles ------------------------------------------------------------

enum class Kind { Root, Connection, Request };

struct Response {
  bool arrived = false;  // a status line was read
  long status = 0;
  std::string headers;   // status line and header lines of the final response, CRLF each
  std::string body;
  std::size_t readPosition = 0;
};

struct InternetObject {
  Kind kind = Kind::Root;
  DWORD connectTimeoutMs = 0;
  DWORD receiveTimeoutMs = 0;
  // Root
  std::string agent;
  std::string proxy;  // empty: direct
  // Connection (and the request's copy of it)
  std::shared_ptr<InternetObject> parent;
  std::string host;
  INTERNET_PORT port = 0;
  // Request
  std::string verb;
  std::string path;
  std::string acceptTypes;
  DWORD flags = 0;
  bool sent = false;
  Response response;
};

HandleTable<HINTERNET, InternetObject>& Handles() {
  static auto* table = new HandleTable<HINTERNET, InternetObject>();
  return *table;
}

std::shared_ptr<InternetObject> Find(HINTERNET handle, Kind kind) {
  auto object = Handles().Find(handle);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (object->kind != kind) {
    SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
    return nullptr;
  }
  return object;
}

std::string Text(LPCSTR text) { return text ? text : ""; }

// ---- Proxies --------------------------------------------------------------

// A proxy text is either one server for every scheme, or a list of
// "scheme=server" entries separated by spaces or semicolons.
std::string ProxyFor(const std::string& proxyText, const std::string& scheme) {
  if (proxyText.find('=') == std::string::npos) return proxyText;
  std::string entry;
  std::istringstream entries(proxyText);
  while (std::getline(entries, entry, ' ')) {
    std::istringstream parts(entry);
    std::string piece;
    while (std::getline(parts, piece, ';')) {
      const auto eq = piece.find('=');
      if (eq != std::string::npos && piece.substr(0, eq) == scheme) return piece.substr(eq + 1);
    }
  }
  return {};
}

// ---- One exchange on libcurl ----------------------------------------------

struct CurlEasy {
  CURL* handle = curl_easy_init();
  curl_slist* headers = nullptr;
  ~CurlEasy() {
    curl_slist_free_all(headers);
    if (handle) curl_easy_cleanup(handle);
  }
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* response) {
  static_cast<Response*>(response)->body.append(data, size * count);
  return size * count;
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* response) {
  auto* r = static_cast<Response*>(response);
  const std::string_view line(data, size * count);
  // Each response (an interim one, a redirect) starts with its status line;
  // only the last one is kept.
  if (line.starts_with("HTTP/")) {
    r->headers.clear();
    r->arrived = true;
  }
  r->headers.append(line);
  return line.size();
}

DWORD ErrorFromCurl(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_CONNECT: return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT: return ERROR_INTERNET_TIMEOUT;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_PEER_FAILED_VERIFICATION: return ERROR_INTERNET_INVALID_CA;
    case CURLE_SSL_CONNECT_ERROR: return ERROR_INTERNET_SEC_INVALID_CERT;
    case CURLE_URL_MALFORMAT: return ERROR_INTERNET_INVALID_URL;
    case CURLE_GOT_NOTHING: return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR: return ERROR_INTERNET_CONNECTION_RESET;
    default: return ERROR_INTERNET_INTERNAL_ERROR;
  }
}

bool IsRedirect(long status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

struct Exchange {
  std::string url;
  std::string verb;
  std::string body;
  bool hasBody = false;
};

// Performs one hop; fills `response` with what arrived.
CURLcode PerformHop(const InternetObject& request, const Exchange& exchange,
                    const std::vector<std::string>& headerLines, Response& response,
                    std::string& redirectTo) {
  const InternetObject& root = *request.parent->parent;
  auto& process = CurlProcess::Get();
  CurlEasy easy;
  if (!easy.handle) return CURLE_OUT_OF_MEMORY;
  CURL* h = easy.handle;

  curl_easy_setopt(h, CURLOPT_URL, exchange.url.c_str());
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(h, CURLOPT_USERAGENT, root.agent.c_str());
  curl_easy_setopt(h, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);

  const std::string scheme = exchange.url.starts_with("https://") ? "https" : "http";
  const std::string proxy = ProxyFor(root.proxy, scheme);
  // An empty proxy also keeps libcurl from taking one from the environment.
  curl_easy_setopt(h, CURLOPT_PROXY, proxy.c_str());
  curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);

  if (!(request.flags & INTERNET_FLAG_NO_COOKIES)) {
    curl_easy_setopt(h, CURLOPT_SHARE, process.Cookies());
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");
  }

  curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
  const std::string roots = process.TrustedRoots();
  if (!roots.empty()) {
    curl_blob blob{const_cast<char*>(roots.data()), roots.size(), CURL_BLOB_COPY};
    curl_easy_setopt(h, CURLOPT_CAINFO_BLOB, &blob);
  }

  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(request.connectTimeoutMs));
  // "Without data for the receive time-out" as libcurl's low-speed limit.
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, long((request.receiveTimeoutMs + 999) / 1000));

  bool hasAccept = false;
  for (const std::string& line : headerLines) {
    if (line.size() >= 7 && strncasecmp(line.c_str(), "Accept:", 7) == 0) hasAccept = true;
    easy.headers = curl_slist_append(easy.headers, line.c_str());
  }
  if (!hasAccept) {
    const std::string accept = request.acceptTypes.empty() ? "Accept:" : "Accept: " + request.acceptTypes;
    easy.headers = curl_slist_append(easy.headers, accept.c_str());
  }
  easy.headers = curl_slist_append(easy.headers, "Expect:");
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, easy.headers);

  if (exchange.verb == "HEAD") {
    curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
  } else if (exchange.hasBody || exchange.verb == "POST") {
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(exchange.body.size()));
    curl_easy_setopt(h, CURLOPT_COPYPOSTFIELDS, exchange.body.data());
    if (exchange.verb != "POST") curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, exchange.verb.c_str());
  } else if (exchange.verb != "GET") {
    curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, exchange.verb.c_str());
  }

  response = Response{};
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &response);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &response);

  const CURLcode code = curl_easy_perform(h);
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &response.status);
  char* location = nullptr;
  curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &location);
  redirectTo = location ? location : "";
  return code;
}

std::vector<std::string> SplitHeaderBlock(std::string_view block) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < block.size()) {
    std::size_t end = block.find("\r\n", start);
    if (end == std::string_view::npos) end = block.size();
    if (end > start) lines.emplace_back(block.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

}  // namespace

HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR, DWORD) {
  if (accessType != INTERNET_OPEN_TYPE_DIRECT && accessType != INTERNET_OPEN_TYPE_PROXY &&
      accessType != INTERNET_OPEN_TYPE_PRECONFIG) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto& process = CurlProcess::Get();
  auto root = std::make_shared<InternetObject>();
  root->kind = Kind::Root;
  root->agent = Text(agent);
  if (accessType == INTERNET_OPEN_TYPE_PROXY) root->proxy = Text(proxy);
  root->connectTimeoutMs = process.connectTimeoutMs;
  root->receiveTimeoutMs = process.receiveTimeoutMs;
  return Handles().Add(std::move(root));
}

HINTERNET InternetConnectA(HINTERNET internet, LPCSTR serverName, INTERNET_PORT port, LPCSTR,
                           LPCSTR, DWORD service, DWORD, DWORD_PTR) {
  auto root = Find(internet, Kind::Root);
  if (!root) return nullptr;
  if (service != INTERNET_SERVICE_HTTP || serverName == nullptr || *serverName == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto connection = std::make_shared<InternetObject>();
  connection->kind = Kind::Connection;
  connection->parent = root;
  connection->host = serverName;
  connection->port = port;
  connection->connectTimeoutMs = root->connectTimeoutMs;
  connection->receiveTimeoutMs = root->receiveTimeoutMs;
  return Handles().Add(std::move(connection));
}

HINTERNET HttpOpenRequestA(HINTERNET connection, LPCSTR verb, LPCSTR objectName, LPCSTR,
                           LPCSTR, LPCSTR* acceptTypes, DWORD flags, DWORD_PTR) {
  auto parent = Find(connection, Kind::Connection);
  if (!parent) return nullptr;
  auto request = std::make_shared<InternetObject>();
  request->kind = Kind::Request;
  request->parent = parent;
  request->verb = verb && *verb ? verb : "GET";
  request->path = objectName && *objectName ? objectName : "/";
  if (request->path.front() != '/') request->path.insert(0, "/");
  for (LPCSTR* type = acceptTypes; type && *type; ++type)
    request->acceptTypes += (request->acceptTypes.empty() ? "" : ", ") + std::string(*type);
  request->flags = flags;
  request->connectTimeoutMs = parent->connectTimeoutMs;
  request->receiveTimeoutMs = parent->receiveTimeoutMs;
  return Handles().Add(std::move(request));
}

BOOL HttpSendRequestA(HINTERNET handle, LPCSTR headers, DWORD headersLength, LPVOID optional,
                      DWORD optionalLength) {
  auto request = Find(handle, Kind::Request);
  if (!request) return FALSE;
  const InternetObject& connection = *request->parent;
  const bool secure = request->flags & INTERNET_FLAG_SECURE;
  INTERNET_PORT port = connection.port;
  if (port == INTERNET_INVALID_PORT_NUMBER)
    port = secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;

  std::string_view block;
  if (headers) block = headersLength == DWORD(-1) ? std::string_view(headers) : std::string_view(headers, headersLength);
  const std::vector<std::string> headerLines = SplitHeaderBlock(block);

  Exchange exchange;
  exchange.url = std::string(secure ? "https://" : "http://") + connection.host + ":" +
                 std::to_string(port) + request->path;
  exchange.verb = request->verb;
  if (optional && optionalLength > 0) {
    exchange.body.assign(static_cast<const char*>(optional), optionalLength);
    exchange.hasBody = true;
  }

  request->sent = true;
  for (int hop = 0;; ++hop) {
    std::string redirectTo;
    const CURLcode code = PerformHop(*request, exchange, headerLines, request->response, redirectTo);
    if (code != CURLE_OK) {
      SetLastError(ErrorFromCurl(code));
      return FALSE;
    }
    const long status = request->response.status;
    if (!IsRedirect(status) || redirectTo.empty() || (request->flags & INTERNET_FLAG_NO_AUTO_REDIRECT))
      break;
    const bool toHttps = redirectTo.starts_with("https://");
    if (!exchange.url.starts_with("https://") && toHttps &&
        (request->flags & INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS))
      break;  // an HTTP request does not follow its redirect to HTTPS
    if (hop + 1 >= kMaxRedirects) break;
    exchange.url = redirectTo;
    if (status != 307 && status != 308 && exchange.verb != "HEAD") {
      exchange.verb = "GET";
      exchange.body.clear();
      exchange.hasBody = false;
    }
  }
  return TRUE;
}

BOOL InternetReadFile(HINTERNET handle, LPVOID buffer, DWORD bytesToRead, DWORD* bytesRead) {
  if (bytesRead) *bytesRead = 0;
  auto request = Find(handle, Kind::Request);
  if (!request) return FALSE;
  if (bytesRead == nullptr || (buffer == nullptr && bytesToRead > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!request->sent) {
    SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    return FALSE;
  }
  Response& r = request->response;
  const std::size_t count = std::min<std::size_t>(bytesToRead, r.body.size() - r.readPosition);
  std::memcpy(buffer, r.body.data() + r.readPosition, count);
  r.readPosition += count;
  *bytesRead = DWORD(count);
  return TRUE;
}

BOOL HttpQueryInfoA(HINTERNET handle, DWORD infoLevel, LPVOID buffer, DWORD* bufferLength, DWORD*) {
  auto request = Find(handle, Kind::Request);
  if (!request) return FALSE;
  if (bufferLength == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const Response& r = request->response;
  if (!r.arrived) {
    SetLastError(ERROR_HTTP_HEADER_NOT_FOUND);
    return FALSE;
  }
  const DWORD level = infoLevel & 0xFFFF;
  if (level == HTTP_QUERY_STATUS_CODE && (infoLevel & HTTP_QUERY_FLAG_NUMBER)) {
    if (*bufferLength < sizeof(DWORD) || buffer == nullptr) {
      *bufferLength = sizeof(DWORD);
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    const DWORD status = DWORD(r.status);
    std::memcpy(buffer, &status, sizeof status);
    *bufferLength = sizeof status;
    return TRUE;
  }
  std::string text;
  if (level == HTTP_QUERY_RAW_HEADERS_CRLF) text = r.headers;
  else if (level == HTTP_QUERY_STATUS_CODE) text = std::to_string(r.status);
  else {
    SetLastError(ERROR_HTTP_HEADER_NOT_FOUND);
    return FALSE;
  }
  if (buffer == nullptr || *bufferLength < text.size() + 1) {
    *bufferLength = DWORD(text.size() + 1);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  *bufferLength = DWORD(text.size());
  return TRUE;
}

BOOL InternetCloseHandle(HINTERNET handle) {
  if (!Handles().Remove(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

BOOL InternetSetOptionA(HINTERNET handle, DWORD option, LPVOID buffer, DWORD bufferLength) {
  if (option != INTERNET_OPTION_CONNECT_TIMEOUT && option != INTERNET_OPTION_RECEIVE_TIMEOUT &&
      option != INTERNET_OPTION_SEND_TIMEOUT) {
    SetLastError(ERROR_INTERNET_INVALID_OPTION);
    return FALSE;
  }
  if (buffer == nullptr || bufferLength < sizeof(DWORD)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD ms;
  std::memcpy(&ms, buffer, sizeof ms);
  if (handle == nullptr) {
    auto& process = CurlProcess::Get();
    if (option == INTERNET_OPTION_CONNECT_TIMEOUT) process.connectTimeoutMs = ms;
    else process.receiveTimeoutMs = ms;
    return TRUE;
  }
  auto object = Handles().Find(handle);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (option == INTERNET_OPTION_CONNECT_TIMEOUT) object->connectTimeoutMs = ms;
  else object->receiveTimeoutMs = ms;
  return TRUE;
}

void InternetTrustRootCertificates(LPCSTR pemFile) { CurlProcess::Get().TrustRoots(pemFile); }

}  // namespace win
