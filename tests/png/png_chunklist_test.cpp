// The chunk list owns its chunks: Remove hands one back, freeing a header gives its pixel
// storage back to the image's accounting, and a refused insert leaks nothing.
#include <gtest/gtest.h>

#include <memory>

#include "png/pngimage.h"

namespace {

std::unique_ptr<TChunk> Make(TChunkClass cls, TPngImage& png) { return std::unique_ptr<TChunk>(cls->create(&png)); }

TEST(ChunkList, OwnsItsChunksAndHandsThemBack) {
  TPngImage png;
  TPngChunkList& list = png.Chunks();
  auto* header = static_cast<TChunkIHDR*>(list.Add(Make(&TChunkIHDR::Class, png)));
  header->SetImageWidth(8);
  header->SetImageHeight(4);
  header->SetBitDepth(8);
  header->SetColorType(TPngColorType::Rgba);
  header->PrepareStorage();
  // 24-bit rows of 8 pixels are 24 bytes (a multiple of 4); 4 rows plus a 32-byte alpha plane.
  EXPECT_EQ(png.StorageInUse(), 4u * 24u + 32u);
  TChunk* end = list.Add(Make(&TChunkIEND::Class, png));
  EXPECT_EQ(list.InsertChunkAt(Make(&TChunktEXt::Class, png), 2), nullptr);  // not below the count
  EXPECT_EQ(list.Count(), 2u);

  std::unique_ptr<TChunk> taken = list.Remove(header);
  EXPECT_EQ(taken.get(), header);
  ASSERT_EQ(list.Count(), 1u);
  EXPECT_EQ(list.Item(0), end);
  EXPECT_EQ(list.Remove(header), nullptr);
  taken.reset();
  EXPECT_EQ(png.StorageInUse(), 0u);
  png.RemoveAllChunks();
  EXPECT_EQ(list.Count(), 0u);
}

}  // namespace
