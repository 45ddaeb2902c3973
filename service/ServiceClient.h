// The launcher's one client of the software-information service. Every
// request has one shape: the parameter text in UTF-8, enciphered with the
// application key, posted with the application id; the answer deciphered
// with the same key.
#pragma once

#include <string>
#include <string_view>

namespace lumbrix {

class ServiceClient {
 public:
  // Construction and destruction bracket one COM initialisation of the thread.
  ServiceClient();
  ~ServiceClient();
  ServiceClient(const ServiceClient& other);
  ServiceClient& operator=(const ServiceClient& other) = default;

  void Init(std::string_view appId, std::string_view baseAddress, std::string_view appKey);
  // The deciphered answer of "Software/getInfo", or an empty text.
  std::string GetInfo();
  // One enciphered exchange with `endpoint`; the deciphered answer text, or
  // an empty text when the exchange or the decipherment failed.
  std::string Request(std::string_view endpoint, std::string_view params);

 private:
  std::string appId_;
  std::string baseAddress_;
  std::string appKey_;
};

// The escapes applied to cipher text in a form body, in this order:
// "+" -> "%2B", "&" -> "%26", "/" -> "%2F".
std::string EscapeCipherText(std::string_view cipher);

}  // namespace lumbrix
