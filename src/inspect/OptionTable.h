// quarnel-inspect's modes and options as data. The parser (CommandLine.cpp) reads the arguments
// against these tables, and the usage text and the errors on the command line come from them: a
// new mode is one entry of InspectModes() and its handler (MapModes.h, WhyMode.h,
// RegionsModes.h), a new option one entry of InspectOptions().
//
// How the tables are read:
// - An argument that starts with '-' and is longer than "-" is an option, until "--"; every
//   other argument is a map file, in order.
// - An unknown option: "unknown option X". An option takes the Arity arguments after it as
//   its values, whatever they look like: "X needs a value" (or "X needs N values") when too few
//   are left. Each option is given once: "X is given twice".
// - An Immediate option (--help, --version) runs its mode at once: the arguments after it are
//   not read, and the rules below are not applied.
// - The mode is the one whose Option is given; when several modes' options are given, the one
//   whose Takes holds the others ("--diff ... --view OUT.html" is --diff): otherwise
//   "A goes without B" for the first two of them that neither takes. With none given, the mode
//   without an Option.
// - Each option given that the mode does not take: "X does not go with MODE", or for the mode
//   without an Option, "X goes with A or B" (the modes that take it).
// - The mode's Needs: "MODE needs A VALUES, B VALUES and C VALUES" (those missing). An option's
//   Needs: "X needs A VALUES".
// - The map files: for a count outside MinMaps to MaxMaps, "MODE needs MapsText, not N", or for
//   the mode without an Option "no map file given". Then the mode's Check.
// - Last, an option whose Feature the build lacks: "this build has no FEATURE: X is not
//   available" (FeatureName), without the pointer to the usage.
// All but the last are TUsageErrors; every error exits with status 2.
#pragma once

#include "inspect/InspectOptions.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

// A part of the program that a build may lack.
enum class TFeature { None, Png, View };

// What the build has: PNG output needs stb_image_write, the viewer page zlib.
struct TBuild {
  bool Png = false, View = false;
  bool Has(TFeature feature) const;
};

// What a build without the feature lacks, as its messages name it: "PNG support", "zlib".
const char* FeatureName(TFeature feature);

// An option; the table gives each field that differs from these defaults.
struct TOptionSpec {
  const char* Name = "";             // "--png"
  const char* Alias = nullptr;       // another spelling ("-h" for --help), or nullptr
  size_t Arity = 0;                  // how many arguments after it are its values
  const char* Values = "";           // their names in the usage text and errors ("OUT.png")
  const char* Label = nullptr;       // what its help is listed under; nullptr: Name and Values
  const char* Help = "";             // its lines under "Options:" (split at '\n'); "": none
  const char* Needs = nullptr;       // an option that must be given with it ("--png" for --scale)
  TFeature Feature = TFeature::None; // the part of the build it needs
  bool Immediate = false;            // runs its mode at once, reading no further argument
  // Stores its Arity values in the options, raising a TUsageError for a value it refuses
  // ("--scale needs a whole number of 1 or more, not '0'"); nullptr: nothing to store.
  void (*Store)(TInspectOptions& options, std::span<const std::string> values) = nullptr;
};

// A mode; the table gives each field that differs from these defaults.
struct TModeSpec {
  const char* Option = nullptr; // the option that chooses it ("--diff"); nullptr: the default
  const char* Label = nullptr;  // what its help is listed under; nullptr: Option
  const char* Usage = "";       // its usage lines after "quarnel-inspect " (split at '\n')
  const char* Help = "";        // its lines in the usage text (split at '\n'); "": none
  std::vector<std::string_view> Takes = {}; // the options it takes besides its own
  std::vector<std::string_view> Needs = {}; // those of Takes it cannot go without
  size_t MinMaps = 0, MaxMaps = SIZE_MAX;   // how many map files it reads
  const char* MapsText = "";                // that count in words ("two map files")
  // Its further rules on the command line, raising a TUsageError; nullptr: none.
  void (*Check)(const TInspectOptions& options) = nullptr;
  // Does the work and returns the exit status; raises an Exception on failure.
  int (*Run)(const TInspectOptions& options, const TInspectIo& io) = nullptr;
};

// The tables, in the order of the usage text.
const std::vector<TOptionSpec>& InspectOptions();
const std::vector<TModeSpec>& InspectModes();

} // namespace quarnel
