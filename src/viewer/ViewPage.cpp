// Writing the viewer page: the template with the data of the maps and the world put in.
#include "viewer/ViewPage.h"

#include "common/ReplacingFile.h"
#include "common/UTypes.h"
#include "viewer/ViewData.h"

namespace quarnel {

void WriteViewPage(const TViewRequest& request) {
  static constexpr std::string_view kPlaceholder = "@QUARNEL_DATA@";
  const std::string_view page = ViewerTemplate();
  const size_t at = page.find(kPlaceholder);
  const std::string data = BuildViewData(request);
  TReplacingFile file;
  if (!file.Create(request.Page))
    throw Exception("Error opening file: " + request.Page);
  auto put = [&](std::string_view part) {
    if (file.Write(part.data(), part.size()) != static_cast<int64_t>(part.size()))
      throw Exception("Error writing file: " + request.Page);
  };
  put(page.substr(0, at));
  put(data);
  put(page.substr(at + kPlaceholder.size()));
  if (!file.Close())
    throw Exception("Error writing file: " + request.Page);
  if (!file.Commit())
    throw Exception("Error opening file: " + request.Page);
}

} // namespace quarnel
