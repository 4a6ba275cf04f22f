// `quorvel --search WORDS`: the results Find… shows, as lines of text.
#pragma once

#include <QDate>
#include <QTextStream>

#include "app/command_line.h"
#include "search/search.h"

namespace quorvel {

// The command-line option.
CommandLineOptions SearchCommandLine();

// Writes one line per result of `query` to `out`, in the order Find…
// lists them, its fields separated by tabs: the kind ("appointment",
// "note", "entry"), the date and start time (dd/mm/yyyy hh:mm) or the
// letter group, the title, the matching text. Returns how many were found.
std::size_t PrintSearch(const store::DataFiles& files, const search::Query& query,
                        const QDate& today, QTextStream& out);

}  // namespace quorvel
