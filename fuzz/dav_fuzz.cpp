// Arbitrary bytes as a server's multistatus reply: parsing must never
// crash, hang or read outside the input, what it returns must hold
// together, and it must keep to its limits (size, count, nesting) however
// the bytes are split as they arrive. The first byte chooses the split.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include <QByteArray>
#include <QXmlStreamReader>

#include "sync/dav_xml.h"

namespace {

// The deepest element nesting of `body`, read by Qt's own reader.
int Depth(const QByteArray& body) {
  QXmlStreamReader xml(body);
  int depth = 0;
  int deepest = 0;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) deepest = std::max(deepest, ++depth);
    if (xml.isEndElement()) --depth;
  }
  return deepest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const qsizetype part = 1 + data[0] % 97;
  const QByteArray body(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
  quorvel::sync::ReplyLimits limits;
  limits.most_bytes = 16 * 1024;
  limits.most_responses = 20;
  limits.most_text = 512;
  qsizetype at = 0;
  qsizetype handed = 0;
  const quorvel::sync::ByteSource source = [&](QByteArray& chunk) {
    if (at >= body.size()) return false;
    chunk += body.mid(at, part);
    handed += std::min(part, body.size() - at);
    at += part;
    return true;
  };
  quorvel::sync::ParseFailure why = quorvel::sync::ParseFailure::kNone;
  const auto parsed = quorvel::sync::ParseMultistatus(source, limits, &why);
  // Never more asked for than one part past the byte limit.
  if (handed > limits.most_bytes + part) __builtin_trap();
  if (!parsed) {
    if (why == quorvel::sync::ParseFailure::kNone) __builtin_trap();
    return 0;
  }
  if (why != quorvel::sync::ParseFailure::kNone) __builtin_trap();
  if (body.size() > limits.most_bytes) __builtin_trap();
  if (int(parsed->responses.size()) > limits.most_responses) __builtin_trap();
  if (Depth(body) > quorvel::sync::kDeepestNesting) __builtin_trap();
  for (const auto& response : parsed->responses) {
    if (response.href.size() > limits.most_text) __builtin_trap();
    for (const auto& [name, property] : response.properties) {
      if (!name.startsWith(QLatin1Char('{'))) __builtin_trap();
      if (property.children.size() < property.names.size()) __builtin_trap();
      if (property.text.size() > limits.most_text) __builtin_trap();
    }
  }
  return 0;
}
