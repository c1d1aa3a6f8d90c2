// Writes the seed corpora of the fuzz targets, one folder per target, from the project's
// own mesh file writer and sample world: make_fuzz_seeds <folder>.
#include "RunInput.h"
#include "support/MeshFile.h"
#include "support/SampleWorld.h"

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using meshfile::Block;
using namespace std::string_literals;

namespace {

void Write(const fs::path& dir, const std::string& name, const std::string& bytes) {
  fs::create_directories(dir);
  std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string MeshBytes(std::vector<Block> blocks, int32_t headerType = 9) {
  meshfile::File file;
  file.HeaderType = headerType;
  file.Blocks = std::move(blocks);
  return meshfile::Write(file);
}

// Small hand-written object files that reach every command, number form and separator.
const std::vector<std::string> kObjectFiles = {
    "Object.create House_m1\r\nObject.absolutePosition 120.5/20/96.25\r\n"
    "Object.rotation 30/0/0\r\nObject.geometry.scale 1.5/1.5/1.5\r\n\r\n",
    "rem a comment\nOBJECT.CREATE eu_pine1_m1 rem trailing\nobject.absoluteposition 1 / 2 / 3\n",
    "object.create A\nobject.absoluteposition -1.5e+3/0.25e-2/-7\nobject.rotation 0/-90.0/45\n",
    "object.absoluteposition 1/2/3\nobject.create B\tobject.geometry.scale 2/2/2",
    "object.create ab\0cd\nobject.create x\r\r\ny\n\x1A object.create gone\n"s,
    "object.create\n",
    "object.create A\nobject.absoluteposition 1/2\n",
    "object.create A\nobject.rotation 1/x/3\n",
    "object.create A\nobject.absoluteposition 1.0e+999/0/0\n",
};

void ObjectFileSeeds(const fs::path& dir) {
  Write(dir, "sample.con", sampleworld::SampleObjects());
  for (size_t i = 0; i < kObjectFiles.size(); ++i)
    Write(dir, "small" + std::to_string(i) + ".con", kObjectFiles[i]);
}

void MeshSeeds(const fs::path& dir) {
  for (const auto& mesh : sampleworld::SampleMeshes())
    Write(dir, mesh.FileName, meshfile::Write(mesh.File));
  Block edged = meshfile::Box(-1, 0, -1, 1, 1, 1);
  edged.EdgeRecords = 3;
  edged.Padding = 5;
  Write(dir, "edges-padding.sm", MeshBytes({edged, edged}, 10));
  Write(dir, "empty-block.sm", MeshBytes({Block{}}));
  meshfile::File none;
  Write(dir, "no-mesh.sm", meshfile::Write(none));
  meshfile::File negative;
  negative.MeshCount = -3;
  negative.Blocks = {meshfile::Box(0, 0, 0, 2, 2, 2)};
  Write(dir, "negative-count.sm", meshfile::Write(negative));
  // A block that leads back to its own start, passed over 2^31 - 2 times.
  Block self;
  self.BlockSize = -4;
  meshfile::File circle;
  circle.MeshCount = INT_MAX;
  circle.Blocks = {self};
  Write(dir, "self-circle.sm", meshfile::Write(circle));
  meshfile::File cut;
  cut.Blocks = {meshfile::Box(0, 0, 0, 1, 1, 1)};
  cut.CutBytes = 3;
  Write(dir, "cut-short.sm", meshfile::Write(cut));
}

// Object files for a world of 64: the objects "a" and "b" take the two mesh files.
void RunSeeds(const fs::path& dir) {
  const std::string box = MeshBytes({meshfile::Box(-3, 0, -2, 3, 2, 2)});
  const std::string tent = MeshBytes({sampleworld::Tent(6, 4, 2.5f)});
  const std::string tower = MeshBytes({sampleworld::Prism(6, 5, 8, false)}, 10);
  const std::string objects =
      "object.create a\r\nobject.absoluteposition 20/0/20\r\n"
      "object.create b\r\nobject.absoluteposition 40.5/3/12\r\nobject.rotation 30/0/0\r\n"
      "object.create eu_pine1_m1\r\nobject.absoluteposition 50/0/50\r\n"
      "object.create Crate_m1\r\n";
  Write(dir, "run0", fuzzinput::Join(objects, box, tent));
  Write(dir, "run1",
        fuzzinput::Join("object.create A\nobject.absoluteposition 62/0/62\n"
                        "object.rotation 10/20/30\nobject.geometry.scale 2/1/0.5\n"
                        "object.create B\nobject.absoluteposition 1/0/63\n",
                        tower, box));
  Write(dir, "run2",
        fuzzinput::Join("object.create ammobox\nobject.create a\n"
                        "object.absoluteposition -2/0/30\n",
                        box, ""));
  Write(dir, "run3",
        "object.create a\nobject.create afri_tree2_m1\n"
        "object.absoluteposition 10/0/10\n");
  Write(dir, "run4",
        fuzzinput::Join("object.create b\nobject.absoluteposition 32/0/32\n"
                        "object.geometry.scale 40/1/40\n",
                        tent, tower));
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds <folder>\n");
    return 2;
  }
  const fs::path root = argv[1];
  ObjectFileSeeds(root / "fuzz_object_file");
  MeshSeeds(root / "fuzz_mesh");
  RunSeeds(root / "fuzz_run");
  return 0;
}
