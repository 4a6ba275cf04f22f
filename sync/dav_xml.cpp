#include "sync/dav_xml.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

namespace quorvel::sync {
namespace {

QString Qualified(QStringView ns, QStringView name) {
  return QLatin1Char('{') + ns.toString() + QLatin1Char('}') + name.toString();
}

bool Is(const QXmlStreamReader& xml, const char* ns, const char* name) {
  return xml.namespaceUri() == QLatin1String(ns) && xml.name() == QLatin1String(name);
}

// Reads from the start of an element to its end; `depth` counts open
// elements of the whole document so a hostile reply cannot nest forever.
// Bytes are asked for from the source whenever the parser has used up what
// it was given, so a reply is never held whole as bytes.
class Reader {
 public:
  Reader(const ByteSource& source, const ReplyLimits& limits) : source_(source), limits_(limits) {}

  ParseFailure failure() const { return failure_; }

  std::optional<Multistatus> Run() {
    Multistatus result;
    if (!NextStart()) return std::nullopt;
    if (!Is(xml_, kDavNs, "multistatus")) return Malformed();
    while (NextChild()) {
      if (Is(xml_, kDavNs, "response")) {
        if (int(result.responses.size()) >= limits_.most_responses) {
          return Over(ParseFailure::kTooMany);
        }
        DavResponse response;
        if (!ReadResponse(response)) return Malformed();
        result.responses.push_back(std::move(response));
      } else if (Is(xml_, kDavNs, "sync-token")) {
        result.sync_token = ReadText().trimmed();
      } else {
        Skip();
      }
      if (failed_) return Malformed();
    }
    if (failed_) return Malformed();
    // Nothing but whitespace and comments may follow the root; the end of
    // the input is found by asking for more.
    while (Advance()) {
      if (xml_.isStartElement()) return Malformed();
    }
    if (failed_) return Malformed();
    return result;
  }

 private:
  std::nullopt_t Malformed() {
    if (failure_ == ParseFailure::kNone) failure_ = ParseFailure::kMalformed;
    return std::nullopt;
  }
  std::nullopt_t Over(ParseFailure limit) {
    failure_ = limit;
    failed_ = true;
    return std::nullopt;
  }

  // Reads the next token, feeding the parser from the source when it has
  // run out. False at the end of the input (ended_) or on a failure
  // (failed_).
  bool Advance() {
    if (failed_ || ended_) return false;
    while (true) {
      xml_.readNext();
      if (xml_.error() == QXmlStreamReader::PrematureEndOfDocumentError) {
        QByteArray chunk;
        if (!source_(chunk)) {
          ended_ = true;
          return false;
        }
        received_ += chunk.size();
        if (received_ > limits_.most_bytes) {
          Over(ParseFailure::kTooLarge);
          return false;
        }
        // The parser hands a text over only once it has ended, holding all
        // of it meanwhile: a run of bytes without markup longer than the
        // longest text allowed (at four bytes a character) is refused
        // before the parser holds it.
        for (const char c : chunk) {
          text_run_ = c == '<' ? 0 : text_run_ + 1;
          if (text_run_ > 4 * limits_.most_text) {
            Over(ParseFailure::kTooLong);
            return false;
          }
        }
        xml_.addData(chunk);
        continue;
      }
      if (xml_.hasError() || xml_.isDTD()) {
        failed_ = true;
        return false;
      }
      if (xml_.tokenType() == QXmlStreamReader::EndDocument) {
        ended_ = true;
        return false;
      }
      return true;
    }
  }

  bool Enter() {
    if (++depth_ > kDeepestNesting) {
      failed_ = true;
      return false;
    }
    return true;
  }

  bool CheckText(const QString& text) {
    if (text.size() <= limits_.most_text) return true;
    Over(ParseFailure::kTooLong);
    return false;
  }

  // Moves to the document's first element.
  bool NextStart() {
    while (Advance()) {
      if (xml_.isStartElement()) return Enter();
    }
    Malformed();
    return false;
  }

  // Moves to the next child element of the current element, or past the
  // current element's end (returning false).
  bool NextChild() {
    while (Advance()) {
      if (xml_.isStartElement()) return Enter();
      if (xml_.isEndElement()) {
        --depth_;
        return false;
      }
    }
    failed_ = true;
    return false;
  }

  void Skip() {
    while (NextChild()) Skip();
  }

  // All text inside the current element, its descendants' included.
  QString ReadText() {
    QString text;
    int level = 0;
    while (Advance()) {
      if (xml_.isCharacters()) {
        text += xml_.text();
        if (!CheckText(text)) return text;
      } else if (xml_.isStartElement()) {
        if (!Enter()) return text;
        ++level;
      } else if (xml_.isEndElement()) {
        --depth_;
        if (level-- == 0) return text;
      }
    }
    failed_ = true;
    return text;
  }

  void ReadProperty(DavProperty& property) {
    int level = 0;
    while (Advance()) {
      if (xml_.isCharacters()) {
        property.text += xml_.text();
        if (!CheckText(property.text)) return;
      } else if (xml_.isStartElement()) {
        if (!Enter()) return;
        if (level == 0) {
          property.children.push_back(Qualified(xml_.namespaceUri(), xml_.name()));
          const QStringView name = xml_.attributes().value(QStringLiteral("name"));
          if (!name.isEmpty()) property.names.push_back(name.toString());
        }
        if (Is(xml_, kDavNs, "href")) {
          const QString href = ReadText().trimmed();
          if (failed_) return;
          property.text += href;
          property.hrefs.push_back(href);
          if (!CheckText(property.text)) return;
          continue;
        }
        ++level;
      } else if (xml_.isEndElement()) {
        --depth_;
        if (level-- == 0) return;
      }
    }
    failed_ = true;
  }

  void ReadPropstat(DavResponse& response) {
    std::vector<std::pair<QString, DavProperty>> properties;
    int status = 0;
    while (NextChild()) {
      if (Is(xml_, kDavNs, "prop")) {
        while (NextChild()) {
          std::pair<QString, DavProperty> entry;
          entry.first = Qualified(xml_.namespaceUri(), xml_.name());
          ReadProperty(entry.second);
          if (failed_) return;
          properties.push_back(std::move(entry));
        }
      } else if (Is(xml_, kDavNs, "status")) {
        status = StatusCode(ReadText());
      } else {
        Skip();
      }
      if (failed_) return;
    }
    for (auto& [name, property] : properties) {
      if (status >= 200 && status < 300) {
        response.properties[name] = std::move(property);
      } else {
        response.missing.push_back(name);
      }
    }
  }

  bool ReadResponse(DavResponse& response) {
    bool has_href = false;
    while (NextChild()) {
      if (Is(xml_, kDavNs, "href")) {
        const QString href = ReadText().trimmed();
        // A response names one resource; only the first href counts.
        if (!has_href) response.href = href;
        has_href = true;
      } else if (Is(xml_, kDavNs, "status")) {
        response.status = StatusCode(ReadText());
      } else if (Is(xml_, kDavNs, "propstat")) {
        ReadPropstat(response);
      } else {
        Skip();
      }
      if (failed_) return false;
    }
    return !failed_ && has_href;
  }

  const ByteSource& source_;
  const ReplyLimits limits_;
  QXmlStreamReader xml_;
  qsizetype text_run_ = 0;  // bytes since the last '<'

  qsizetype received_ = 0;
  int depth_ = 0;
  bool failed_ = false;
  bool ended_ = false;
  ParseFailure failure_ = ParseFailure::kNone;
};

}  // namespace

QString QualifiedName(const char* ns, const char* name) {
  return Qualified(QString::fromLatin1(ns), QString::fromLatin1(name));
}

const DavProperty* DavResponse::Find(const char* ns, const char* name) const {
  auto it = properties.find(QualifiedName(ns, name));
  return it == properties.end() ? nullptr : &it->second;
}

QString DavResponse::Text(const char* ns, const char* name) const {
  const DavProperty* property = Find(ns, name);
  return property ? property->text.trimmed() : QString();
}

int StatusCode(const QString& status_line) {
  static const QRegularExpression kStatus(QStringLiteral("^\\s*HTTP/\\d+(?:\\.\\d+)?\\s+(\\d{3})"));
  const QRegularExpressionMatch match = kStatus.match(status_line);
  return match.hasMatch() ? match.captured(1).toInt() : 0;
}

std::optional<Multistatus> ParseMultistatus(const ByteSource& source, const ReplyLimits& limits,
                                            ParseFailure* failure) {
  Reader reader(source, limits);
  auto result = reader.Run();
  if (failure) *failure = result ? ParseFailure::kNone : reader.failure();
  return result;
}

std::optional<Multistatus> ParseMultistatus(const QByteArray& body, const ReplyLimits& limits,
                                            ParseFailure* failure) {
  // Given in parts, as a network would.
  constexpr qsizetype kPart = 64 * 1024;
  qsizetype at = 0;
  const ByteSource parts = [&](QByteArray& chunk) {
    if (at >= body.size()) return false;
    chunk += body.mid(at, kPart);
    at += kPart;
    return true;
  };
  return ParseMultistatus(parts, limits, failure);
}

}  // namespace quorvel::sync
