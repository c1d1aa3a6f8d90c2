// quarnel-inspect's command line as read: the values of the options, where a mode writes, the
// exit statuses and the mistakes reported with a pointer to the usage.
#pragma once

#include "common/UTypes.h"
#include "pictures/Image.h"
#include "viewer/ViewRequest.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

inline constexpr int kInspectOk = 0;
inline constexpr int kInspectMapsDiffer = 1;
inline constexpr int kInspectError = 2;

// Writes a picture to a file; raises an Exception on failure.
using TImageWriter = std::function<void(const TImage& image, const std::string& fileName)>;

// Writes the viewer page; raises an Exception on failure.
using TViewWriter = std::function<void(const TViewRequest& request)>;

// The values of the options given.
struct TInspectOptions {
  std::vector<std::string_view> Given; // the options' names, in the order given
  std::vector<std::string> Maps;       // the map files, in order
  std::string Png;                     // --png; empty: no picture
  uint32_t Scale = 1;                  // --scale
  std::string View;                    // --view; empty: no page
  uint32_t Row = 0, Column = 0;        // --why
  std::string Objects, Meshes;         // --objects, --meshes; empty when not given
  std::string Versions[2];             // --changes: the object files before and after
  std::string OldMeshes;               // --old-meshes; empty: the mesh folder of both
  uint32_t WorldSize = 0;              // --size
  uint32_t PathCells[2][2] = {};       // --path: start and end, each row and column
  uint64_t SealSize = 0;               // --seal
  uint32_t Limit = 20;                 // --limit

  // Whether the option (its name) is given.
  bool Has(std::string_view option) const {
    return std::find(Given.begin(), Given.end(), option) != Given.end();
  }
};

// A mistake on the command line: reported with a pointer to the usage text.
class TUsageError : public Exception {
public:
  using Exception::Exception;
};

// Where a mode writes and with what.
struct TInspectIo {
  std::ostream& Out;
  std::ostream& Err;
  const TImageWriter& WritePng; // empty without PNG support
  const TViewWriter& WriteView; // empty without zlib
  const std::string& Usage;     // the usage text of this build
};

} // namespace quarnel
