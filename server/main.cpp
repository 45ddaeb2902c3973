// lumbrix-service: the reference software-information service.
//
//   lumbrix-service admin --db FILE init
//   lumbrix-service admin --db FILE set-app --id ID [--key K] [--notice T] [--version V]
//                                            [--update-data URL] [--state S] [--static-data T]
//   lumbrix-service admin --db FILE request-body --id ID [--params TEXT]
//   lumbrix-service serve --db FILE --listen HOST:PORT
#include <httplib.h>
#include <signal.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "lumbrix/BuildConstants.h"
#include "server/AppDatabase.h"
#include "server/InfoService.h"
#include "service/AuthCode.h"
#include "service/ServiceClient.h"

namespace {

using lumbrix::server::AppDatabase;
using lumbrix::server::Application;
using lumbrix::server::ApplicationEdit;

constexpr std::size_t kMaxBodyBytes = 64 * 1024;
constexpr std::size_t kWorkerThreads = 64;
constexpr const char* kGetInfoPath = "/index.php/api/Software/getInfo";

int Usage() {
  std::fputs(
      "usage: lumbrix-service admin --db FILE init\n"
      "       lumbrix-service admin --db FILE set-app --id ID [--key K] [--notice T] [--version V]\n"
      "                                       [--update-data URL] [--state S] [--static-data T]\n"
      "       lumbrix-service admin --db FILE request-body --id ID [--params TEXT]\n"
      "       lumbrix-service serve --db FILE --listen HOST:PORT\n",
      stderr);
  return 2;
}

// "--name value" pairs after the command words.
struct Options {
  std::vector<std::string> words;
  std::map<std::string, std::string> values;
  bool ok = true;

  Options(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg.starts_with("--")) {
        if (i + 1 >= argc) {
          ok = false;
          return;
        }
        values[arg.substr(2)] = argv[++i];
      } else {
        words.push_back(arg);
      }
    }
  }
  std::optional<std::string> Get(const std::string& name) const {
    auto it = values.find(name);
    return it == values.end() ? std::nullopt : std::optional(it->second);
  }
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "lumbrix-service: %s\n", message.c_str());
  return 1;
}

int Init(AppDatabase& db) {
  if (!db.CreateSchema()) return Fail(db.Error());
  ApplicationEdit demo;
  demo.id = std::string(lumbrix::build::kAppId);
  demo.key = std::string(lumbrix::build::kAppKey);
  demo.notice = "欢迎使用 Lumbrix 启动器！本公告由本地参考服务提供，内容可随时用 set-app 修改。";
  demo.version = "1.0";
  demo.updateData = "http://127.0.0.1:" + std::to_string(lumbrix::build::kServicePort) + "/download/lumbrix-latest.zip";
  demo.softwareState = "1";
  demo.staticData = "静态数据：演示用数据库";
  if (!db.Apply(demo)) return Fail(db.Error());
  return 0;
}

int SetApp(AppDatabase& db, const Options& options) {
  if (!db.CreateSchema()) return Fail(db.Error());
  ApplicationEdit edit;
  if (!options.Get("id")) return Usage();
  edit.id = *options.Get("id");
  edit.key = options.Get("key");
  edit.notice = options.Get("notice");
  edit.version = options.Get("version");
  edit.updateData = options.Get("update-data");
  edit.softwareState = options.Get("state");
  edit.staticData = options.Get("static-data");
  if (edit.key && edit.key->empty()) return Fail("the key must not be empty");
  return db.Apply(edit) ? 0 : Fail(db.Error());
}

// A request body as the launcher would post it, for load generators.
int RequestBody(AppDatabase& db, const Options& options) {
  const auto id = options.Get("id");
  if (!id) return Usage();
  const auto application = db.Find(*id);
  if (!application) return Fail("unknown application " + *id);
  const std::string cipher = lumbrix::AuthCode::Encode(options.Get("params").value_or("1"), application->key);
  std::printf("id=%s&data=%s\n", id->c_str(), lumbrix::EscapeCipherText(cipher).c_str());
  return 0;
}

int Admin(const Options& options) {
  const auto dbPath = options.Get("db");
  if (!dbPath || options.words.size() < 2) return Usage();
  const std::string& command = options.words[1];
  AppDatabase db(*dbPath, command == "init" || command == "set-app");
  if (!db.Ok()) return Fail(db.Error());
  if (command == "init") return Init(db);
  if (command == "set-app") return SetApp(db, options);
  if (command == "request-body") return RequestBody(db, options);
  return Usage();
}

// Each worker thread reads through a connection of its own.
std::string servedDatabase;
std::optional<Application> Lookup(const std::string& id) {
  thread_local std::unique_ptr<AppDatabase> db;
  if (!db || !db->Ok()) db = std::make_unique<AppDatabase>(servedDatabase, false);
  return db->Ok() ? db->Find(id) : std::nullopt;
}

int Serve(const Options& options) {
  const auto dbPath = options.Get("db");
  const auto listen = options.Get("listen");
  if (!dbPath || !listen) return Usage();
  const auto colon = listen->rfind(':');
  if (colon == std::string::npos) return Usage();
  const std::string host = listen->substr(0, colon);
  const int port = std::atoi(listen->c_str() + colon + 1);
  {
    AppDatabase check(*dbPath, false);
    if (!check.Ok()) return Fail(check.Error());
  }
  servedDatabase = *dbPath;

  // SIGTERM and SIGINT are taken by one thread that stops the server; every
  // other thread has them blocked.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  httplib::Server server;
  server.set_payload_max_length(kMaxBodyBytes);
  server.set_keep_alive_max_count(1000);
  // Small answers in one segment each, without waiting for delayed ACKs.
  server.set_tcp_nodelay(true);
  // A keep-alive connection holds a worker for its life: have enough of them.
  server.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
  server.Post(kGetInfoPath, [](const httplib::Request& request, httplib::Response& response) {
    const auto answer = lumbrix::server::AnswerGetInfo(request.body, Lookup);
    response.status = answer.status;
    response.set_content(answer.body, answer.contentType.c_str());
  });
  const auto wrongMethod = [](const httplib::Request&, httplib::Response& response) {
    response.status = 405;
    response.set_header("Allow", "POST");
    response.set_content("use POST\n", "text/plain");
  };
  server.Get(kGetInfoPath, wrongMethod);
  server.Put(kGetInfoPath, wrongMethod);
  server.Delete(kGetInfoPath, wrongMethod);
  server.set_logger([](const httplib::Request& request, const httplib::Response& response) {
    std::fprintf(stderr, "%s %s %d %zu\n", request.method.c_str(), request.path.c_str(), response.status,
                 response.body.size());
  });
  if (!server.bind_to_port(host.c_str(), port)) return Fail("cannot listen on " + *listen);

  std::atomic<bool> signalled{false}, listenEnded{false};
  std::thread stopper([&server, &signalled, &listenEnded, stopSignals] {
    int received = 0;
    sigwait(&stopSignals, &received);
    signalled = true;
    // A signal may come before the server has started listening; stopping
    // it then would be forgotten, so wait for it to run.
    while (!server.is_running() && !listenEnded) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    server.stop();
  });
  std::fprintf(stderr, "lumbrix-service: listening on %s\n", listen->c_str());
  server.listen_after_bind();
  listenEnded = true;
  // listen may also end without a signal (a failure): wake the stopper then.
  if (!signalled) kill(getpid(), SIGTERM);
  stopper.join();
  std::fputs("lumbrix-service: stopped\n", stderr);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options(argc, argv);
  if (!options.ok || options.words.empty()) return Usage();
  if (options.words[0] == "admin") return Admin(options);
  if (options.words[0] == "serve") return Serve(options);
  return Usage();
}
