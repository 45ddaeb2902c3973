// The service-information display: asks the service for the application's
// published information and shows it in the main window. Its one failure
// path is the self-closing error box and the end of the process.
#pragma once

#include <functional>

#include "controls/MarqueeLabel.h"
#include "launcher/MainWindow.h"
#include "script/JsonDocument.h"
#include "service/ServiceClient.h"

namespace lumbrix {

// The long-lived objects of the display, created in this order before the
// main window and released in the same order at the end of the process.
struct GlobalObjects {
  std::unique_ptr<ServiceClient> client;
  std::unique_ptr<JsonDocument> answer;
  std::unique_ptr<MarqueeLabel> announcement;
  void Create();
  void Release();
};

void ShowServiceInformation(MainWindow& window, GlobalObjects& objects, const std::function<void(int)>& endProcess);

}  // namespace lumbrix
