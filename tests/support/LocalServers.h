// Real servers for tests, each started on loopback by the test that needs it
// and stopped when it goes out of scope.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
class SSLServer;
struct Request;
struct Response;
}  // namespace httplib

namespace lumbrix::testing {

// One request as the server received it.
struct RecordedRequest {
  std::string method;
  std::string path;    // with the query
  std::vector<std::pair<std::string, std::string>> headers;  // names as sent
  std::string body;
  std::string Header(const std::string& name) const;  // case-insensitive; "" when absent
  bool HasHeader(const std::string& name) const;
};

// What a route answers.
struct CannedResponse {
  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
};

// An HTTP (or, given certificate files, HTTPS) server on an ephemeral
// loopback port that records every request and answers from its routes.
class RecordingServer {
 public:
  RecordingServer();
  RecordingServer(const std::filesystem::path& certificate, const std::filesystem::path& key);
  ~RecordingServer();

  int Port() const { return port_; }
  std::string BaseUrl() const;  // "http://127.0.0.1:PORT"

  // Answers every method on `path`; unknown paths answer 404.
  void Route(const std::string& path, CannedResponse response);
  void Route(const std::string& path, std::function<CannedResponse(const RecordedRequest&)> handler);

  std::vector<RecordedRequest> Requests() const;
  RecordedRequest LastRequest() const;

 private:
  void Start();
  void Handle(const httplib::Request& request, httplib::Response& response);

  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
  bool secure_ = false;
  mutable std::mutex mutex_;
  std::vector<RecordedRequest> requests_;
  std::map<std::string, std::function<CannedResponse(const RecordedRequest&)>> routes_;
};

// Accepts connections and never answers.
class SilentServer {
 public:
  SilentServer();
  ~SilentServer();
  int Port() const { return port_; }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::vector<int> accepted_;
  std::thread thread_;
};

// A loopback port with nothing listening on it.
int ClosedPort();

// A temporary directory removed at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A certificate authority made at test time, and a server certificate for
// 127.0.0.1 signed by it.
struct TestCertificates {
  explicit TestCertificates(const std::filesystem::path& dir, const std::string& name = "test");
  std::filesystem::path caCertificate;
  std::filesystem::path serverCertificate;
  std::filesystem::path serverKey;
};

// A child process, killed and reaped when it goes out of scope.
class ChildProcess {
 public:
  // With `quiet`, the child's output goes to /dev/null.
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments, bool quiet = false);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  int Pid() const { return pid_; }
  // Waits for the end; returns the exit status as waitpid gives it.
  int Wait();
  // Sends SIGTERM and waits.
  int Stop();

 private:
  int pid_ = -1;
};

// A forward proxy (tinyproxy) on an ephemeral loopback port.
class Tinyproxy {
 public:
  Tinyproxy();
  int Port() const { return port_; }
  static bool Available();

 private:
  TempDir dir_;
  int port_ = 0;
  std::unique_ptr<ChildProcess> process_;
};

// Waits until something accepts connections on the loopback port.
bool WaitForPort(int port, int timeoutMs = 5000);
// Runs a program without a shell; returns its exit status.
int RunProgram(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace lumbrix::testing
