#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/profile/profile_file.h"

namespace velmora::profile {
namespace {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "velmora-profile-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempFolder() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Read {
  std::string section, key, expected;
};
struct Write {
  std::string section, key, value;
};
struct FixtureCase {
  const char* what;
  std::string before;
  std::vector<Read> reads;    // made on `before`, default "dflt"
  std::vector<Write> writes;  // one WritePrivateProfileString each
  std::string after;
};

TEST(PrivateProfile, FixtureFilesReadAndRewriteAsExpected) {
  const FixtureCase cases[] = {
      {"names compare without case, values are trimmed, blanks around '=' are kept",
       "[Option]\r\nlanguage = 1 \r\n",
       {{"OPTION", "LANGUAGE", "1"}, {"option", "Language", "1"}},
       {{"Option", "Language", "0"}},
       "[Option]\r\nlanguage = 0\r\n"},
      {"CRLF file: a missing key joins the end of its section in CRLF",
       "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n",
       {{"a", "x", "1"}, {"b", "y", "2"}, {"a", "y", "dflt"}},
       {{"a", "z", "3"}},
       "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\n"},
      {"LF file: a missing section goes at the end in LF",
       "[a]\nx=1\n",
       {{"c", "x", "dflt"}},
       {{"c", "k", "v"}},
       "[a]\nx=1\n[c]\nk=v\n"},
      {"comments are kept and never read as keys",
       "; top comment\n[a]\n; x=9\n# x=8\nx=1\n; about b\n[b]\n",
       {{"a", "x", "1"}, {"a", "; x", "dflt"}},
       {{"a", "y", "2"}, {"a", "x", "5"}},
       "; top comment\n[a]\n; x=9\n# x=8\nx=5\ny=2\n; about b\n[b]\n"},
      {"the first of duplicate sections is read and written",
       "[a]\nx=1\n[A]\nx=2\ny=3\n",
       {{"a", "x", "1"}, {"a", "y", "dflt"}},
       {{"a", "x", "7"}, {"a", "y", "8"}},
       "[a]\nx=7\ny=8\n[A]\nx=2\ny=3\n"},
      {"keys before any section belong to none",
       "x=1\n[a]\ny=2\n",
       {{"", "x", "dflt"}, {"a", "x", "dflt"}},
       {{"a", "x", "3"}},
       "x=1\n[a]\ny=2\nx=3\n"},
      {"a file without a final newline keeps it until something follows its last line",
       "[a]\nx=1\n[b]\ny=2",
       {{"b", "y", "2"}},
       {{"b", "y", "4"}, {"a", "z", "5"}},
       "[a]\nx=1\nz=5\n[b]\ny=4"},
      {"appending after a last line without a newline ends that line first",
       "[a]\r\nx=1",
       {},
       {{"a", "y", "2"}, {"new", "k", "v"}},
       "[a]\r\nx=1\r\ny=2\r\n[new]\r\nk=v\r\n"},
      {"unknown lines and odd layouts survive",
       "garbage line\n  [ spaced ]  \n\tkey\t=\tvalue with spaces\t\nnot a key\n",
       {{"spaced", "KEY", "value with spaces"}},
       {{"spaced", "other", "1"}},
       "garbage line\n  [ spaced ]  \n\tkey\t=\tvalue with spaces\t\nother=1\nnot a key\n"},
      {"an empty value reads as empty, not as the default",
       "[a]\nx=\n",
       {{"a", "x", ""}},
       {{"a", "x", "1"}},
       "[a]\nx=1\n"},
      {"a byte-order mark is kept",
       "\xEF\xBB\xBF[a]\r\nx=1\r\n",
       {{"a", "x", "1"}},
       {{"a", "x", "2"}},
       "\xEF\xBB\xBF[a]\r\nx=2\r\n"},
  };
  for (const FixtureCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    const auto path = folder.path() / "fixture.ini";
    WriteFile(path, c.before);
    for (const Read& r : c.reads)
      EXPECT_EQ(GetPrivateProfileString(r.section, r.key, "dflt", 260, path), r.expected)
          << r.section << "/" << r.key;
    for (const Write& w : c.writes)
      EXPECT_TRUE(WritePrivateProfileString(w.section, w.key, w.value, path).ok);
    EXPECT_EQ(ReadFile(path), c.after);
  }
}

TEST(PrivateProfile, MissingFileReadsDefaultAndFirstWriteCreatesCrlfFile) {
  TempFolder folder;
  const auto path = folder.path() / "Setting.ini";
  EXPECT_EQ(GetPrivateProfileString("Option", "Language", "0", 8, path), "0");
  EXPECT_FALSE(std::filesystem::exists(path));

  ASSERT_TRUE(WritePrivateProfileString("Option", "Language", "1", path).ok);
  EXPECT_EQ(ReadFile(path), "[Option]\r\nLanguage=1\r\n");
  EXPECT_EQ(GetPrivateProfileString("option", "language", "0", 8, path), "1");
  // Only the file itself is left in the folder: the temporary file was renamed.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(PrivateProfile, ResultIsCutToTheBufferAndDefaultLosesTrailingBlanks) {
  TempFolder folder;
  const auto path = folder.path() / "p.ini";
  WriteFile(path, "[a]\nlong=123456789\n");
  EXPECT_EQ(GetPrivateProfileString("a", "long", "", 8, path), "1234567");
  EXPECT_EQ(GetPrivateProfileString("a", "long", "", 1, path), "");
  EXPECT_EQ(GetPrivateProfileString("a", "none", "dflt  ", 260, path), "dflt");
  EXPECT_EQ(GetPrivateProfileString("a", "none", "0123456789", 4, path), "012");
}

TEST(PrivateProfile, NamesOrValuesThatWouldBreakTheFileAreRefused) {
  TempFolder folder;
  const auto path = folder.path() / "p.ini";
  WriteFile(path, "[a]\nx=1\n");
  EXPECT_FALSE(WritePrivateProfileString("a", "x", "1\n[evil]", path).ok);
  EXPECT_FALSE(WritePrivateProfileString("a", "k=v", "1", path).ok);
  EXPECT_FALSE(WritePrivateProfileString("a]", "x", "1", path).ok);
  EXPECT_FALSE(WritePrivateProfileString("a", "  ", "1", path).ok);
  EXPECT_EQ(ReadFile(path), "[a]\nx=1\n");
}

TEST(PrivateProfile, UnwritableTargetsReportAReasonAndLoseNothing) {
  TempFolder folder;
  // A folder where the file should be: cannot be read, must not be replaced.
  const auto dir = folder.path() / "taken.ini";
  std::filesystem::create_directory(dir);
  const Status onto_folder = WritePrivateProfileString("a", "x", "1", dir);
  EXPECT_FALSE(onto_folder.ok);
  EXPECT_FALSE(onto_folder.reason.empty());
  EXPECT_TRUE(std::filesystem::is_directory(dir));

  const Status no_folder =
      WritePrivateProfileString("a", "x", "1", folder.path() / "none" / "p.ini");
  EXPECT_FALSE(no_folder.ok);
  EXPECT_FALSE(no_folder.reason.empty());
}

TEST(PrivateProfile, WritingThroughALinkRewritesItsTarget) {
  TempFolder folder;
  const auto target = folder.path() / "real.ini";
  const auto link = folder.path() / "link.ini";
  WriteFile(target, "[a]\nx=1\n");
  std::filesystem::create_symlink(target, link);
  ASSERT_TRUE(WritePrivateProfileString("a", "x", "2", link).ok);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadFile(target), "[a]\nx=2\n");
}

TEST(ProfileSession, KeepsPerKeySemanticsAndWritesOnceOnCommit) {
  TempFolder folder;
  const auto path = folder.path() / "p.ini";
  WriteFile(path, "; kept\n[s]\nA=1\n");
  ProfileSession session(path);
  ASSERT_TRUE(session.open_status().ok);
  ASSERT_TRUE(session.WriteString("S", "a", "2").ok);
  ASSERT_TRUE(session.WriteString("s", "b", "3").ok);
  ASSERT_TRUE(session.WriteString("t", "c", "4").ok);
  EXPECT_EQ(session.GetString("s", "A", "x", 260), "2");  // reads see the session's writes
  EXPECT_EQ(ReadFile(path), "; kept\n[s]\nA=1\n");        // nothing on disk yet
  ASSERT_TRUE(session.Commit().ok);
  EXPECT_EQ(ReadFile(path), "; kept\n[s]\nA=2\nb=3\n[t]\nc=4\n");
}

TEST(ProfileSession, CommitWithoutWritesLeavesNoFile) {
  TempFolder folder;
  const auto path = folder.path() / "p.ini";
  ProfileSession session(path);
  EXPECT_TRUE(session.Commit().ok);
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace velmora::profile
