// Reading whole files, with the system's messages for failures.
#pragma once

#include "common/FileIO.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quarnel {

// Opens an existing file for reading only; raises "Error opening file: " + fileName.
TFile OpenForReading(const std::string& fileName);

// Replaces bytes with the rest of the file, from where it stands to its end; a pipe will do.
// bytes keeps its storage from one file to the next. False when a read fails.
bool ReadToEnd(TFile& file, std::vector<uint8_t>& bytes);

} // namespace quarnel
