// The data of the viewer page: the map files and the world's objects and meshes, as JSON.
#pragma once

#include "viewer/ViewRequest.h"

#include <string>

namespace quarnel {

// The JSON object that the page reads (src/viewer/page/data.mjs describes its fields), with
// the rules it shares with the run: the classes' shapes, tree rule, map file names and colours.
// Every text in it is UTF-8 (Utf8FromSystemText). Binary parts are deflated with zlib and then
// base64-encoded; the text holds no '<', so it can stand inside a script element. Raises the
// failures of the map reader (LoadMapFile), "the three maps must have one size, but they are
// ..." when they differ, and when request names an object file those of the object list and
// the mesh reader, those of placing a mesh (PlaceMeshVertices) and "Range check error" for a
// face whose vertex the mesh lacks.
std::string BuildViewData(const TViewRequest& request);

} // namespace quarnel
