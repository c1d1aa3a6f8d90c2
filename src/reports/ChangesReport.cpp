// What changed between two versions of a world, as text and as JSON.
#include "reports/ChangesReport.h"

#include "common/UTypes.h"
#include "reports/ObjectReport.h"
#include "segutils/MapFormat.h"

#include <algorithm>
#include <exception>
#include <new>
#include <numeric>
#include <sstream>
#include <thread>

namespace quarnel {

namespace {

constexpr MapClass kClasses[3] = {MapClass::Infantry, MapClass::Tank, MapClass::Car};
const char* const kClassNames[3] = {"Infantry", "Tank", "Car"};
const char* const kClassKeys[3] = {"infantry", "tank", "car"};
const char* const kClassMovers[3] = {"infantry", "tanks", "cars"};

// The parts of a change, as words ("the move and turn of") and JSON keys.
struct TPart {
  uint8_t Bit;
  const char *Word, *Key;
};
constexpr TPart kParts[] = {{kMoved, "move", "moved"},
                            {kTurned, "turn", "turned"},
                            {kRescaled, "rescaling", "rescaled"},
                            {kMeshChanged, "mesh change", "meshChanged"},
                            {kAdded, "addition", "added"},
                            {kRemoved, "removal", "removed"}};

// The cells one change accounts for in one class: newly blocked and newly free.
struct TChangeCells {
  uint64_t Blocked = 0, Freed = 0;
};

// Per change, per class.
std::vector<std::array<TChangeCells, 3>> CellsOfChanges(const TWorldChanges& changes) {
  std::vector<std::array<TChangeCells, 3>> cells(changes.Changes.size());
  for (size_t k = 0; k < 3; ++k) {
    const TClassChanges& c = changes.Classes[k];
    for (size_t i = 0; i < c.Cells.size(); ++i)
      for (uint32_t n = c.CauseBegin[i]; n < c.CauseBegin[i + 1]; ++n)
        if (c.Causes[n] != kHoleFilling)
          (c.Blocked[i] ? cells[c.Causes[n]][k].Blocked : cells[c.Causes[n]][k].Freed) += 1;
  }
  return cells;
}

uint64_t HoleCells(const TClassChanges& c) {
  uint64_t holes = 0;
  for (size_t i = 0; i < c.Cells.size(); ++i)
    holes += c.CauseBegin[i + 1] > c.CauseBegin[i] && c.Causes[c.CauseBegin[i]] == kHoleFilling;
  return holes;
}

const std::string& NameIn(const TBuiltWorld& world, const TVersionObject& object) {
  return world.Names[static_cast<size_t>(object.Number - 1)];
}

std::string CellText(TCell cell) {
  return "(" + std::to_string(cell.Row) + ", " + std::to_string(cell.Column) + ")";
}

// "the move and turn of #52 "House_m1" (line 104 of NEW; #50, line 100 of OLD)".
std::string ChangeText(const TChangesReport& report, const TObjectChange& change) {
  std::vector<std::string> words;
  for (const TPart& part : kParts)
    if (change.What & part.Bit)
      words.push_back(part.Word);
  std::string text = "the ";
  for (size_t k = 0; k < words.size(); ++k)
    text += (k == 0 ? "" : k + 1 == words.size() ? " and " : ", ") + words[k];
  const bool after = change.New.Node != nullptr;
  const TVersionObject& object = after ? change.New : change.Old;
  text += " of #" + std::to_string(object.Number) + " \"" +
          NameIn(*report.Versions[after ? 1 : 0], object) + "\" (line " +
          std::to_string(object.Node->Line) + (after ? " of NEW" : " of OLD");
  if (after && change.Old.Node != nullptr)
    text += "; #" + std::to_string(change.Old.Number) + ", line " +
            std::to_string(change.Old.Node->Line) + " of OLD";
  return text + ")";
}

// "position 10/0/20 to 30/0/20, rotation 0/0/0 to 90/0/0": the parts of the placement that
// differ.
std::string PlacementText(const TObjectChange& change) {
  if (change.Old.Node == nullptr || change.New.Node == nullptr)
    return "";
  const TStaticObjectMeshNode &a = *change.Old.Node, &b = *change.New.Node;
  std::string text;
  const auto part = [&](uint8_t bit, const char* name, const TVector3& from, const TVector3& to) {
    if (change.What & bit)
      text += std::string(text.empty() ? "" : ", ") + name + " " + TripleText(from) + " to " +
              TripleText(to);
  };
  part(kMoved, "position", a.Position, b.Position);
  part(kTurned, "rotation", a.Rotation, b.Rotation);
  part(kRescaled, "scale", a.Scale, b.Scale);
  return text;
}

std::string ChangesList(const TChangesReport& report, const std::vector<uint32_t>& changes) {
  std::string text;
  for (size_t k = 0; k < changes.size(); ++k)
    text += (k == 0                    ? ""
             : k + 1 == changes.size() ? " and "
                                       : ", ") +
            ChangeText(report, report.Changes->Changes[changes[k]]);
  return text.empty() ? "hole filling" : text;
}

void PrintKinds(std::ostream& out, const TWorldChanges& changes) {
  out << "Changes: " << changes.Changes.size();
  std::string parts;
  for (const TPart& part : kParts) {
    const auto count = std::count_if(changes.Changes.begin(), changes.Changes.end(),
                                     [&](const TObjectChange& c) { return c.What & part.Bit; });
    if (count > 0)
      parts += (parts.empty() ? " (" : ", ") + std::to_string(count) + " " + part.Key;
  }
  out << (parts.empty() ? "" : parts + ")") << "\n";
}

void PrintClass(std::ostream& out, const TChangesReport& report, size_t k) {
  const TClassChanges& c = report.Changes->Classes[k];
  out << kClassNames[k] << " (" << MapFileNameOf(kClasses[k]) << "): " << c.NewlyBlocked
      << " cells newly blocked, " << c.NewlyFree << " newly free\n"
      << "  Regions: " << c.RegionsBefore << " before, " << c.RegionsAfter << " after; main region "
      << c.MainBefore << " cells before, " << c.MainAfter << " after\n"
      << "  New regions: " << c.NewRegions.size() << "\n";
  for (const TNewRegion& region : c.NewRegions)
    out << "    a pocket of " << region.Region.Size << " cells (region " << region.Number
        << ", first cell " << CellText(region.Region.First) << "), made by "
        << ChangesList(report, region.Changes) << "\n";
}

} // namespace

void PrintChangesText(std::ostream& out, const TChangesReport& report, size_t limit) {
  const TWorldChanges& changes = *report.Changes;
  for (size_t v = 0; v < 2; ++v)
    out << (v == 0 ? "Old: " : "New: ") << report.Versions[v]->ObjectFile << ", "
        << report.Versions[v]->Objects.Count << " objects\n";
  out << "Size: " << mapfile::SideText(report.WorldSize) << " cells\n";
  PrintKinds(out, changes);
  for (size_t k = 0; k < 3; ++k)
    PrintClass(out, report, k);

  const auto cells = CellsOfChanges(changes);
  const auto total = [&](size_t c) {
    uint64_t sum = 0;
    for (const TChangeCells& cell : cells[c])
      sum += cell.Blocked + cell.Freed;
    return sum;
  };
  std::vector<size_t> order(changes.Changes.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return total(a) > total(b); });
  const size_t changing = static_cast<size_t>(
      std::count_if(order.begin(), order.end(), [&](size_t c) { return total(c) > 0; }));
  out << "Changes that change cells, largest first: " << changing << "\n";
  for (size_t n = 0; n < changing && n < limit; ++n) {
    const size_t c = order[n];
    const std::string placement = PlacementText(changes.Changes[c]);
    out << "  " << ChangeText(report, changes.Changes[c]) << (placement.empty() ? "" : ": ")
        << placement << "\n    cells:";
    for (size_t k = 0; k < 3; ++k)
      out << (k == 0 ? " " : ", ") << cells[c][k].Blocked << " newly blocked and "
          << cells[c][k].Freed << " newly free for " << kClassMovers[k];
    out << "\n";
  }
  if (changing > limit)
    out << "  and " << changing - limit << " more\n";
  out << "Changes that change no cell: " << changes.Changes.size() - changing << "\n"
      << "Hole filling: ";
  for (size_t k = 0; k < 3; ++k)
    out << (k == 0 ? "" : ", ") << HoleCells(changes.Classes[k]) << " cells for "
        << kClassMovers[k];
  out << "\n";
  size_t unaccounted = 0;
  for (const TClassChanges& c : changes.Classes)
    unaccounted += c.Unaccounted.size();
  if (unaccounted == 0) {
    out << "Every changed cell is accounted for.\n";
    return;
  }
  out << "Changed cells that no change accounts for: " << unaccounted << "\n";
  for (size_t k = 0; k < 3; ++k)
    for (const TCell& cell : changes.Classes[k].Unaccounted)
      out << "  " << kClassNames[k] << " " << CellText(cell) << "\n";
}

void PrintChangesJson(std::ostream& out, const TChangesReport& report) {
  const TWorldChanges& changes = *report.Changes;
  const auto cells = CellsOfChanges(changes);
  const auto cellJson = [](TCell cell) {
    return TJson{{"row", cell.Row}, {"column", cell.Column}};
  };
  TJson list = TJson::array();
  for (size_t c = 0; c < changes.Changes.size(); ++c) {
    const TObjectChange& change = changes.Changes[c];
    TJson what = TJson::array(), counts = TJson::object();
    for (const TPart& part : kParts)
      if (change.What & part.Bit)
        what.push_back(part.Key);
    for (size_t k = 0; k < 3; ++k)
      counts[kClassKeys[k]] = {{"blocked", cells[c][k].Blocked}, {"freed", cells[c][k].Freed}};
    const auto object = [&](const TVersionObject& o, size_t v) {
      return o.Node == nullptr ? TJson(nullptr)
                               : JsonObject(o.Number, NameIn(*report.Versions[v], o), *o.Node);
    };
    list.push_back({{"id", c + 1},
                    {"text", JsonText(ChangeText(report, change))},
                    {"what", what},
                    {"before", object(change.Old, 0)},
                    {"after", object(change.New, 1)},
                    {"cells", counts}});
  }
  TJson classes = TJson::array();
  bool accounted = true;
  for (size_t k = 0; k < 3; ++k) {
    const TClassChanges& c = changes.Classes[k];
    accounted &= c.Unaccounted.empty();
    TJson changed = TJson::array(), unaccounted = TJson::array(), regions = TJson::array();
    for (size_t i = 0; i < c.Cells.size(); ++i) {
      TJson by = TJson::array();
      for (uint32_t n = c.CauseBegin[i]; n < c.CauseBegin[i + 1]; ++n)
        if (c.Causes[n] == kHoleFilling)
          by = "holes";
        else
          by.push_back(c.Causes[n] + 1);
      changed.push_back({{"row", c.Cells[i].Row},
                         {"column", c.Cells[i].Column},
                         {"blocked", c.Blocked[i] != 0},
                         {"by", by}});
    }
    for (const TCell& cell : c.Unaccounted)
      unaccounted.push_back(cellJson(cell));
    for (const TNewRegion& region : c.NewRegions) {
      TJson ids = TJson::array();
      for (const uint32_t change : region.Changes)
        ids.push_back(change + 1);
      regions.push_back({{"number", region.Number},
                         {"cells", region.Region.Size},
                         {"first", cellJson(region.Region.First)},
                         {"rows", {region.Region.MinRow, region.Region.MaxRow}},
                         {"columns", {region.Region.MinColumn, region.Region.MaxColumn}},
                         {"touchesEdge", region.Region.TouchesEdge},
                         {"changes", ids}});
    }
    classes.push_back({{"class", kClassKeys[k]},
                       {"map", MapFileNameOf(kClasses[k])},
                       {"newlyBlocked", c.NewlyBlocked},
                       {"newlyFree", c.NewlyFree},
                       {"holeFilling", HoleCells(c)},
                       {"regions",
                        {{"before", c.RegionsBefore},
                         {"after", c.RegionsAfter},
                         {"mainBefore", c.MainBefore},
                         {"mainAfter", c.MainAfter}}},
                       {"newRegions", regions},
                       {"cells", changed},
                       {"unaccounted", unaccounted}});
  }
  const auto version = [&](size_t v) {
    return TJson{{"objects", JsonText(report.Versions[v]->ObjectFile)},
                 {"count", report.Versions[v]->Objects.Count}};
  };
  const TJson document = {{"before", version(0)}, {"after", version(1)}, {"size", report.WorldSize},
                          {"changes", list},      {"classes", classes},  {"accounted", accounted}};
  out << document.dump() << "\n";
}

} // namespace quarnel
