// Pictures of maps, their differences and regions, and their PNG files read back.
#include "analysis/Regions.h"
#include "pictures/Pictures.h"
#include "pictures/RegionsPicture.h"
#include "support/PlainRegions.h"
#include "support/TestMaps.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#ifdef QUARNEL_INSPECT_PNG
#include "common/UTypes.h"
#include "pictures/PngWriter.h"

#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include <memory>
#endif

using namespace quarnel;
using namespace testutil;

namespace {

Cells Pixels(const TImage& image, TRgb background) {
  Cells found;
  for (uint32_t y = 0; y < image.Height; ++y)
    for (uint32_t x = 0; x < image.Width; ++x)
      if (!(image.At(x, y) == background))
        found.emplace_back(x, y);
  return found;
}

TEST(Pictures, PutRowZeroAtTheBottomAndShowAnyBlockedCellOfAScaledPixel) {
  struct Case {
    uint32_t Size, Scale;
    Cells Blocked, Pixels;
  };
  const Case cases[] = {{192, 1, {{0, 0}}, {{0, 191}}},
                        {192, 1, {{0, 191}}, {{191, 191}}},
                        {192, 1, {{191, 0}}, {{0, 0}}},
                        {128, 4, {{5, 6}, {127, 0}}, {{0, 0}, {1, 30}}},
                        {192, 5, {{191, 191}, {0, 190}}, {{38, 0}, {38, 38}}}};
  for (const Case& c : cases) {
    const TImage image = RenderMap(MakeMap(c.Size, c.Blocked), c.Scale);
    EXPECT_EQ(image.Width, PictureSide(c.Size, c.Scale));
    EXPECT_EQ(Pixels(image, colours::Free), c.Pixels) << c.Size << " at scale " << c.Scale;
    EXPECT_EQ(image.At(c.Pixels[0].first, c.Pixels[0].second), colours::Blocked);
  }
  EXPECT_EQ(PictureSide(4294967232u, 4294967295u), 1u);
  const TImage overlay =
      RenderOverlay(MakeMap(64, {{0, 0}, {0, 3}}), MakeMap(64, {{0, 0}, {0, 1}, {63, 63}}),
                    MakeMap(64, {{0, 0}, {0, 1}, {0, 2}}), 1);
  EXPECT_EQ(Pixels(overlay, colours::Free), (Cells{{63, 0}, {0, 63}, {1, 63}, {2, 63}, {3, 63}}));
  for (auto [x, colour] : {std::pair{0, colours::Infantry},
                           {1, colours::Tank},
                           {2, colours::Car},
                           {3, colours::Infantry}})
    EXPECT_EQ(overlay.At(x, 63), colour) << x;
  const TPathmap a = MakeMap(64, {{0, 0}, {0, 4}, {10, 10}});
  const TPathmap b = MakeMap(64, {{0, 2}, {0, 4}, {11, 11}});
  const TImage diff = RenderDiff(a, b, 1), scaled = RenderDiff(a, b, 2);
  EXPECT_EQ(diff.At(0, 63), colours::OnlyInA);
  EXPECT_EQ(diff.At(2, 63), colours::OnlyInB);
  EXPECT_EQ(diff.At(4, 63), colours::DimBlocked);
  EXPECT_EQ(diff.At(1, 63), colours::DimFree);
  EXPECT_EQ(scaled.At(5, 26), colours::BothWays);
  EXPECT_EQ(Pixels(scaled, colours::DimFree).size(), 4u);
}

TEST(RegionsPicture, ShowsNeighbouringRegionsInDifferentColoursAndTheMainOneWhite) {
  std::mt19937_64 rng(9);
  for (const bool diagonal : {false, true}) {
    const TPathmap map = RandomMap(128, rng);
    const TRegions regions = LabelRegions(map, diagonal);
    const PlainRegions plain = FloodFill(map, diagonal);
    const std::vector<TRgb> colour = RegionColours(map, regions);
    const TImage image = RenderRegions(map, regions, 1);
    int pairs = 0;
    for (int64_t r = 0; r < 128; ++r)
      for (int64_t c = 0; c < 128; ++c) {
        const uint32_t a = plain.Label[size_t(r * 128 + c)];
        EXPECT_EQ(image.At(uint32_t(c), uint32_t(127 - r)), a == 0 ? colours::Blocked : colour[a]);
        for (int64_t dr = 0; dr <= 2; ++dr)
          for (int64_t dc = -2; dc <= 2; ++dc) {
            if (r + dr >= 128 || c + dc < 0 || c + dc >= 128)
              continue;
            const uint32_t b = plain.Label[size_t((r + dr) * 128 + c + dc)];
            if (a > 1 && b > 1 && a != b) {
              ++pairs;
              EXPECT_FALSE(colour[a] == colour[b]) << a << " and " << b;
            }
          }
      }
    EXPECT_GT(pairs, 100);
    EXPECT_EQ(colour[1], colours::Free);
  }
}

#if !defined(_WIN32) && defined(QUARNEL_INSPECT_PNG)
TImage DecodePng(const std::string& bytes) {
  int width = 0, height = 0, channels = 0;
  const std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
      stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                            static_cast<int>(bytes.size()), &width, &height, &channels, 0),
      stbi_image_free);
  if (pixels == nullptr || channels != 3)
    return {};
  TImage image(width, height);
  std::copy_n(pixels.get(), image.Pixels.size(), image.Pixels.begin());
  return image;
}

TEST(PngWriter, WritesThePicturePixelForPixelAndNamesTheFileAndReasonOfEachFailure) {
  TempDir dir;
  std::mt19937_64 rng(4);
  const TPathmap map = RandomMap(192, rng);
  const TImage picture = RenderRegions(map, LabelRegions(map, false), 3);
  WritePng(picture, (dir / "p.png").string());
  const TImage read = DecodePng(ReadFile(dir / "p.png"));
  EXPECT_EQ(read.Width, picture.Width);
  EXPECT_EQ(read.Pixels, picture.Pixels);
  TImage tooWide; // the size alone decides: no pixels are needed to refuse it
  tooWide.Width = 300'000'000, tooWide.Height = 1;
  TImage tooTall;
  tooTall.Width = 30'000, tooTall.Height = 30'000;
  const std::string big = (dir / "big.png").string(), tooLarge = "the picture is too large for "
                                                                 "PNG: give a larger --scale";
  const struct {
    TImage Image;
    std::string Name, Message;
  } cases[] = {{tooWide, big, "Error writing file: " + big + " (" + tooLarge + ")"},
               {tooTall, big, "Error writing file: " + big + " (" + tooLarge + ")"},
               {TImage(64, 64), "/dev/full",
                "Error writing file: /dev/full (the file could not be written)"},
               {TImage(64, 64), (dir / "no" / "a.png").string(),
                "Error opening file: " + (dir / "no" / "a.png").string()}};
  for (const auto& c : cases)
    EXPECT_EQ(MessageOf([&] { WritePng(c.Image, c.Name); }), c.Message);
  EXPECT_FALSE(fs::exists(big)) << "a picture too large is refused before the file is made";
}
#endif

} // namespace
