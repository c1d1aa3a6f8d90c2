// Failing files, odd file kinds, memory limits and hostile placements, run for real.
#include "support/MapDecode.h"
#include "support/MeshFile.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <functional>
#include <limits>
#include <optional>
#include <set>
#include <thread>

#ifndef _WIN32

#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using testutil::Lines;
using testutil::ReadFile;
using testutil::RunResult;
using testutil::TempDir;
using testutil::WriteFile;
namespace fs = std::filesystem;

namespace {

const char* const kMapFiles[] = {"Infantry1Level0Map.raw", "Tank0Level0Map.raw",
                                 "Car4Level0Map.raw"};
const char* const kReport = "NotPathed.txt";

// Run in the child before the tool starts. A child that hangs is ended by the alarm after
// two minutes, so a hang fails its test (status -1) instead of stopping the whole suite.
void Watchdog() {
  alarm(120);
}

// Files may grow to at most bytes; a write beyond that stores what fits and then fails
// with EFBIG instead of ending the process.
std::function<void()> FileSizeLimit(rlim_t bytes) {
  return [bytes] {
    Watchdog();
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_FSIZE, &limit);
  };
}

// Every allocation that would take the process beyond bytes of address space fails. Under
// AddressSanitizer, whose shadow memory needs terabytes of address space, its allocator
// refuses single allocations of that size instead.
std::function<void()> AddressSpaceLimit(rlim_t bytes) {
  return [bytes] {
    Watchdog();
    if (QUARNEL_TEST_ASAN) {
      const std::string options =
          "allocator_may_return_null=1:max_allocation_size_mb=" + std::to_string(bytes >> 20);
      setenv("ASAN_OPTIONS", options.c_str(), 1);
    } else {
      const rlimit limit{bytes, bytes};
      setrlimit(RLIMIT_AS, &limit);
    }
  };
}

// A world folder with an object file and a mesh folder, run with the built tool.
struct World {
  TempDir Dir;
  fs::path Meshes = Dir / "meshes";
  World() { fs::create_directory(Meshes); }

  void Objects(const std::string& text) { WriteFile(Dir / "objects.con", text); }
  void Mesh(const std::string& name, const std::string& bytes) { WriteFile(Meshes / name, bytes); }
  RunResult Run(const std::string& size = "64", const std::function<void()>& limits = Watchdog,
                const std::string& objectFile = "objects.con") {
    return testutil::RunTool({objectFile, "meshes", size}, Dir.Path, limits);
  }
  std::string File(const std::string& name) { return ReadFile(Dir / name); }
  bool Has(const std::string& name) { return fs::exists(Dir / name); }
  std::set<std::pair<uint32_t, uint32_t>> Cells(const char* map, uint32_t size = 64) {
    const auto decoded = testutil::DecodeMap(File(map), size);
    EXPECT_TRUE(decoded.Valid) << map;
    return decoded.Blocked;
  }
};

std::string LastLine(const RunResult& result) {
  const auto lines = Lines(result.Output);
  return lines.empty() ? "<no output>" : lines.back();
}

std::string MeshOf(const std::vector<meshfile::Vertex>& vertices,
                   const std::vector<meshfile::Face>& faces) {
  meshfile::Block block;
  block.Vertices = vertices;
  block.Faces = faces;
  meshfile::File file;
  file.Blocks.push_back(block);
  return meshfile::Write(file);
}

std::string BoxMesh() {
  meshfile::File file;
  file.Blocks.push_back(meshfile::Box(-2, 0, -2, 2, 2, 2));
  return meshfile::Write(file);
}

// ---------------------------------------------------------------------------------------
// Writes that fail part-way: a file size limit cuts each output file in turn.

// A world of 128 whose three maps and report grow in that order: a tree three cells from the
// corner of the first segment reaches into one more segment per class (none, two, all three
// neighbours), and 300 objects without a mesh fill the report.
void WriteGrowingWorld(World& w) {
  std::string objects = "object.create eu_pine1_m1\nobject.absoluteposition 61/0/61\n";
  for (int i = 0; i < 300; ++i)
    objects += "object.create Crate_m1\n";
  w.Objects(objects);
}

struct CutCase {
  const char* Name;
  size_t CutFile; // index into the outputs: the three maps, then the report
  const char* Message;
};

void PrintTo(const CutCase& c, std::ostream* out) {
  *out << c.Name;
}

class WriteCutShort : public testing::TestWithParam<CutCase> {};

TEST_P(WriteCutShort, FailsWithItsMessageKeepingEarlierFilesWholeAndTheCutFilesFirstPart) {
  const CutCase& c = GetParam();
  const std::vector<std::string> outputs = {kMapFiles[0], kMapFiles[1], kMapFiles[2], kReport};
  World whole;
  WriteGrowingWorld(whole);
  ASSERT_EQ(whole.Run("128").Status, 0);
  std::vector<std::string> expected;
  for (const std::string& name : outputs)
    expected.push_back(whole.File(name));
  for (size_t i = 1; i < expected.size(); ++i)
    ASSERT_LT(expected[i - 1].size(), expected[i].size()) << outputs[i];

  // Larger than every file before the cut one, smaller than the cut one.
  const size_t limit =
      ((c.CutFile == 0 ? 0 : expected[c.CutFile - 1].size()) + expected[c.CutFile].size()) / 2;
  World cut;
  WriteGrowingWorld(cut);
  const RunResult result = cut.Run("128", FileSizeLimit(limit));
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(LastLine(result), c.Message);
  for (size_t i = 0; i < c.CutFile; ++i)
    EXPECT_TRUE(cut.File(outputs[i]) == expected[i]) << outputs[i] << " is whole";
  const std::string part = cut.File(outputs[c.CutFile]);
  EXPECT_EQ(part.size(), limit) << outputs[c.CutFile];
  EXPECT_TRUE(part == expected[c.CutFile].substr(0, limit))
      << outputs[c.CutFile] << " holds the first part of its bytes";
  for (size_t i = c.CutFile + 1; i < 3; ++i)
    EXPECT_FALSE(cut.Has(outputs[i])) << outputs[i];
  // The report is made at the start of the car pass and what it holds is written out also
  // when that pass fails.
  if (c.CutFile < 2) {
    EXPECT_FALSE(cut.Has(kReport));
  } else if (c.CutFile == 2) {
    EXPECT_EQ(cut.File(kReport), expected[3].substr(0, limit));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WriteCutShort,
    testing::Values(CutCase{"InfantryMap", 0, "Error writing file"},
                    CutCase{"TankMap", 1, "Error writing file"},
                    CutCase{"CarMap", 2, "Error writing file"},
                    // EFBIG (27) has no message of its own among the text-file errors.
                    CutCase{"Report", 3, "I/O error 27"}),
    [](const testing::TestParamInfo<CutCase>& info) { return std::string(info.param.Name); });

TEST(FaultInjection, AReportOnAFullDeviceFailsWithDiskFullAfterAllThreeMaps) {
  if (!fs::exists("/dev/full"))
    GTEST_SKIP() << "no /dev/full";
  World w;
  w.Objects("object.create Crate_m1\n");
  fs::create_symlink("/dev/full", w.Dir / kReport);
  const RunResult result = w.Run();
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(LastLine(result), "Disk full");
  for (const char* name : kMapFiles)
    EXPECT_EQ(fs::file_size(w.Dir / name), 36u) << name;
}

TEST(FaultInjection, AMapFileThatIsALinkIsReplacedByARegularFile) {
  if (!fs::exists("/dev/full"))
    GTEST_SKIP() << "no /dev/full";
  World w;
  w.Objects("");
  fs::create_symlink("/dev/full", w.Dir / kMapFiles[1]);
  const RunResult result = w.Run();
  EXPECT_EQ(result.Status, 0);
  EXPECT_FALSE(fs::is_symlink(w.Dir / kMapFiles[1]));
  EXPECT_EQ(fs::file_size(w.Dir / kMapFiles[1]), 36u);
}

// ---------------------------------------------------------------------------------------
// The object file.

TEST(FaultInjection, AnObjectFileThatIsADirectoryIsRefusedBeforeAnythingIsWritten) {
  World w;
  fs::create_directory(w.Dir / "objects.con");
  const RunResult result = w.Run();
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(LastLine(result), "File access denied");
  for (const char* name : kMapFiles)
    EXPECT_FALSE(w.Has(name));
  EXPECT_FALSE(w.Has(kReport));
}

// Writes text into a pipe or FIFO from a thread of its own. A reader that goes away early
// makes the writes fail (SIGPIPE is blocked in the thread) rather than end the test.
class PipeFeeder {
public:
  // Writes into fd, which the feeder closes.
  PipeFeeder(int fd, std::string text) : Text(std::move(text)) {
    Thread = std::thread([this, fd] { Feed(fd); });
  }
  // Opens the FIFO for writing, which waits for a reader, and writes into it.
  PipeFeeder(const fs::path& fifo, std::string text) : Fifo(fifo), Text(std::move(text)) {
    Thread = std::thread([this] { Feed(open(Fifo.c_str(), O_WRONLY | O_CLOEXEC)); });
  }
  ~PipeFeeder() {
    // When nobody read the FIFO to its end, the feeder's own reading end lets the thread
    // finish: it opens the FIFO for the thread, or takes what the thread still writes.
    while (!Fifo.empty() && !Finished) {
      const int reader = open(Fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      char buffer[4096];
      while (reader >= 0 && read(reader, buffer, sizeof buffer) > 0) {
      }
      if (reader >= 0)
        close(reader);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Thread.join();
  }
  PipeFeeder(const PipeFeeder&) = delete;
  PipeFeeder& operator=(const PipeFeeder&) = delete;

private:
  void Feed(int fd) {
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    for (size_t done = 0; fd >= 0 && done < Text.size();) {
      const ssize_t put = write(fd, Text.data() + done, Text.size() - done);
      if (put <= 0)
        break;
      done += static_cast<size_t>(put);
    }
    if (fd >= 0)
      close(fd);
    Finished = true;
  }

  fs::path Fifo;
  std::string Text;
  std::atomic<bool> Finished{false};
  std::thread Thread;
};

// More than one read block of objects: meshed, trees and objects without a mesh.
std::string ManyObjects() {
  std::string text;
  for (int i = 0; i < 2500; ++i) {
    const char* name = i % 3 == 0 ? "Box_m1" : i % 3 == 1 ? "eu_pine1_m1" : "Crate_m1";
    text += "Object.create " + std::string(name) + "\r\nObject.absolutePosition " +
            std::to_string(i % 250) + ".5/0/" + std::to_string(i * 7 % 250) + ".25\r\n";
  }
  return text;
}

TEST(FaultInjection, AnObjectFileReadThroughAPipeOrAFifoGivesTheSameRunAsARegularFile) {
  const std::string text = ManyObjects();
  ASSERT_GT(text.size(), 2u << 16) << "more than one read block";
  World regular;
  regular.Objects(text);
  regular.Mesh("Box_m1.sm", BoxMesh());
  const RunResult expected = regular.Run("256");
  ASSERT_EQ(expected.Status, 0) << expected.Output;

  for (const bool named : {false, true}) {
    SCOPED_TRACE(named ? "FIFO" : "pipe");
    World piped;
    piped.Mesh("Box_m1.sm", BoxMesh());
    RunResult result;
    if (named) {
      ASSERT_EQ(mkfifo((piped.Dir / "objects.con").c_str(), 0644), 0);
      PipeFeeder feeder(piped.Dir / "objects.con", text);
      result = piped.Run("256");
    } else {
      int fds[2];
      ASSERT_EQ(pipe(fds), 0);
      const int readEnd = fds[0], writeEnd = fds[1];
      {
        PipeFeeder feeder(writeEnd, text);
        // The child keeps only the reading end, so that it sees the end of the text.
        result = piped.Run(
            "256",
            [writeEnd] {
              close(writeEnd);
              Watchdog();
            },
            "/dev/fd/" + std::to_string(readEnd));
        close(readEnd);
      }
    }
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Output, expected.Output);
    for (const char* name : kMapFiles)
      EXPECT_TRUE(piped.File(name) == regular.File(name)) << name;
    EXPECT_EQ(piped.File(kReport), regular.File(kReport));
  }
}

// ---------------------------------------------------------------------------------------
// Mesh files that are missing in one way or another: never opened, never an error.

struct MissingMeshCase {
  const char* Name;
  std::function<void(World&)> Arrange;
};

void PrintTo(const MissingMeshCase& c, std::ostream* out) {
  *out << c.Name;
}

class MissingMesh : public testing::TestWithParam<MissingMeshCase> {};

const std::string kMeshedObjects =
    "object.create Hut_m1\nobject.absoluteposition 20/0/20\n"
    "object.create Box_m1\nobject.absoluteposition 40/0/40\n"
    "object.create eu_pine1_m1\nobject.absoluteposition 10.5/0/50.5\n";

TEST_P(MissingMesh, LeavesTheObjectUnpathedAndTheRunSucceeds) {
  World w;
  w.Objects(kMeshedObjects);
  w.Mesh("Box_m1.sm", BoxMesh());
  GetParam().Arrange(w);
  const RunResult result = w.Run();
  EXPECT_EQ(result.Status, 0) << result.Output;
  EXPECT_EQ(w.File(kReport), "Objects that have no collision mesh:\r\nHut_m1\r\n");

  World plain; // the same world with no file at all for the hut
  plain.Objects(kMeshedObjects);
  plain.Mesh("Box_m1.sm", BoxMesh());
  ASSERT_EQ(plain.Run().Status, 0);
  for (const char* name : kMapFiles)
    EXPECT_TRUE(w.File(name) == plain.File(name)) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MissingMesh,
    testing::Values(
        MissingMeshCase{
            "Fifo", [](World& w) { ASSERT_EQ(mkfifo((w.Meshes / "Hut_m1.sm").c_str(), 0644), 0); }},
        MissingMeshCase{
            "FifoSpelledOtherwise",
            [](World& w) { ASSERT_EQ(mkfifo((w.Meshes / "HUT_M1.SM").c_str(), 0644), 0); }},
        MissingMeshCase{"LinkToAFifo",
                        [](World& w) {
                          ASSERT_EQ(mkfifo((w.Dir / "fifo").c_str(), 0644), 0);
                          fs::create_symlink(w.Dir / "fifo", w.Meshes / "Hut_m1.sm");
                        }},
        MissingMeshCase{"LinkToADevice",
                        [](World& w) { fs::create_symlink("/dev/zero", w.Meshes / "Hut_m1.sm"); }},
        MissingMeshCase{
            "DanglingLink",
            [](World& w) { fs::create_symlink(w.Dir / "nowhere.sm", w.Meshes / "Hut_m1.sm"); }},
        MissingMeshCase{"Directory",
                        [](World& w) { fs::create_directory(w.Meshes / "hut_m1.sm"); }}),
    [](const testing::TestParamInfo<MissingMeshCase>& info) {
      return std::string(info.param.Name);
    });

TEST(FaultInjection, AMeshFolderThatIsMissingOrNoFolderLeavesEveryObjectButTreesUnpathed) {
  for (const bool regularFile : {false, true}) {
    SCOPED_TRACE(regularFile ? "a regular file" : "missing");
    World w;
    w.Objects(kMeshedObjects);
    fs::remove(w.Meshes);
    if (regularFile)
      WriteFile(w.Meshes, BoxMesh());
    const RunResult result = w.Run();
    EXPECT_EQ(result.Status, 0) << result.Output;
    EXPECT_EQ(w.File(kReport), "Objects that have no collision mesh:\r\nHut_m1\r\nBox_m1\r\n");
    const auto lines = Lines(result.Output);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "Trees pathed: 1");
    EXPECT_EQ(lines[lines.size() - 2], "Meshes pathed: 0");
    EXPECT_EQ(w.Cells(kMapFiles[0]), (std::set<std::pair<uint32_t, uint32_t>>{{50, 10}}));
  }
}

// ---------------------------------------------------------------------------------------
// Memory: counts the file cannot hold are refused before anything is allocated for them.

// A mesh file whose only block claims counts it does not hold, cut to the given size.
std::string ClaimingMesh(std::optional<int32_t> vertices, std::optional<int32_t> edges,
                         std::optional<int32_t> faces, size_t size) {
  meshfile::Block block;
  block.VertexCount = vertices;
  block.EdgeCount = edges;
  block.FaceCount = faces;
  meshfile::File file;
  file.Blocks.push_back(block);
  file.Trailing = std::string(64, '\x5A');
  std::string bytes = meshfile::Write(file);
  bytes.resize(size);
  return bytes;
}

struct MemoryCase {
  const char* Name;
  std::string Mesh; // the mesh of the one object; none when empty
  const char* WorldSize;
  int Status;
  const char* LastLine;
};

void PrintTo(const MemoryCase& c, std::ostream* out) {
  *out << c.Name;
}

class UnderAMemoryLimit : public testing::TestWithParam<MemoryCase> {};

TEST_P(UnderAMemoryLimit, EndsAsDesigned) {
  const MemoryCase& c = GetParam();
  World w;
  w.Objects("object.create Thing_m1\nobject.absoluteposition 10/0/10\n");
  if (!c.Mesh.empty())
    w.Mesh("Thing_m1.sm", c.Mesh);
  // 10,000,000 vertices would take 320 MB; the limit allows a third of that.
  const RunResult result = w.Run(c.WorldSize, AddressSpaceLimit(128u << 20));
  EXPECT_EQ(result.Status, c.Status) << result.Output;
  EXPECT_EQ(LastLine(result), c.LastLine);
  if (c.Status != 0) {
    for (const char* name : kMapFiles)
      EXPECT_FALSE(w.Has(name)) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnderAMemoryLimit,
    testing::Values(
        // The vertex count is the last field read: the file ends 8 bytes after it.
        MemoryCase{"TenMillionVerticesInSixtyBytes", ClaimingMesh(10000000, 0, 0, 60), "64", 1,
                   "Error reading file"},
        // The face count is read at offset 64, so its file holds 4 bytes more than that.
        MemoryCase{"TenMillionFacesInSeventyTwoBytes", ClaimingMesh(0, 0, 10000000, 72), "64", 1,
                   "Error reading file"},
        MemoryCase{"TheMostEdgeRecordsInSeventyTwoBytes", ClaimingMesh(0, INT_MAX, 0, 72), "64", 1,
                   "Error reading file"},
        // The limit does stop an allocation of hundreds of MB: a map of 512 MiB ...
        MemoryCase{"AWorldWhoseMapNeedsHalfAGigabyte", "", "65536", 1, "Out of memory"},
        // ... and leaves room for an ordinary run.
        MemoryCase{"AnOrdinaryMeshedWorld", BoxMesh(), "1024", 0, "Total pathed: 1"}),
    [](const testing::TestParamInfo<MemoryCase>& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------------------------------
// Placements at the edge of the double range, from real object and mesh files.

struct PlacementCase {
  const char* Name;
  std::string Objects; // the object "m" takes the mesh
  std::string Mesh;
  int Status;
  std::string LastLine;
  std::set<std::pair<uint32_t, uint32_t>> InfantryCells; // checked when the run succeeds
};

void PrintTo(const PlacementCase& c, std::ostream* out) {
  *out << c.Name;
}

class HostilePlacement : public testing::TestWithParam<PlacementCase> {};

TEST_P(HostilePlacement, EndsWithTheDesignedMessage) {
  const PlacementCase& c = GetParam();
  World w;
  w.Objects(c.Objects);
  if (!c.Mesh.empty())
    w.Mesh("m.sm", c.Mesh);
  const RunResult result = w.Run();
  EXPECT_EQ(result.Status, c.Status) << result.Output;
  EXPECT_EQ(LastLine(result), c.LastLine);
  if (c.Status == 0) {
    EXPECT_EQ(w.Cells(kMapFiles[0]), c.InfantryCells);
  } else {
    EXPECT_FALSE(w.Has(kMapFiles[0])) << "the failure comes in the first pass";
  }
}

// The number 10^exponent as an object file writes it: the number words have no exponent
// with a plus sign (a plus sign is no word character), so every digit is spelled out.
std::string PowerOfTen(int exponent) {
  return "1" + std::string(static_cast<size_t>(exponent), '0');
}

const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

std::set<std::pair<uint32_t, uint32_t>> Column(uint32_t column) {
  std::set<std::pair<uint32_t, uint32_t>> cells;
  for (uint32_t row = 0; row < 64; ++row)
    cells.insert({row, column});
  return cells;
}

// Con-file numbers cannot spell NaN or infinity, and a number beyond the double range is a
// conversion error, so those values come from the mesh file or from arithmetic: a scale of
// 1e300 times a vertex at 1e30 overflows, and two such products of opposite sign added up
// are no number at all. Angles cannot produce either (angle times pi/180 stays finite).
INSTANTIATE_TEST_SUITE_P(
    Cases, HostilePlacement,
    testing::Values(
        PlacementCase{"MeshedObjectAt1e300",
                      "object.create m\nobject.absoluteposition " + PowerOfTen(300) + "/0/5\n",
                      MeshOf({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 2}}),
                      1,
                      "Floating point overflow",
                      {}},
        PlacementCase{"TreeAt1e300",
                      "object.create eu_pine1_m1\nobject.absoluteposition 5/0/-" + PowerOfTen(300) +
                          "\n",
                      "",
                      1,
                      "Floating point overflow",
                      {}},
        PlacementCase{"MeshedObjectJustBeyond2To62",
                      "object.create m\nobject.absoluteposition 4611686018427388904.0/0/5\n",
                      MeshOf({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 2}}),
                      1,
                      "Floating point overflow",
                      {}},
        PlacementCase{"MeshedObjectJustBelow2To62",
                      "object.create m\nobject.absoluteposition 4611686018427386904.0/0/5\n",
                      MeshOf({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 2}}),
                      0,
                      "Total pathed: 1",
                      {}},
        PlacementCase{"ScaleTimesVertexBeyondTheDoubleRange",
                      "object.create m\nobject.geometry.scale " + PowerOfTen(300) + "/1/1\n",
                      MeshOf({{0, 0, 0}, {1.0e30f, 0, 0}, {0, 0, 1}}, {{0, 1, 2}}),
                      1,
                      "Floating point overflow",
                      {}},
        PlacementCase{"InfinitiesOfOppositeSignAdded",
                      "object.create m\nobject.rotation 45/0/0\n"
                      "object.geometry.scale " +
                          PowerOfTen(300) + "/1/" + PowerOfTen(300) + "\n",
                      MeshOf({{1.0e30f, 0, -1.0e30f}, {0, 0, 0}, {0, 0, 1}}, {{0, 1, 2}}),
                      1,
                      "Invalid floating point operation",
                      {}},
        PlacementCase{"NaNVertex",
                      "object.create m\n",
                      MeshOf({{0, 0, 0}, {kNaN, 0, 0}, {0, 0, 1}}, {{0, 1, 2}}),
                      1,
                      "Invalid floating point operation",
                      {}},
        PlacementCase{"InfiniteVertex",
                      "object.create m\n",
                      MeshOf({{0, 0, 0}, {kInf, 0, 0}, {0, 0, 1}}, {{0, 1, 2}}),
                      1,
                      "Floating point overflow",
                      {}},
        // The height is multiplied by the matrix's zero entries: infinity times 0.
        PlacementCase{"InfiniteHeightTimesZero",
                      "object.create m\n",
                      MeshOf({{0, 0, 0}, {0, kInf, 0}, {0, 0, 1}}, {{0, 1, 2}}),
                      1,
                      "Invalid floating point operation",
                      {}},
        PlacementCase{"NumberBeyondTheDoubleRange",
                      "object.create m\nobject.absoluteposition " + PowerOfTen(309) + "/0/0\n",
                      "",
                      1,
                      "'" + PowerOfTen(309) + "' is not a valid floating point value",
                      {}},
        // A billion-unit edge across the world is drawn where it crosses it, and no further.
        PlacementCase{"ABillionUnitEdgeAcrossTheWorld",
                      "object.create m\nobject.absoluteposition 32/0/0\n",
                      MeshOf({{0, 0, -1.0e9f}, {0, 0, 1.0e9f}, {0, 0, -1.0e9f}}, {{0, 1, 2}}), 0,
                      "Total pathed: 1", Column(32)}),
    [](const testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.Name); });

} // namespace

#endif
