// For the viewer's Node tests (viewer/*.test.mjs): writes a random world or an edited copy of
// one, or prints what quarnel-inspect --why --json prints for every cell of a world and the row
// and column just outside it, one line per cell, by row and then by column.
//   why_every_cell world DIR SIZE SEED        objects.con and meshes/ in DIR
//   why_every_cell edit FROM TO SEED          objects moved, turned, ..., a mesh drawn anew
//   why_every_cell cells OBJECTFILE MESHDIR SIZE
#include "reports/WhyReport.h"
#include "mesh/MeshDirectory.h"
#include "mesh/WorldObjects.h"
#include "support/RandomWorld.h"

#include <iostream>

namespace {

// The random world of RandomWorld.h and, at random places and turns, three objects of each of
// two meshes: Long_m1, two triangles sharing an edge that runs 6 billion cells through the
// object's position, and Spare_m1, a box with two vertices that no face uses, one of them 10^17
// units from the box.
void WriteWorld(const testutil::fs::path& dir, uint32_t size, uint64_t seed) {
  testutil::WriteRandomWorld(dir, size, seed, 40);
  meshfile::File span, spare;
  span.Blocks.resize(1);
  span.Blocks[0].Vertices = {{-1, 0, -0.375f}, {1, 0, 0.375f}, {0.25f, 0, -1}, {0, 0, 1}};
  span.Blocks[0].Faces = {{0, 1, 2}, {1, 0, 3}};
  spare.Blocks = {meshfile::Box(-3, 0, -2, 5, 4, 6)};
  spare.Blocks[0].Vertices.insert(spare.Blocks[0].Vertices.begin(),
                                  {{1e17f, 0, -1e17f}, {-7, 1, 9}});
  for (meshfile::Face& face : spare.Blocks[0].Faces)
    face = {face.A + 2, face.B + 2, face.C + 2};
  meshfile::WriteTo(dir / "meshes" / "Long_m1.sm", span);
  meshfile::WriteTo(dir / "meshes" / "Spare_m1.sm", spare);
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> place(0, size), turn(0, 360);
  std::ofstream con(dir / "objects.con", std::ios::app);
  for (int i = 0; i < 6; ++i)
    con << "object.create " << (i % 2 ? "Spare_m1" : "Long_m1") << "\nobject.absoluteposition "
        << place(rng) << "/0/" << place(rng) << "\nobject.rotation " << turn(rng) << "/0/0\n"
        << (i % 2 ? "" : "object.geometry.scale 3000000000/1/3000000000\n");
}

void PrintEveryCell(const std::string& objectFile, const std::string& meshDir, uint32_t size) {
  quarnel::TWhyReport report;
  report.WorldSize = size;
  quarnel::TStaticObjectLL objects;
  quarnel::LoadWorldObjects(objectFile, quarnel::MeshDirectoryOf(meshDir), objects, &report.Names);
  for (uint32_t row = 0; row <= size; ++row) // the last row and column lie outside the grid
    for (uint32_t column = 0; column <= size; ++column) {
      report.Answer = quarnel::ExplainCell(objects, size, row, column);
      quarnel::PrintWhyJson(std::cout, report);
    }
}

} // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() != 4 || (args[0] != "world" && args[0] != "edit" && args[0] != "cells")) {
    std::cerr << "usage: why_every_cell world DIR SIZE SEED | edit FROM TO SEED | cells "
                 "OBJECTFILE MESHDIR SIZE\n";
    return 2;
  }
  if (args[0] == "edit") {
    testutil::WriteEditedWorld(args[1], args[2], std::stoull(args[3]), 0.3, true, true);
    return 0;
  }
  const auto size = static_cast<uint32_t>(std::stoul(args[args[0] == "world" ? 2 : 3]));
  if (args[0] == "world")
    WriteWorld(args[1], size, std::stoull(args[3]));
  else
    PrintEveryCell(args[1], args[2], size);
}
