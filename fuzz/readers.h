// The readers of every subsystem that work without windows, run over a
// file set whatever it holds.
#pragma once

#include <cstdint>

#include "store/data_files.h"

namespace quorvel::fuzz {

void InitializeReaders();
// `selector` picks dates and items to look at.
void RunReaders(const store::DataFiles& files, std::uint8_t selector);

}  // namespace quorvel::fuzz
