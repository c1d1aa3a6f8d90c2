// quarnel-inspect's command line: the arguments read against the tables of OptionTable.h, the
// usage text written from them, and the chosen mode run.
#include "inspect/CommandLine.h"

#include "inspect/OptionTable.h"

#include <algorithm>
#include <cassert>
#include <new>
#include <span>

namespace quarnel {

namespace {

// A help's text starts in this column, after "  ", its label and at least two spaces.
constexpr size_t kHelpColumn = 17;

// The lines of text (split at '\n'), the first after first, the others after rest.
void AppendLines(std::string& text, const std::string& first, const std::string& rest,
                 std::string_view lines) {
  std::string_view prefix = first;
  for (size_t start = 0; start <= lines.size();) {
    const size_t end = std::min(lines.find('\n', start), lines.size());
    text.append(prefix).append(lines.substr(start, end - start)) += '\n';
    prefix = rest;
    start = end + 1;
  }
}

// "  LABEL   help...", or the label on a line of its own when it is too long.
void AppendHelp(std::string& text, const std::string& label, const char* help) {
  const std::string indent(kHelpColumn, ' ');
  std::string first = "  " + label;
  if (2 + label.size() + 2 <= kHelpColumn)
    first.resize(kHelpColumn, ' ');
  else
    first += "\n" + indent;
  AppendLines(text, first, indent, help);
}

// "--png OUT.png", "--json".
std::string Synopsis(const TOptionSpec& option) {
  return option.Arity == 0 ? option.Name : std::string(option.Name) + " " + option.Values;
}

std::string LabelOf(const TOptionSpec& option) {
  return option.Label != nullptr ? option.Label : Synopsis(option);
}

const TOptionSpec* FindOption(std::string_view name) {
  for (const TOptionSpec& option : InspectOptions())
    if (name == option.Name || (option.Alias != nullptr && name == option.Alias))
      return &option;
  return nullptr;
}

const TOptionSpec& OptionNamed(std::string_view name) {
  const TOptionSpec* option = FindOption(name);
  assert(option != nullptr);
  return *option;
}

const TModeSpec* ModeOf(const TOptionSpec& option) {
  for (const TModeSpec& mode : InspectModes())
    if (mode.Option != nullptr && mode.Option == std::string_view(option.Name))
      return &mode;
  return nullptr;
}

bool Takes(const TModeSpec& mode, std::string_view option) {
  return (mode.Option != nullptr && option == mode.Option) ||
         std::find(mode.Takes.begin(), mode.Takes.end(), option) != mode.Takes.end();
}

// "a", "a or b", "a, b or c" with the last word "or" or "and".
std::string Enumeration(const std::vector<std::string>& items, const char* last) {
  std::string text;
  for (size_t k = 0; k < items.size(); ++k) {
    if (k > 0)
      text += k + 1 == items.size() ? std::string(" ") + last + " " : ", ";
    text += items[k];
  }
  return text;
}

const TModeSpec& DefaultMode() {
  const auto& modes = InspectModes();
  const auto mode = std::find_if(modes.begin(), modes.end(),
                                 [](const TModeSpec& m) { return m.Option == nullptr; });
  assert(mode != modes.end());
  return *mode;
}

// The command line as read: the mode, the options given and their values.
struct TParsed {
  const TModeSpec* Mode = nullptr;
  std::vector<const TOptionSpec*> Given; // in the order given
  TInspectOptions Options;
};

// The mode whose option is given and which takes the other modes' options given.
const TModeSpec& ChooseMode(const TParsed& parsed) {
  std::vector<const TModeSpec*> chosen;
  for (const TOptionSpec* option : parsed.Given)
    if (const TModeSpec* mode = ModeOf(*option))
      chosen.push_back(mode);
  if (chosen.empty())
    return DefaultMode();
  for (const TModeSpec* mode : chosen)
    if (std::all_of(chosen.begin(), chosen.end(),
                    [&](const TModeSpec* other) { return Takes(*mode, other->Option); }))
      return *mode;
  // Name the first two that neither takes, else one that the first does not take.
  const auto refuse = [](const TModeSpec* a, const TModeSpec* b) {
    return TUsageError(std::string(a->Option) + " goes without " + b->Option);
  };
  for (size_t i = 0; i < chosen.size(); ++i)
    for (size_t j = i + 1; j < chosen.size(); ++j)
      if (!Takes(*chosen[i], chosen[j]->Option) && !Takes(*chosen[j], chosen[i]->Option))
        throw refuse(chosen[i], chosen[j]);
  for (const TModeSpec* other : chosen)
    if (!Takes(*chosen[0], other->Option))
      throw refuse(chosen[0], other);
  assert(false && "the first mode takes all others, so it was chosen");
  return *chosen[0];
}

void CheckOptionsOfMode(const TParsed& parsed, const TModeSpec& mode) {
  const TInspectOptions& options = parsed.Options;
  for (const TOptionSpec* option : parsed.Given) {
    if (Takes(mode, option->Name))
      continue;
    if (mode.Option != nullptr)
      throw TUsageError(std::string(option->Name) + " does not go with " + mode.Option);
    std::vector<std::string> modes;
    for (const TModeSpec& other : InspectModes())
      if (Takes(other, option->Name) && other.Option != nullptr)
        modes.push_back(other.Option);
    assert(!modes.empty() && "every option belongs to a mode");
    throw TUsageError(std::string(option->Name) + " goes with " + Enumeration(modes, "or"));
  }
  std::vector<std::string> missing;
  for (const std::string_view needed : mode.Needs)
    if (!options.Has(needed))
      missing.push_back(Synopsis(OptionNamed(needed)));
  if (!missing.empty())
    throw TUsageError(std::string(mode.Option) + " needs " + Enumeration(missing, "and"));
  for (const TOptionSpec* option : parsed.Given)
    if (option->Needs != nullptr && !options.Has(option->Needs))
      throw TUsageError(std::string(option->Name) + " needs " +
                        Synopsis(OptionNamed(option->Needs)));
}

void CheckMapCount(const TInspectOptions& options, const TModeSpec& mode) {
  const size_t count = options.Maps.size();
  if (count >= mode.MinMaps && count <= mode.MaxMaps)
    return;
  if (mode.Option == nullptr)
    throw TUsageError("no map file given");
  throw TUsageError(std::string(mode.Option) + " needs " + mode.MapsText + ", not " +
                    std::to_string(count));
}

TParsed ParseArguments(const std::vector<std::string>& args, const TBuild& build) {
  TParsed parsed;
  TInspectOptions& options = parsed.Options;
  bool optionsEnded = false;
  for (size_t k = 0; k < args.size(); ++k) {
    const std::string& arg = args[k];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      options.Maps.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const TOptionSpec* option = FindOption(arg);
    if (option == nullptr)
      throw TUsageError("unknown option " + arg);
    if (option->Immediate) {
      parsed.Mode = ModeOf(*option);
      return parsed;
    }
    if (options.Has(option->Name))
      throw TUsageError(std::string(option->Name) + " is given twice");
    if (args.size() - 1 - k < option->Arity)
      throw TUsageError(arg + (option->Arity == 1
                                   ? " needs a value"
                                   : " needs " + std::to_string(option->Arity) + " values"));
    parsed.Given.push_back(option);
    options.Given.push_back(option->Name);
    if (option->Store != nullptr)
      option->Store(options, std::span(args).subspan(k + 1, option->Arity));
    k += option->Arity;
  }
  const TModeSpec& mode = ChooseMode(parsed);
  CheckOptionsOfMode(parsed, mode);
  CheckMapCount(options, mode);
  if (mode.Check != nullptr)
    mode.Check(options);
  for (const TOptionSpec* option : parsed.Given)
    if (!build.Has(option->Feature))
      throw Exception(std::string("this build has no ") + FeatureName(option->Feature) + ": " +
                      option->Name + " is not available");
  parsed.Mode = &mode;
  return parsed;
}

} // namespace

std::string InspectUsage(bool pngAvailable, bool viewAvailable) {
  const TBuild build{pngAvailable, viewAvailable};
  std::string text = "Usage:\n";
  for (const TModeSpec& mode : InspectModes())
    AppendLines(text, "  quarnel-inspect ", std::string(18, ' '), mode.Usage);
  text += "\n"
          "Reads map files written by quarnel and checks that each is sound; a defect is\n"
          "reported with the file name and its byte offset.\n"
          "\n";
  for (const TModeSpec& mode : InspectModes())
    if (*mode.Help != '\0')
      AppendHelp(text, mode.Label != nullptr ? mode.Label : mode.Option, mode.Help);
  text += "\nOptions:\n";
  for (const TOptionSpec& option : InspectOptions())
    if (*option.Help != '\0')
      AppendHelp(text, LabelOf(option), option.Help);
  for (const TOptionSpec& option : InspectOptions())
    if (!build.Has(option.Feature))
      text += std::string("\nThis build has no ") + FeatureName(option.Feature) + ": " +
              option.Name + " is not available.\n";
  text += "\n"
          "Exit status: 0 when all is well (with --diff: the maps are equal), 1 when --diff\n"
          "finds the maps different, a map disagrees with --why or --path finds no path,\n"
          "2 on an error.\n";
  return text;
}

int RunInspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const TImageWriter& writePng, const TViewWriter& writeView) {
  const TBuild build{static_cast<bool>(writePng), static_cast<bool>(writeView)};
  const std::string usage = InspectUsage(build.Png, build.View);
  const TInspectIo io{out, err, writePng, writeView, usage};
  if (args.empty()) {
    err << usage;
    return kInspectError;
  }
  try {
    const TParsed parsed = ParseArguments(args, build);
    return parsed.Mode->Run(parsed.Options, io);
  } catch (const TUsageError& e) {
    err << "quarnel-inspect: " << e.what() << "\n"
        << "Run quarnel-inspect --help for the usage.\n";
  } catch (const std::bad_alloc&) {
    err << "quarnel-inspect: " << kOutOfMemory << "\n";
  } catch (const std::exception& e) {
    err << "quarnel-inspect: " << e.what() << "\n";
  }
  return kInspectError;
}

} // namespace quarnel
