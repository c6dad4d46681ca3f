// The skin archive: packed and read back with its password; wrong or broken
// archives fail with a reason instead of crashing or reading garbage.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/archive/skin_archive.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class SkinArchive : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("velmora-skin-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(root / "skin" / "view");
    fs::create_directories(root / "skin" / "image");
    Write(root / "skin" / "view" / "MainWindow.xml", "<Window>主窗口</Window>");
    std::string binary(300, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 7);
    Write(root / "skin" / "image" / "input.png", binary);
    zip = (root / "skin.zip").string();
  }
  void TearDown() override { fs::remove_all(root); }

  static void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string Text(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

  fs::path root;
  std::string zip;
};

TEST_F(SkinArchive, PackedFilesReadBackWithThePassword) {
  auto packed = PackSkinFolder((root / "skin").string(), zip, "quillon");
  ASSERT_TRUE(packed) << packed.error;
  EXPECT_EQ(packed.value, 2u);

  auto skin = OpenSkinArchive(zip, "quillon");
  ASSERT_TRUE(skin) << skin.error;
  auto layout = skin.value->Read("view/MainWindow.xml");
  ASSERT_TRUE(layout) << layout.error;
  EXPECT_EQ(Text(layout.value), "<Window>主窗口</Window>");
  auto image = skin.value->Read("image/input.png");
  ASSERT_TRUE(image);
  EXPECT_EQ(image.value.size(), 300u);
  EXPECT_EQ(image.value[3], static_cast<std::uint8_t>(21));

  auto missing = skin.value->Read("view/Nope.xml");
  EXPECT_FALSE(missing);
  EXPECT_NE(missing.error.find("view/Nope.xml"), std::string::npos);
}

TEST_F(SkinArchive, EntriesAreEncrypted) {
  ASSERT_TRUE(PackSkinFolder((root / "skin").string(), zip, "quillon"));
  std::ifstream in(zip, std::ios::binary);
  const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(raw.find("主窗口"), std::string::npos);
  EXPECT_EQ(raw.find("<Window>"), std::string::npos);
}

TEST_F(SkinArchive, WrongPasswordMissingOrBrokenArchivesFailClearly) {
  ASSERT_TRUE(PackSkinFolder((root / "skin").string(), zip, "quillon"));

  auto wrong = OpenSkinArchive(zip, "abcdefg");
  EXPECT_FALSE(wrong);
  EXPECT_NE(wrong.error.find("wrong password"), std::string::npos) << wrong.error;

  auto missing = OpenSkinArchive((root / "absent.zip").string(), "quillon");
  EXPECT_FALSE(missing);
  EXPECT_NE(missing.error.find("absent.zip"), std::string::npos) << missing.error;

  const std::string junk = (root / "junk.zip").string();
  Write(junk, "this is not a zip archive at all");
  EXPECT_FALSE(OpenSkinArchive(junk, "quillon"));

  // Cut in half: the central directory is gone.
  const auto size = fs::file_size(zip);
  fs::resize_file(zip, size / 2);
  auto cut = OpenSkinArchive(zip, "quillon");
  EXPECT_FALSE(cut);
  EXPECT_FALSE(cut.error.empty());
}

TEST_F(SkinArchive, FolderSkinReadsFilesAndStaysInsideItsFolder) {
  Write(root / "secret.txt", "outside");
  auto skin = OpenSkinFolder((root / "skin").string());
  ASSERT_TRUE(skin) << skin.error;
  EXPECT_TRUE(skin.value->Read("view/MainWindow.xml"));
  EXPECT_FALSE(skin.value->Read("../secret.txt"));
  EXPECT_FALSE(skin.value->Read("/etc/passwd"));
  EXPECT_FALSE(OpenSkinFolder((root / "nowhere").string()));
}

}  // namespace
}  // namespace velmora
