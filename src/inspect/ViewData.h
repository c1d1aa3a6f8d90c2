// The data of the viewer page: the map files and the world's objects and meshes, as JSON.
#pragma once

#include "inspect/ViewPage.h"

#include <string>

namespace quarnel {

// The JSON object that the page reads (src/inspect/viewer/viewer.js describes its fields).
// Binary parts are deflated with zlib and then base64-encoded; the text holds no '<', so it
// can stand inside a script element. Raises the failures of the map reader (LoadMapFile),
// "the three maps must have one size, but they are ..." when they differ, and those of the object
// list and the mesh reader when request names an object file.
std::string BuildViewData(const TViewRequest& request);

} // namespace quarnel
