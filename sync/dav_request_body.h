// Request bodies of the CalDAV/CardDAV client, written by an XML writer so
// hrefs and tokens are escaped.
#pragma once

#include <QByteArray>
#include <QString>
#include <QXmlStreamWriter>

#include "sync/dav_xml.h"

namespace quorvel::sync {

class RequestBody {
 public:
  RequestBody(const char* ns, const char* root) : xml_(&bytes_) {
    xml_.writeStartDocument();
    xml_.writeNamespace(QString::fromLatin1(kDavNs), QStringLiteral("d"));
    xml_.writeNamespace(QString::fromLatin1(kCalDavNs), QStringLiteral("c"));
    xml_.writeNamespace(QString::fromLatin1(kCardDavNs), QStringLiteral("a"));
    xml_.writeNamespace(QString::fromLatin1(kCalServerNs), QStringLiteral("cs"));
    xml_.writeStartElement(QString::fromLatin1(ns), QString::fromLatin1(root));
  }
  RequestBody& Open(const char* ns, const char* name) {
    xml_.writeStartElement(QString::fromLatin1(ns), QString::fromLatin1(name));
    return *this;
  }
  RequestBody& Close() {
    xml_.writeEndElement();
    return *this;
  }
  RequestBody& Empty(const char* ns, const char* name) {
    xml_.writeEmptyElement(QString::fromLatin1(ns), QString::fromLatin1(name));
    return *this;
  }
  RequestBody& Text(const char* ns, const char* name, const QString& text) {
    xml_.writeTextElement(QString::fromLatin1(ns), QString::fromLatin1(name), text);
    return *this;
  }
  RequestBody& Attribute(const char* name, const QString& value) {
    xml_.writeAttribute(QString::fromLatin1(name), value);
    return *this;
  }
  QByteArray Done() {
    xml_.writeEndDocument();
    return bytes_;
  }

 private:
  QByteArray bytes_;
  QXmlStreamWriter xml_;
};

// A PROPFIND body asking for `names` (pairs of namespace and name).
template <typename... Names>
QByteArray PropfindBody(Names... names) {
  RequestBody body(kDavNs, "propfind");
  body.Open(kDavNs, "prop");
  (body.Empty(names.first, names.second), ...);
  return body.Close().Done();
}

}  // namespace quorvel::sync
