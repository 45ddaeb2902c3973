#include "tests/support/LocalServers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <random>
#include <stdexcept>

extern char** environ;

namespace lumbrix::testing {

namespace {

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}

int LoopbackSocket(int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) throw std::runtime_error("bind");
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

std::string RecordedRequest::Header(const std::string& name) const {
  for (const auto& [key, value] : headers)
    if (EqualsIgnoringCase(key, name)) return value;
  return {};
}

bool RecordedRequest::HasHeader(const std::string& name) const {
  for (const auto& header : headers)
    if (EqualsIgnoringCase(header.first, name)) return true;
  return false;
}

RecordingServer::RecordingServer() : server_(std::make_unique<httplib::Server>()) { Start(); }

RecordingServer::RecordingServer(const std::filesystem::path& certificate, const std::filesystem::path& key)
    : server_(std::make_unique<httplib::SSLServer>(certificate.c_str(), key.c_str())), secure_(true) {
  Start();
}

void RecordingServer::Start() {
  auto handler = [this](const httplib::Request& request, httplib::Response& response) { Handle(request, response); };
  const std::string any = R"(/.*)";
  server_->Get(any, handler);
  server_->Post(any, handler);
  server_->Put(any, handler);
  server_->Delete(any, handler);
  server_->Options(any, handler);
  port_ = server_->bind_to_any_port("127.0.0.1");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  WaitForPort(port_);
}

RecordingServer::~RecordingServer() {
  server_->stop();
  if (thread_.joinable()) thread_.join();
}

std::string RecordingServer::BaseUrl() const {
  return std::string(secure_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_);
}

void RecordingServer::Route(const std::string& path, CannedResponse response) {
  Route(path, [response](const RecordedRequest&) { return response; });
}

void RecordingServer::Route(const std::string& path, std::function<CannedResponse(const RecordedRequest&)> handler) {
  std::lock_guard lock(mutex_);
  routes_[path] = std::move(handler);
}

void RecordingServer::Handle(const httplib::Request& request, httplib::Response& response) {
  RecordedRequest recorded;
  recorded.method = request.method;
  recorded.path = request.target;
  for (const auto& [name, value] : request.headers) {
    // httplib adds these for its own bookkeeping; they were not sent.
    if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT") continue;
    recorded.headers.emplace_back(name, value);
  }
  recorded.body = request.body;
  std::function<CannedResponse(const RecordedRequest&)> route;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(recorded);
    auto it = routes_.find(request.path);
    if (it != routes_.end()) route = it->second;
  }
  CannedResponse answer;
  if (route) answer = route(recorded);
  else answer.status = 404;
  response.status = answer.status;
  std::string contentType = "text/plain";
  for (const auto& [name, value] : answer.headers) {
    if (EqualsIgnoringCase(name, "Content-Type")) contentType = value;
    else response.headers.emplace(name, value);
  }
  if (request.method != "HEAD") response.set_content(answer.body, contentType.c_str());
}

std::vector<RecordedRequest> RecordingServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

RecordedRequest RecordingServer::LastRequest() const {
  std::lock_guard lock(mutex_);
  return requests_.empty() ? RecordedRequest{} : requests_.back();
}

SilentServer::SilentServer() {
  listener_ = LoopbackSocket(port_);
  ::listen(listener_, 16);
  thread_ = std::thread([this] {
    while (!stopping_) {
      const int fd = ::accept(listener_, nullptr, nullptr);
      if (fd < 0) break;
      accepted_.push_back(fd);
    }
  });
}

SilentServer::~SilentServer() {
  stopping_ = true;
  ::shutdown(listener_, SHUT_RDWR);
  ::close(listener_);
  if (thread_.joinable()) thread_.join();
  for (int fd : accepted_) ::close(fd);
}

int ClosedPort() {
  int port = 0;
  const int fd = LoopbackSocket(port);
  ::close(fd);
  return port;
}

TempDir::TempDir() {
  std::random_device random;
  path_ = std::filesystem::temp_directory_path() / ("lumbrix-test-" + std::to_string(random()) + std::to_string(::getpid()));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

TestCertificates::TestCertificates(const std::filesystem::path& dir, const std::string& name) {
  caCertificate = dir / (name + "-ca.pem");
  serverCertificate = dir / (name + "-server.pem");
  serverKey = dir / (name + "-server.key");
  const auto caKey = dir / (name + "-ca.key");
  const auto request = dir / (name + "-server.csr");
  const auto extensions = dir / (name + "-server.ext");
  std::ofstream(extensions) << "subjectAltName=IP:127.0.0.1,DNS:localhost\n"
                               "basicConstraints=CA:FALSE\nkeyUsage=digitalSignature,keyEncipherment\n"
                               "extendedKeyUsage=serverAuth\n";
  auto run = [](const std::vector<std::string>& args) {
    if (RunProgram("openssl", args) != 0) throw std::runtime_error("openssl failed");
  };
  run({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", caKey, "-out", caCertificate, "-days", "2",
       "-subj", "/CN=Lumbrix " + name + " CA"});
  run({"req", "-newkey", "rsa:2048", "-nodes", "-keyout", serverKey, "-out", request, "-subj", "/CN=127.0.0.1"});
  run({"x509", "-req", "-in", request, "-CA", caCertificate, "-CAkey", caKey, "-CAcreateserial", "-out",
       serverCertificate, "-days", "2", "-extfile", extensions});
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments, bool quiet) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (quiet) {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  }
  if (posix_spawnp(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
}

int ChildProcess::Wait() {
  if (pid_ <= 0) return -1;
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
  return status;
}

int ChildProcess::Stop() {
  if (pid_ <= 0) return -1;
  ::kill(pid_, SIGTERM);
  return Wait();
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

bool Tinyproxy::Available() { return ::access("/usr/bin/tinyproxy", X_OK) == 0; }

Tinyproxy::Tinyproxy() {
  int fd = LoopbackSocket(port_);
  ::close(fd);
  const auto config = dir_.Path() / "tinyproxy.conf";
  std::ofstream(config) << "Port " << port_ << "\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\n"
                        << "Allow 127.0.0.1\nLogLevel Critical\n"
                        << "PidFile \"" << (dir_.Path() / "tinyproxy.pid").string() << "\"\n";
  // -d keeps it in the foreground, so it is our child to stop.
  process_ = std::make_unique<ChildProcess>("tinyproxy", std::vector<std::string>{"-d", "-c", config.string()});
  WaitForPort(port_);
}

bool WaitForPort(int port, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(std::uint16_t(port));
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    if (connected) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

int RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
  ChildProcess child(program, arguments, /*quiet=*/true);
  if (child.Pid() <= 0) return -1;
  const int status = child.Wait();
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace lumbrix::testing
