// The readers of every subsystem, run over a file set whatever it holds:
// those that work without windows on the fuzzer's in-memory files, and,
// when QUORVEL_FUZZ_WINDOWS=1, the windows' filling on a real folder.
#pragma once

#include <cstdint>

#include <QByteArray>
#include <QList>

#include "store/data_files.h"

namespace quorvel::fuzz {

// Creates what the window filling needs (the Qt application, the windows).
void InitializeReaders();
// `selector` picks dates and items to look at.
void RunReaders(const store::DataFiles& files, std::uint8_t selector);
// Writes `parts` (files, then journals) into a folder and fills every
// window from it; does nothing unless window filling is on.
void FillWindows(const QList<QByteArray>& parts, std::uint8_t selector);

}  // namespace quorvel::fuzz
