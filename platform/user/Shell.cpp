// Shell open: the address goes to xdg-open as its one argument, never
// through a shell.
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <thread>

#include "platform/kernel/CodePage.h"
#include "platform/user/UserInternal.h"

extern char** environ;

namespace win::user {

namespace {

bool OpenWithXdgOpen(const std::string&, const std::string& file) {
  const std::string utf8 = Utf8FromAnsi(file);
  char program[] = "xdg-open";
  std::vector<char*> argv{program, const_cast<char*>(utf8.c_str()), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 1, 0);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, program, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  // Reap it when it ends, without holding the caller.
  std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
  return true;
}

ShellOpenHandler& Handler() {
  static ShellOpenHandler handler = OpenWithXdgOpen;
  return handler;
}

}  // namespace

void SetShellOpenHandler(ShellOpenHandler handler) { Handler() = handler ? std::move(handler) : OpenWithXdgOpen; }

}  // namespace win::user

namespace win {

HINSTANCE ShellExecuteA(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, int) {
  constexpr ULONG_PTR kFileNotFound = 2, kNoAssociation = 31, kDone = 42;
  const std::string action = verb ? user::Lower(verb) : "open";
  if (!file || !*file) return reinterpret_cast<HINSTANCE>(kFileNotFound);
  if (action != "open") return reinterpret_cast<HINSTANCE>(kNoAssociation);
  const bool ok = user::Handler()(verb ? verb : "open", file);
  return reinterpret_cast<HINSTANCE>(ok ? kDone : kNoAssociation);
}

}  // namespace win
