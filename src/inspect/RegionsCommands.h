// quarnel-inspect --regions, --path and --seal: what each reads, runs and prints.
#pragma once

#include "inspect/CommandLine.h"
#include "inspect/MapStats.h"
#include "inspect/OptionTable.h"

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace quarnel {

inline constexpr size_t kListedRegions = 20;

struct TRegionsRequest {
  std::vector<std::string> Maps; // --regions: the maps; --path: one; --seal: IN and OUT
  bool Diagonal = false;
  size_t Limit = kListedRegions; // --regions: the other regions and gaps listed
  bool Json = false;
  std::string Png; // empty: no picture
  uint32_t Scale = 1;
  TCell Start, End;      // --path
  uint64_t SealSize = 0; // --seal
};

// Each returns the exit status and raises an Exception on an error: a defective map, a
// picture that cannot be written, and for --seal the failures of CheckSealTarget and
// SaveMapReplacing (Seal.h).
// --regions: prints each map's regions (text, or one JSON document, an array for several maps)
// and draws the one map's regions with --png. Returns kInspectOk.
int RunRegions(const TRegionsRequest& request, std::ostream& out, const TImageWriter& writePng);
// --path: returns kInspectOk when a path exists, kInspectMapsDiffer when none does.
int RunPath(const TRegionsRequest& request, std::ostream& out, const TImageWriter& writePng);
// --seal: writes the sealed copy of Maps[0] to Maps[1]. Returns kInspectOk.
int RunSeal(const TRegionsRequest& request, std::ostream& out);

// The handlers of the modes' table (OptionTable.h): the request taken from the command line.
int RunRegionsMode(const TInspectOptions& options, const TInspectIo& io);
int RunPathMode(const TInspectOptions& options, const TInspectIo& io);
int RunSealMode(const TInspectOptions& options, const TInspectIo& io);

} // namespace quarnel
