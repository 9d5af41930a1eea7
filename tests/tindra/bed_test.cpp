#include "bed.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <string>

using namespace col;
using namespace tindra;

namespace {

struct LineCase {
  const char* text;
  BedLineKind kind;
  const char* chrom;
  int lo, hi;
  char strand;
  int rgb;  // 0xRRGGBB, -1 for none
};

TEST(ParseBedLine, FieldCountsCommentsAndBadLines) {
  const LineCase cases[] = {
      // BED3 to BED12; tabs or blanks; CRLF
      {"chr1\t0\t10\n", BedLineKind::kRegion, "chr1", 1, 10, '.', -1},
      {"chr1 5  9\r\n", BedLineKind::kRegion, "chr1", 6, 9, '.', -1},
      {"c 1 2 name", BedLineKind::kRegion, "c", 2, 2, '.', -1},
      {"c\t1\t2\tn\t960\t-\n", BedLineKind::kRegion, "c", 2, 2, '-', -1},
      {"c\t1\t2\tn\t0\t+\t1\t2\t255,0,10\n", BedLineKind::kRegion, "c", 2, 2, '+', 0xFF000A},
      {"c\t1\t2\tn\t0\t.\t1\t2\t0,128,255\t2\t1,1\t0,0\r\n", BedLineKind::kRegion, "c", 2, 2, '.', 0x0080FF},
      // fields across the 64-character blocks the line is scanned in
      {"a_chrom_name_of_sixty_three_characters_from_some_genome_assembly 7 9 n 0 - 7 9 1,2,3\n",
       BedLineKind::kRegion, "a_chrom_name_of_sixty_three_characters_from_some_genome_assembly", 8, 9, '-', 0x010203},
      {"c\t1\t2\tname_ending_the_line_at_the_char_sixty_four_\t0\t+\t1\t2\t9,8,7",
       BedLineKind::kRegion, "c", 2, 2, '+', 0x090807},
      // itemRgb "0" or not r,g,b in 0..255: the options' colour
      {"c 1 2 n 0 + 1 2 0", BedLineKind::kRegion, "c", 2, 2, '+', -1},
      {"c 1 2 n 0 * 1 2 256,0,0", BedLineKind::kRegion, "c", 2, 2, '.', -1},
      {"c 1 2 n 0 + 1 2 1,2", BedLineKind::kRegion, "c", 2, 2, '+', -1},
      {"c 1 2 n 0 + 1 2 1,2,3,", BedLineKind::kRegion, "c", 2, 2, '+', -1},
      // starts and ends of up to 8 digits after a long chrom are read in one word
      {"chromosome_1\t00000012\t99999999\n", BedLineKind::kRegion, "chromosome_1", 13, 99999999, '.', -1},
      {"chromosome_1 12345678 123456789", BedLineKind::kRegion, "chromosome_1", 12345679, 123456789, '.', -1},
      {"chromosome_1 1:3 5", BedLineKind::kBad, "", 0, 0, '.', -1},
      {"chromosome_1 1/3 5", BedLineKind::kBad, "", 0, 0, '.', -1},
      {"chromosome_1 3 5 n 0 - 3 5 9,9", BedLineKind::kRegion, "chromosome_1", 4, 5, '-', -1},
      // an empty region and the largest end
      {"c 7 7", BedLineKind::kRegion, "c", 1, 0, '.', -1},
      {"c 2147483646 2147483647", BedLineKind::kRegion, "c", 2147483647, 2147483647, '.', -1},
      // not regions
      {"track name=x itemRgb=On\n", BedLineKind::kSkipped, "", 0, 0, '.', -1},
      {"browser position chr1:1-100\n", BedLineKind::kSkipped, "", 0, 0, '.', -1},
      {"#chrom\tstart\tend\n", BedLineKind::kSkipped, "", 0, 0, '.', -1},
      {"  # indented\n", BedLineKind::kSkipped, "", 0, 0, '.', -1},
      {"\r\n", BedLineKind::kSkipped, "", 0, 0, '.', -1},
      // bad lines
      {"chr1\t0\n", BedLineKind::kBad, "", 0, 0, '.', -1},
      {"chr1 5 3", BedLineKind::kBad, "", 0, 0, '.', -1},
      {"chr1 -1 3", BedLineKind::kBad, "", 0, 0, '.', -1},
      {"chr1 +1 3", BedLineKind::kBad, "", 0, 0, '.', -1},
      {"chr1 1 2147483648", BedLineKind::kBad, "", 0, 0, '.', -1},
      {"chr1 1x 3", BedLineKind::kBad, "", 0, 0, '.', -1},
      {"tracks 1 x", BedLineKind::kBad, "", 0, 0, '.', -1},
  };
  for (const LineCase& c : cases) {
    BedLine line;
    ASSERT_EQ(ParseBedLine(c.text, line), c.kind) << c.text;
    if (c.kind != BedLineKind::kRegion) continue;
    EXPECT_EQ(line.chrom, c.chrom) << c.text;
    EXPECT_EQ(line.region.lo, c.lo) << c.text;
    EXPECT_EQ(line.region.hi, c.hi) << c.text;
    EXPECT_EQ(line.region.strand, c.strand) << c.text;
    EXPECT_EQ(line.has_colour, c.rgb >= 0) << c.text;
    if (c.rgb >= 0) {
      EXPECT_EQ(line.colour.rgb[0] << 16 | line.colour.rgb[1] << 8 | line.colour.rgb[2], c.rgb) << c.text;
    }
  }
}

std::string Gzip(const std::string& text) {
  std::string out(compressBound(text.size()) + 64, '\0');
  z_stream zs{};
  deflateInit2(&zs, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  zs.avail_in = static_cast<uInt>(text.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

TEST(ReadBed, GroupsByChromInFileOrderAndNumbersBadLines) {
  const std::string text =
      "track name=t\n"
      "chr2\t0\t5\tA\t0\t+\t0\t5\t255,0,0\n"
      "chr1\t9\t10\n"
      "chr2\t3\t4\tB\t0\t-\t3\t4\t0,0,255\n"
      "chr2\t6\t8\tC\t0\t.\t6\t8\t255,0,0\n";
  for (const std::string& bytes : {text, Gzip(text)}) {
    // A name of this process's own: other test runs may share the folder.
    std::string path = ::testing::TempDir() + "bed_test." + std::to_string(getpid()) + ".bed";
    std::ofstream(path, std::ios::binary) << bytes;
    Input in;
    ASSERT_TRUE(in.Open(path.c_str()));
    BedFile bed;
    ASSERT_EQ(ReadBed(in, bed), 0);
    ASSERT_EQ(bed.regions.size(), 2u);
    const std::vector<BedRegion>& chr2 = bed.regions["chr2"];
    ASSERT_EQ(chr2.size(), 3u);
    EXPECT_EQ(chr2[0].lo, 1);
    EXPECT_EQ(chr2[1].strand, '-');
    // one colour entry per distinct itemRgb
    ASSERT_EQ(bed.colours.size(), 2u);
    EXPECT_EQ(chr2[0].colour, chr2[2].colour);
    EXPECT_NE(chr2[0].colour, chr2[1].colour);
    EXPECT_EQ(bed.regions["chr1"][0].colour, 0);
    std::remove(path.c_str());
  }
  for (auto [bytes, line] : {std::pair<std::string, long long>{"c 1 2\n#\nc 2\n", 3}, {"c 1 x\r\nc 1 2\r\n", 1},
                             {"track\nbrowser\nc 1 2\nc 4 3\n", 4}}) {
    Input in;
    in.UseMemory(bytes);
    BedFile bed;
    EXPECT_EQ(ReadBed(in, bed), line) << bytes;
  }
}

}  // namespace
