// The whole run, end to end: the built tool in fresh folders, its console lines, exit status
// and files, and its maps against the step-by-step passes.
#include "passes/Parallel.h"
#include "segutils/MapFileReader.h"
#include "support/MeshFile.h"
#include "support/RandomWorld.h"
#include "support/StepByStepMaps.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>

using namespace testutil;
using quarnel::Exception;
using quarnel::ForEachWhileMade;

namespace {

const char* const kOutputs[] = {"Infantry1Level0Map.raw", "Tank0Level0Map.raw", "Car4Level0Map.raw",
                                "NotPathed.txt"};
constexpr int I = 1, T = 2, C = 4, R = 8; // which of kOutputs a run leaves

// The sanitizers' shadow memory takes terabytes of address space: no RLIMIT_AS there.
#if defined(__SANITIZE_ADDRESS__)
constexpr const char* kSanitizer = "ASAN";
#elif defined(__SANITIZE_THREAD__)
constexpr const char* kSanitizer = "TSAN";
#elif defined(__has_feature)
constexpr const char* kSanitizer = __has_feature(address_sanitizer)  ? "ASAN"
                                   : __has_feature(thread_sanitizer) ? "TSAN"
                                                                     : nullptr;
#else
constexpr const char* kSanitizer = nullptr;
#endif

std::string MeshOf(std::vector<meshfile::Vertex> vertices, std::vector<meshfile::Face> faces) {
  meshfile::File file;
  file.Blocks.push_back({});
  file.Blocks[0].Vertices = std::move(vertices);
  file.Blocks[0].Faces = std::move(faces);
  return meshfile::Write(file);
}

const std::string kTriangle = MeshOf({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 2}});

// A mesh file whose only block claims counts it does not hold, cut to size bytes.
std::string ClaimingMesh(int32_t vertices, int32_t edges, int32_t faces, size_t size) {
  meshfile::File file{9, {}, {{}}, std::string(64, 'Z'), 0};
  file.Blocks[0].VertexCount = vertices;
  file.Blocks[0].EdgeCount = edges;
  file.Blocks[0].FaceCount = faces;
  return meshfile::Write(file).substr(0, size);
}

struct World {
  TempDir Dir;
  explicit World(const std::string& objects, const std::string& mesh = "") {
    fs::create_directory(Dir / "meshes");
    WriteFile(Dir / "objects.con", objects);
    if (!mesh.empty())
      WriteFile(Dir / "meshes" / "m.sm", mesh);
  }
  RunResult Run(const std::string& size = "64", const std::string& setup = "") {
    return RunProgram(QUARNEL_EXE, {"objects.con", "meshes", size}, Dir.Path, setup);
  }
  std::string File(const std::string& name) { return ReadFile(Dir / name); }
  int Outputs() {
    int found = 0;
    for (int k = 0; k < 4; ++k)
      found |=
          fs::is_regular_file(Dir / kOutputs[k]) || fs::is_symlink(Dir / kOutputs[k]) ? 1 << k : 0;
    return found;
  }
};

// Under a sanitizer, single allocations are limited instead.
const std::string kLittleMemory =
    kSanitizer ? std::string("export ") + kSanitizer +
                     "_OPTIONS=allocator_may_return_null=1:max_allocation_size_mb=128;"
               : "ulimit -v 131072;";

// The last console line; every line ends in a carriage return and a line feed.
std::string LastLine(const std::string& output) {
  if (!output.ends_with("\r\n"))
    return "<unterminated>";
  const std::string text = output.substr(0, output.size() - 2);
  return text.substr(text.rfind('\n') + 1); // npos + 1 is 0
}

std::string Ten(int exponent) { // 10^exponent as a con file spells it
  return "1" + std::string(static_cast<size_t>(exponent), '0');
}

// How a case prepares its folder beyond the object file and the mesh m.sm.
void Arrange(World& w, const std::string& how) {
  const fs::path dir = w.Dir.Path;
  if (how == "no object file" || how == "object file is a folder")
    fs::remove(dir / "objects.con");
  if (how == "object file is a folder")
    fs::create_directory(dir / "objects.con");
  if (how == "tank map is a folder")
    fs::create_directory(dir / kOutputs[1]);
  if (how == "report is a folder")
    fs::create_directory(dir / kOutputs[3]);
  if (how == "report on a full device" || how == "tank map a link to a full device")
    fs::create_symlink("/dev/full", dir / kOutputs[how[0] == 'r' ? 3 : 1]);
  if (how == "mesh is a FIFO")
    mkfifo((dir / "meshes" / "M.SM").c_str(), 0644);
  if (how == "n.sm with a NaN vertex")
    WriteFile(dir / "meshes" / "n.sm", MeshOf({{0, 0, 0}, {NAN, 0, 0}, {0, 0, 1}}, {{0, 1, 2}}));
  if (how == "n.sm with a bad face index")
    WriteFile(dir / "meshes" / "n.sm", MeshOf({{0, 0, 0}}, {{0, 0, 1}}));
}

// The thread counts every run of a test is made with: one, as many as this machine has, more.
const char* const kThreadCounts[] = {"1", "2", "8"};

std::string WithThreads(const char* threads) {
  return std::string("QUARNEL_THREADS=") + threads;
}

// With one, two and eight threads alike: among objects that fail, the first in the file.
TEST(Run, EndsWithTheMessageStatusAndFilesOfEachFailure) {
  const float inf = INFINITY, nan = NAN;
  const std::string m = "object.create m\n", tree = "object.create eu_pine1_m1\n",
                    at = "object.absoluteposition ";
  // Objects drawn by several threads, then from the 301st on objects that fail in turns: the
  // blocks of objects that threads take begin with failures of either kind.
  std::string many, failing[2];
  for (int i = 0; i < 300; ++i)
    many += (i % 3 ? m : tree) + at + std::to_string(i % 64) + "/0/5\n";
  const std::string hugeTree = tree + at + Ten(300) + "/0/5\n", nanMesh = "object.create n\n";
  for (int i = 0; i < 100; ++i) {
    failing[0] += nanMesh + hugeTree + m;
    failing[1] += hugeTree + nanMesh + m;
  }
  const std::string nanVertex = MeshOf({{0, 0, 0}, {nan, 0, 0}, {0, 0, 1}}, {{0, 1, 2}});
  const std::string infVertex = MeshOf({{0, 0, 0}, {inf, 0, 0}, {0, 0, 1}}, {{0, 1, 2}});
  const std::string infHeight = MeshOf({{0, inf, 0}, {0, 0, 0}, {0, 0, 1}}, {{0, 1, 2}});
  const std::string farVertex = MeshOf({{0, 0, 0}, {1e30f, 0, 0}, {0, 0, 1}}, {{0, 1, 2}});
  const std::string badIndex = MeshOf({{0, 0, 0}}, {{0, 0, 1}}), badType("\x08\0\0\0", 4);
  const struct {
    std::string Objects, Mesh, Size, Setup;
    bool LittleMemory;
    int Status;
    std::string LastLine;
    int Outputs;
  } cases[] = {
      // clang-format off
      {m, "", "100", "", false, 1, "Invalid world size: 100", 0},
      {tree, "", "0", "", false, 1, "Pathmap not initialised", 0},
      {m, "", "64", "no object file", false, 1, "File not found", 0},
      {m, "", "64", "object file is a folder", false, 1, "File access denied", 0},
      {m, badType + std::string(40, '\0'), "64", "", false, 1, "Unsupported header type", 0},
      {m, badIndex, "64", "", false, 1, "Invalid face index in file: meshes/m.sm", 0},
      {m, "", "64", "tank map is a folder", false, 1, "Error opening file: Tank0Level0Map.raw", I},
      {m, "", "64", "report is a folder", false, 1, "File access denied", I | T},
      {m, "", "64", "report on a full device", false, 1, "Disk full", I | T | C | R},
      {m + at + Ten(300) + "/0/5\n", kTriangle, "64", "", false, 1, "Floating point overflow", 0},
      {tree + at + "5/0/-" + Ten(300) + "\n", "", "64", "", false, 1, "Floating point overflow", 0},
      {m + at + "4611686018427388904.0/0/5\n", kTriangle, "64", "", false, 1, "Floating point overflow", 0},
      {m + at + "4611686018427386904.0/0/5\n", kTriangle, "64", "", false, 0, "Total pathed: 1", I | T | C | R},
      {m, nanVertex, "64", "", false, 1, "Invalid floating point operation", 0},
      {m, infVertex, "64", "", false, 1, "Floating point overflow", 0},
      {m, infHeight, "64", "", false, 1, "Invalid floating point operation", 0},
      {m + "object.geometry.scale " + Ten(300) + "/1/1\n", farVertex, "64", "", false, 1, "Floating point overflow", 0},
      {m + at + Ten(309) + "/0/0\n", "", "64", "", false, 1, "'" + Ten(309) + "' is not a valid floating point value", 0},
      {m, ClaimingMesh(10000000, 0, 0, 60), "64", "", true, 1, "Error reading file", 0},
      {m, "", "64", "tank map a link to a full device", false, 1, "Error writing file", I | T},
      {m, "", "65536", "", true, 1, "Out of memory", 0},
      {m, "", "64", "mesh is a FIFO", false, 0, "Total pathed: 0", I | T | C | R},
      {many + failing[0], kTriangle, "64", "n.sm with a NaN vertex", false, 1, "Invalid floating point operation", 0},
      {many + failing[1], kTriangle, "64", "n.sm with a NaN vertex", false, 1, "Floating point overflow", 0},
      {many + failing[0] + m + at + Ten(309) + "/0/0\n", kTriangle, "64", "n.sm with a NaN vertex", false, 1, "'" + Ten(309) + "' is not a valid floating point value", 0},
      {many + failing[1], kTriangle, "64", "n.sm with a bad face index", false, 1, "Invalid face index in file: meshes/n.sm", 0},
      // clang-format on
  };
  for (const auto& c : cases) {
    std::string console; // that of one thread
    for (const char* threads : kThreadCounts) {
      World w(c.Objects, c.Mesh);
      Arrange(w, c.Setup);
      const RunResult result =
          w.Run(c.Size, (c.LittleMemory ? kLittleMemory : "") + WithThreads(threads));
      EXPECT_EQ(result.Status, c.Status) << c.LastLine << ", threads " << threads;
      EXPECT_EQ(LastLine(result.Output), c.LastLine) << "threads " << threads;
      EXPECT_EQ(result.Output, console.empty() ? console = result.Output : console) << threads;
      EXPECT_EQ(w.Outputs(), c.Outputs) << c.LastLine << ", threads " << threads;
    }
  }
}

// Item 1000 raises only once a later item has raised on another thread.
TEST(Run, OnSeveralThreadsGivesTheFailureOfTheFirstFailingItemWithEveryItemBeforeItDone) {
  for (const unsigned threads : {1u, 2u, 8u}) {
    std::atomic<bool> laterFailed = false;
    std::atomic<int> done = 0;
    const std::exception_ptr failure = ForEachWhileMade<int>(
        16, threads,
        [](auto&& add) {
          for (int k = 0; k < 2000; ++k)
            add(k);
        },
        [&] {
          return [&](int, size_t k) {
            for (int wait = 0; k == 1000 && threads > 1 && !laterFailed && wait < 2000; ++wait)
              std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (k >= 1000) {
              laterFailed = laterFailed || k > 1000;
              throw Exception("item " + std::to_string(k));
            }
            ++done;
          };
        });
    EXPECT_EQ(MessageOf([&] { std::rethrow_exception(failure); }), "item 1000") << threads;
    EXPECT_EQ(done, 1000) << threads << " threads";
  }
}

// A stray vertex (NaN, infinite, or placed beyond what a cell holds) between used ones.
TEST(Run, AVertexThatNoFaceUsesChangesNoOutputAndFailsNothing) {
  const std::string objects =
      "object.create m\nobject.absoluteposition 20.5/0/30.5\nobject.rotation 30/0/0\n";
  World plain(objects, MeshOf({{0, 0, 0}, {10, 0, 3}, {2, 0, 9}}, {{0, 1, 2}, {2, 1, 1}}));
  const RunResult expected = plain.Run();
  ASSERT_EQ(expected.Status, 0);
  const std::vector<std::string> why = {"--why",       "30,20",    "--objects",
                                        "objects.con", "--meshes", "meshes",
                                        "--size",      "64",       "Infantry1Level0Map.raw"};
  std::string answer; // --why where the stray vertex holds (0, 0, 0)
  for (const float stray : {0.0f, NAN, INFINITY, 1e30f}) {
    World w(objects,
            MeshOf({{0, 0, 0}, {stray, 0, 0}, {10, 0, 3}, {stray, stray, stray}, {2, 0, 9}},
                   {{0, 2, 4}, {4, 2, 2}}));
    EXPECT_EQ(w.Run().Output, expected.Output) << stray;
    for (const char* file : kOutputs)
      EXPECT_TRUE(w.File(file) == plain.File(file)) << file << " with " << stray;
    const RunResult told = RunProgram(QUARNEL_INSPECT_EXE, why, w.Dir.Path);
    EXPECT_EQ(told.Status, 0) << told.Error;
    EXPECT_NE(told.Output.find("Infantry (Infantry1Level0Map.raw): blocked"), std::string::npos);
    EXPECT_EQ(told.Output, answer.empty() ? answer = told.Output : answer) << stray;
  }
}

TEST(Run, PrintsItsBannerSizesPassesAndCountsAndListsObjectsWithoutAMeshUnderTheirAliases) {
  World w("rem a tree with a mesh file, aliases and a missing mesh\r\n"
          "Object.Create EU_Pine1_m1\r\nobject.absoluteposition 10.5/7/20.5\r\n"
          "object.create aMMoBoX\nobject.create MEDICLOCKER\nobject.create m\n"
          "object.create Crate_m1\n",
          kTriangle);
  WriteFile(w.Dir / "meshes" / "eu_pine1_m1.sm", MeshOf({{0, 0, 0}, {60, 0, 0}}, {{0, 1, 1}}));
  const RunResult result = w.Run("128");
  EXPECT_EQ(result.Status, 0);
  EXPECT_EQ(result.Output,
            "\r\nQuarnel 1.1 by Ostwyn\r\n"
            "Create a pathfinding map with static objects pathed out\r\n\r\n"
            "Pathmap size: 128 x 128\r\nNumber of segments: 2 x 2\r\n"
            "Creating Infantry1Level0Map.raw...\r\nCreating Tank0Level0Map.raw...\r\n"
            "Creating Car4Level0Map.raw...\r\nObjects read: 5\r\n"
            "Trees pathed: 1\r\nMeshes pathed: 1\r\nTotal pathed: 2\r\n");
  EXPECT_EQ(w.File("NotPathed.txt"), "Objects that have no collision mesh:\r\nAmmoBox_m1\r\n"
                                     "MedicLocker_m1\r\nCrate_m1\r\n");
  TPathmap map;
  quarnel::LoadMapFile((w.Dir / kOutputs[0]).string(), map);
  EXPECT_TRUE(map.IsBlocked(20, 10)) << "the tree is stamped, its mesh never drawn";
  EXPECT_FALSE(map.IsBlocked(0, 60));
}

TEST(Run, WithOtherThanThreeArgumentsPrintsTheUsageAndSucceeds) {
  TempDir dir;
  const std::string usage = "\r\nQuarnel 1.1 by Ostwyn\r\n"
                            "Create a pathfinding map with static objects pathed out\r\n\r\n"
                            "Usage: quarnel <ObjectFile> <StandardMeshDir> <WorldSize>\r\n\r\n"
                            "For example: quarnel StaticObjects.con C:\\Korvath\\StandardMesh\\ "
                            "2048\r\n";
  for (const auto& args :
       std::vector<std::vector<std::string>>{{}, {"a", "b"}, {"a", "b", "c", "d"}}) {
    const RunResult result = RunProgram(QUARNEL_EXE, args, dir.Path);
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Output, usage);
    EXPECT_TRUE(fs::is_empty(dir.Path));
  }
}

// Limits on the size of a file, in blocks of 512 bytes, that fail each of the four files in turn
// at several places.
TEST(Run, AWriteCutShortFailsKeepingTheMapsBeforeItAndEveryOlderFileWhole) {
  // Trees near segment corners reach one more segment per class; 3,000 unmeshed objects fill
  // the report, so the four files grow in the order they are written.
  std::string objects;
  for (int i = 0; i < 9; ++i)
    objects += "object.create eu_pine1_m1\nobject.absoluteposition " +
               std::to_string(61 + i / 3 * 64) + "/0/" + std::to_string(61 + i % 3 * 64) + "\n";
  for (int i = 0; i < 3000; ++i)
    objects += "object.create Crate_m1\n";
  World whole(objects);
  ASSERT_EQ(whole.Run("256").Status, 0);
  int runs = 0;
  for (int cut = 0; cut < 4; ++cut) {
    const size_t before = cut == 0 ? 0 : whole.File(kOutputs[cut - 1]).size();
    // At least a block, for the console lines.
    const size_t first = std::max<size_t>(1, (before + 511) / 512);
    const size_t last = (whole.File(kOutputs[cut]).size() - 1) / 512;
    ASSERT_LE(first, last) << kOutputs[cut];
    for (size_t blocks = first; blocks <= last; blocks += std::max<size_t>(1, (last - first) / 4)) {
      World w(objects);
      for (const char* file : kOutputs)
        WriteFile(w.Dir / file, std::string("an older ") + file);
      const RunResult result = w.Run("256", FileSizeLimit(blocks));
      ++runs;
      EXPECT_EQ(result.Status, 1);
      // EFBIG (27) has no message of its own among the text-file errors.
      EXPECT_EQ(LastLine(result.Output), cut < 3 ? "Error writing file" : "I/O error 27");
      for (int k = 0; k < 4; ++k)
        EXPECT_TRUE(w.File(kOutputs[k]) ==
                    (k < cut ? whole.File(kOutputs[k]) : std::string("an older ") + kOutputs[k]))
            << kOutputs[k] << " with " << blocks << " blocks";
      EXPECT_EQ(std::distance(fs::directory_iterator(w.Dir.Path), fs::directory_iterator()), 6)
          << "the object file, the mesh folder and the four files alone";
    }
  }
  EXPECT_GT(runs, 12);
}

// Two runs of different worlds in one folder at once, several times over: each file is one
// run's or the other's, whole, and no file is left beside them.
TEST(Run, TwoRunsInOneFolderAtOnceLeaveEachFileWholeAndNothingBesideThem) {
  TempDir dir;
  for (const char* world : {"a", "b"}) {
    WriteRandomWorld(dir / world, 1024, world[0], 600);
    ASSERT_EQ(RunProgram(QUARNEL_EXE, {"objects.con", "meshes", "1024"}, dir / world).Status, 0);
  }
  fs::create_directory(dir / "both");
  for (int round = 0; round < 6; ++round) {
    const std::string run = std::string("'") + QUARNEL_EXE + "' ../";
    const std::string command = "cd '" + (dir / "both").string() + "' || exit 1; " + run +
                                "a/objects.con ../a/meshes 1024 > /dev/null & a=$!; " + run +
                                "b/objects.con ../b/meshes 1024 > /dev/null & b=$!; " +
                                "wait $a && wait $b";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const char* file : kOutputs) {
      const std::string written = ReadFile(dir / "both" / file);
      EXPECT_TRUE(written == ReadFile(dir / "a" / file) || written == ReadFile(dir / "b" / file))
          << file << " in round " << round;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "both"), fs::directory_iterator()), 4);
  }
}

// The run's traced and widened outlines against every object drawn with its class's brush;
// with two and eight threads the console and the report are those of one.
TEST(Run, WritesTheMapsOfTheStepByStepPassesForRandomWorldsAndTheSampleWorld) {
  for (uint32_t size : {128u, 192u, 256u}) {
    TempDir dir;
    WriteRandomWorld(dir.Path, size, size, 150);
    fs::create_directory(dir / "expected");
    stepbystep::WriteMaps(dir / "objects.con", dir / "meshes", size, dir / "expected");
    std::string console, report;
    for (const char* threads : kThreadCounts) {
      const auto result = RunProgram(QUARNEL_EXE, {"objects.con", "meshes", std::to_string(size)},
                                     dir.Path, WithThreads(threads));
      ASSERT_EQ(result.Status, 0) << result.Output;
      for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(ReadFile(dir / kOutputs[k]) == ReadFile(dir / "expected" / kOutputs[k]))
            << kOutputs[k] << ", world " << size << ", threads " << threads;
      EXPECT_EQ(result.Output, console.empty() ? console = result.Output : console) << threads;
      EXPECT_EQ(ReadFile(dir / kOutputs[3]),
                report.empty() ? report = ReadFile(dir / kOutputs[3]) : report)
          << threads;
    }
  }
  TempDir dir;
  const fs::path sample = fs::path(QUARNEL_SOURCE_DIR) / "sample";
  const auto result = RunProgram(
      QUARNEL_EXE,
      {(sample / "StaticObjects.con").string(), (sample / "StandardMesh").string(), "512"},
      dir.Path);
  EXPECT_TRUE(result.Output.ends_with(
      "Objects read: 43\r\nTrees pathed: 17\r\nMeshes pathed: 24\r\nTotal pathed: 41\r\n"));
  EXPECT_EQ(ReadFile(dir / kOutputs[3]),
            "Objects that have no collision mesh:\r\nBillboard_m1\r\nCrate_m1\r\n");
  fs::create_directory(dir / "expected");
  stepbystep::WriteMaps(sample / "StaticObjects.con", sample / "StandardMesh", 512,
                        dir / "expected");
  for (int k = 0; k < 3; ++k)
    EXPECT_TRUE(ReadFile(dir / kOutputs[k]) == ReadFile(dir / "expected" / kOutputs[k]));
}

} // namespace

#endif
