// How a vCard writes the values the address book holds, shared by reading
// a card and patching one: what the reader turned a value into is what the
// patcher looks for.
#pragma once

#include <QString>
#include <QStringList>

namespace quorvel::interchange {

// A vCard 4.0 value that may be a URI ("tel:+44 20 ...", "mailto:..."),
// without its scheme.
QString WithoutScheme(const QString& value, const char* scheme);

// The ways to write the number of a TEL value, the fullest first: plain
// text as it stands; a tel: URI ("tel:+1-418-656-9254;ext=102") as its
// number and extension ("+1-418-656-9254 ext. 102"), then shorter forms of
// the same for a small box ("+1-418-656-9254 x102", "+14186569254 x102").
QStringList PhoneForms(const QString& value);

}  // namespace quorvel::interchange
