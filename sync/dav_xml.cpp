#include "sync/dav_xml.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

namespace quorvel::sync {
namespace {

constexpr int kDeepestNesting = 64;

QString Qualified(QStringView ns, QStringView name) {
  return QLatin1Char('{') + ns.toString() + QLatin1Char('}') + name.toString();
}

bool Is(const QXmlStreamReader& xml, const char* ns, const char* name) {
  return xml.namespaceUri() == QLatin1String(ns) && xml.name() == QLatin1String(name);
}

// Reads from the start of an element to its end; `depth` counts open
// elements of the whole document so a hostile reply cannot nest forever.
class Reader {
 public:
  explicit Reader(const QByteArray& body) : xml_(body) {}

  std::optional<Multistatus> Run() {
    Multistatus result;
    if (!NextStart()) return std::nullopt;
    if (!Is(xml_, kDavNs, "multistatus")) return std::nullopt;
    while (NextChild()) {
      if (Is(xml_, kDavNs, "response")) {
        DavResponse response;
        if (!ReadResponse(response)) return std::nullopt;
        result.responses.push_back(std::move(response));
      } else if (Is(xml_, kDavNs, "sync-token")) {
        result.sync_token = ReadText().trimmed();
      } else {
        Skip();
      }
      if (failed_) return std::nullopt;
    }
    if (failed_) return std::nullopt;
    // Nothing but whitespace and comments may follow the root.
    while (!xml_.atEnd()) {
      xml_.readNext();
      if (xml_.isStartElement() || xml_.isDTD()) return std::nullopt;
    }
    if (xml_.hasError() && xml_.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
      return std::nullopt;
    }
    return result;
  }

 private:
  // Moves to the document's first element.
  bool NextStart() {
    while (!xml_.atEnd()) {
      xml_.readNext();
      if (xml_.isDTD()) return false;
      if (xml_.isStartElement()) {
        ++depth_;
        return true;
      }
    }
    return false;
  }

  // Moves to the next child element of the current element, or past the
  // current element's end (returning false).
  bool NextChild() {
    while (!xml_.atEnd()) {
      xml_.readNext();
      if (xml_.isDTD() || xml_.hasError()) {
        failed_ = true;
        return false;
      }
      if (xml_.isStartElement()) {
        if (++depth_ > kDeepestNesting) {
          failed_ = true;
          return false;
        }
        return true;
      }
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
    while (!xml_.atEnd()) {
      xml_.readNext();
      if (xml_.isDTD() || xml_.hasError()) break;
      if (xml_.isCharacters()) {
        text += xml_.text();
      } else if (xml_.isStartElement()) {
        if (++depth_ > kDeepestNesting) break;
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
    while (!xml_.atEnd()) {
      xml_.readNext();
      if (xml_.isDTD() || xml_.hasError()) break;
      if (xml_.isCharacters()) {
        property.text += xml_.text();
      } else if (xml_.isStartElement()) {
        if (++depth_ > kDeepestNesting) break;
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

  QXmlStreamReader xml_;
  int depth_ = 0;
  bool failed_ = false;
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

std::optional<Multistatus> ParseMultistatus(const QByteArray& body) {
  return Reader(body).Run();
}

}  // namespace quorvel::sync
