#include "launcher/Resources.h"

#include "platform/user/WindowSystem.h"

namespace lumbrix {

void RegisterResources() {
  const auto* png = reinterpret_cast<const unsigned char*>(kIconPng.data());
  win::user::RegisterIconResource(kIconId, png, kIconPng.size());
  win::user::RegisterIconResource("DEFAULT_ICON", png, kIconPng.size());
}

}  // namespace lumbrix
