// Arbitrary bytes as a server's multistatus reply: parsing must never
// crash, hang or read outside the input, and what it returns must hold
// together.
#include <cstddef>
#include <cstdint>

#include <QByteArray>

#include "sync/dav_xml.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const auto parsed = quorvel::sync::ParseMultistatus(body);
  if (parsed) {
    for (const auto& response : parsed->responses) {
      for (const auto& [name, property] : response.properties) {
        if (!name.startsWith(QLatin1Char('{'))) __builtin_trap();
        if (property.children.size() < property.names.size()) __builtin_trap();
      }
    }
  }
  return 0;
}
