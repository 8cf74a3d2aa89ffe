// LoadCursorFromFileA and LoadImageA on real files, on the headless display:
// a handle for a good static or animated file, null and a reason for a
// missing or malformed one.
#include <gtest/gtest.h>

#include "platform/core/desktop.h"
#include "platform/testing.h"
#include "platform/win32.h"
#include "tests/cursors/cursor_writer.h"
#include "tests/support/test_files.h"

namespace {

namespace writer = sorvel::testing;

class LoadCursorFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { platform::testing::use_headless_display(); }

  std::string write(std::string_view name, const writer::Bytes& bytes) { return dir_.write(name, bytes).string(); }

  sorvel::testing::TempDir dir_;
};

// A cursor file with a 16- and a 32-pixel image, each one colour.
writer::Bytes two_size_cursor() {
  auto entry = [](int side, std::uint32_t colour) {
    const std::size_t n = static_cast<std::size_t>(side * side);
    const writer::DibPicture p{
        side, side, 1, {colour, 0}, std::vector<std::uint32_t>(n, 0), std::vector<bool>(n, false)};
    return writer::DirectoryEntry{writer::dib_bytes(p), side, side, 3, 5};
  };
  return writer::icon_directory(writer::kCursorFile, {entry(16, 0x0000FF), entry(32, 0x00FF00)});
}

TEST_F(LoadCursorFile, AStaticFileGivesACursorAtTheDisplaysCursorSize) {
  const std::string path = write("two.cur", two_size_cursor());
  const HCURSOR cursor = LoadCursorFromFileA(path.c_str());
  ASSERT_NE(cursor, nullptr);
  const platform::CursorFrame* frame = platform::core::icon_frame(cursor);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->width, GetSystemMetrics(SM_CXCURSOR));
  EXPECT_EQ(frame->pixels.at(0), 0xFF00FF00u);
  EXPECT_EQ(frame->hotspot_x, 3);
  EXPECT_EQ(frame->hotspot_y, 5);
  EXPECT_NE(platform::core::native_cursor(cursor), 0u);
  EXPECT_TRUE(DestroyCursor(cursor));

  // The image loader reads cursor files as cursors and as icons.
  for (UINT type : {IMAGE_CURSOR, IMAGE_ICON}) {
    const HANDLE image = LoadImageA(nullptr, path.c_str(), type, 0, 0, LR_LOADFROMFILE);
    EXPECT_NE(image, nullptr) << type;
    DestroyCursor(static_cast<HCURSOR>(image));
  }
}

TEST_F(LoadCursorFile, AnAnimatedFileGivesACursorOfAllItsSteps) {
  const writer::Bytes frame = two_size_cursor();
  const std::string path =
      write("spin.ani", writer::acon_file({writer::anih_chunk(2, 3, 6), writer::u32_chunk("seq ", {0, 1, 0}),
                                           writer::riff_list("fram", {writer::riff_chunk("icon", frame),
                                                                      writer::riff_chunk("icon", frame)})}));
  const HCURSOR cursor = LoadCursorFromFileA(path.c_str());
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(platform::core::icon_frame(cursor)->delay_ms, 100u);
  EXPECT_TRUE(DestroyCursor(cursor));
}

TEST_F(LoadCursorFile, MissingAndMalformedFilesGiveNull) {
  writer::Bytes truncated = two_size_cursor();
  truncated.resize(truncated.size() - 1);
  const struct {
    const char* name;
    std::string path;
    DWORD error;
  } cases[] = {
      {"missing file", (dir_.path() / "absent.cur").string(), ERROR_FILE_NOT_FOUND},
      {"a folder", dir_.path().string(), ERROR_FILE_NOT_FOUND},
      {"empty file", write("empty.cur", {}), ERROR_INVALID_DATA},
      {"truncated file", write("cut.cur", truncated), ERROR_INVALID_DATA},
      {"a bitmap file", write("picture.cur", {'B', 'M', 0, 0, 0, 0}), ERROR_INVALID_DATA},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_EQ(LoadCursorFromFileA(c.path.c_str()), nullptr) << c.name;
    EXPECT_EQ(GetLastError(), c.error) << c.name;
    EXPECT_EQ(LoadImageA(nullptr, c.path.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE), nullptr) << c.name;
  }
}

}  // namespace
