// How the reports write an object of a world and its numbers, as text and as JSON.
#pragma once

#include "common/UTypes.h"
#include "mesh/CollisionMesh.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

namespace quarnel {

using TJson = nlohmann::ordered_json;

// "10/0/20.5": the three numbers as the object file may write them.
std::string TripleText(const TVector3& v);

// Text in a JSON document is UTF-8: paths and names are the system's bytes.
TJson JsonText(const std::string& text);
// JSON has no infinity or NaN: such a number is written as null. A whole number below 2^53 is
// written as an integer ("40", as the text has it, not "40.0").
TJson JsonNumber(double value);

// "Object 3 "Wall_m1" (line 5): position 10/0/20, rotation 0/0/0, scale 1/1/1, mesh m/Wall_m1.sm"
// after indent, with a line end; name as the object file writes it.
void PrintObjectText(std::ostream& out, int64_t number, const std::string& name,
                     const TStaticObjectMeshNode& node, const char* indent);
// {"number", "name", "line", "position", "rotation", "scale", "mesh" (null for none)}.
TJson JsonObject(int64_t number, const std::string& name, const TStaticObjectMeshNode& node);

} // namespace quarnel
