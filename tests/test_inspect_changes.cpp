// quarnel-inspect --changes: its text, JSON and picture on the sample world with a house moved
// and a wall removed, and the failures of either version.
#include "inspect/CommandLine.h"
#include "pictures/Pictures.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

using namespace quarnel;
using namespace testutil;

namespace {

struct TChangesRun {
  int Status = 0;
  std::string Out, Err;
  std::vector<TImage> Pictures;
};

// The sample world as OLD.con and, as NEW.con, with the second house moved 8 units east and
// 6 south and the first wall of the compound removed; args after those of --changes.
class SampleChanges : public ::testing::Test {
protected:
  void SetUp() override {
    const std::string sample =
        ReadFile(fs::path(QUARNEL_SOURCE_DIR) / "sample" / "StaticObjects.con");
    WriteFile(Dir / "old.con", sample);
    std::string edited = sample;
    edited.replace(edited.find("150/20/110"), 10, "158/20/104");
    const size_t wall = edited.find("Object.create Wall_m1");
    edited.erase(wall, edited.find("Object.create", wall + 1) - wall);
    WriteFile(Dir / "new.con", edited);
  }
  TChangesRun Changes(std::vector<std::string> args) {
    args.insert(args.begin(),
                {"--changes", (Dir / "old.con").string(), (Dir / "new.con").string()});
    for (std::string option : {"--meshes", "--size"})
      if (std::find(args.begin(), args.end(), option) == args.end())
        args.insert(args.end(), {option, option == "--size" ? "512" : Meshes});
    TChangesRun run;
    std::ostringstream out, err;
    run.Status = RunInspect(args, out, err, [&](const TImage& image, const std::string&) {
      run.Pictures.push_back(image);
    });
    run.Out = out.str(), run.Err = err.str();
    return run;
  }
  TempDir Dir;
  const std::string Meshes = std::string(QUARNEL_SOURCE_DIR) + "/sample/StandardMesh";
};

TEST_F(SampleChanges, TellWhatMovedAndWasRemovedAndWhichCellsEachChangeAccountsFor) {
  const TChangesRun run = Changes({"--limit", "1", "--png", "c.png", "--scale", "2"});
  EXPECT_EQ(run.Status, 0) << run.Err;
  const std::string move = "the move of #2 \"House_m1\" (line 7 of NEW; #2, line 7 of OLD)";
  EXPECT_EQ(
      run.Out,
      "Old: " + (Dir / "old.con").string() + ", 43 objects\nNew: " + (Dir / "new.con").string() +
          ", 42 objects\nSize: 512 by 512 cells\nChanges: 2 (1 moved, 1 removed)\n"
          "Infantry (Infantry1Level0Map.raw): 56 cells newly blocked, 118 newly free\n"
          "  Regions: 37 before, 37 after; main region 259009 cells before, 259071 after\n"
          "  New regions: 2\n    a pocket of 63 cells (region 7, first cell (96, 162)), made by " +
          move + "\n    a pocket of 63 cells (region 8, first cell (104, 150)), made by " + move +
          "\nTank (Tank0Level0Map.raw): 176 cells newly blocked, 447 newly free\n"
          "  Regions: 8 before, 8 after; main region 254885 cells before, 255156 after\n"
          "  New regions: 2\n    a pocket of 2 cells (region 7, first cell (100, 160)), made by " +
          move + "\n    a pocket of 2 cells (region 8, first cell (107, 154)), made by " + move +
          "\nCar (Car4Level0Map.raw): 204 cells newly blocked, 546 newly free\n"
          "  Regions: 7 before, 7 after; main region 252789 cells before, 253131 after\n"
          "  New regions: 0\nChanges that change cells, largest first: 2\n  " +
          move +
          ": position 150/20/110 to 158/20/104\n    cells: 56 newly blocked and 56 newly "
          "free for infantry, 176 newly blocked and 176 newly free for tanks, 204 newly "
          "blocked and 204 newly free for cars\n  and 1 more\nChanges that change no cell: 0\n"
          "Hole filling: 0 cells for infantry, 0 cells for tanks, 0 cells for cars\n"
          "Every changed cell is accounted for.\nPicture: c.png (256 by 256 pixels, one per "
          "2 by 2 cells)\n");
  ASSERT_EQ(run.Pictures.size(), 1u);
  // The removed wall ran along row 300 from column 390; the house moved to around (104, 158).
  EXPECT_EQ(run.Pictures[0].At(200, 255 - 150), colours::NewlyFree);
  EXPECT_EQ(run.Pictures[0].At(158 / 2, 255 - 102 / 2), colours::NewlyBlocked);

  const auto doc = nlohmann::json::parse(Changes({"--json"}).Out);
  ASSERT_EQ(doc["changes"].size(), 2u);
  EXPECT_EQ(doc["changes"][1]["what"], nlohmann::json::array({"removed"}));
  EXPECT_EQ(doc["changes"][1]["before"]["line"], 53);
  EXPECT_TRUE(doc["changes"][1]["after"].is_null());
  EXPECT_EQ(doc["changes"][0]["after"]["position"], nlohmann::json::array({158, 20, 104}));
  EXPECT_TRUE(doc["accounted"]);
  for (const auto& k : doc["classes"]) {
    size_t blocked = 0, byWall = 0;
    for (const auto& cell : k["cells"])
      blocked += cell["blocked"].get<bool>(), byWall += cell["by"] == nlohmann::json::array({2});
    EXPECT_EQ(k["newlyBlocked"], blocked);
    EXPECT_EQ(doc["changes"][1]["cells"][k["class"].get<std::string>()]["freed"], byWall);
  }
}

TEST_F(SampleChanges, AVersionThatFailsToBuildIsNamedWithItsFailureAndStatusTwo) {
  fs::create_directories(Dir / "m");
  WriteFile(Dir / "m" / "House_m1.sm", std::string("\x08\0\0\0", 4) + std::string(40, '\0'));
  const std::string old = " (" + (Dir / "old.con").string() + "): ",
                    neu = " (" + (Dir / "new.con").string() + "): ";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--size", "100"}, "OLD" + old + "Invalid world size: 100"},
      {{"--size", "0"}, "OLD" + old + "Pathmap not initialised"},
      {{"--meshes", (Dir / "m").string(), "--old-meshes", Meshes},
       "NEW" + neu + "Unsupported header type"},
      {{"--old-meshes", (Dir / "none").string()}, ""}};
  for (const auto& [args, message] : cases) {
    const TChangesRun run = Changes(args);
    if (message.empty()) { // no mesh folder: every mesh is missing, which is no failure
      EXPECT_EQ(run.Status, 0) << run.Err;
      continue;
    }
    EXPECT_EQ(run.Status, 2) << message;
    EXPECT_EQ(run.Err, "quarnel-inspect: " + message + "\n");
  }
  fs::remove(Dir / "new.con");
  EXPECT_EQ(Changes({}).Err, "quarnel-inspect: NEW" + neu + "File not found\n");
}

} // namespace
