// Files: text-mode translation across read boundaries, what does not open,
// and names that are not UTF-8.
#include "platform/file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/text_codec.h"

namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = std::filesystem::temp_directory_path() /
                   ("skarnel_file_test_" +
                    std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::wstring Put(const std::string& name, const std::string& bytes) {
        const std::filesystem::path path = m_folder / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return FromUtf8(path.string());
    }

    std::filesystem::path m_folder;
};

std::string ReadAllInBlocks(const std::wstring& path, FileMode mode, std::size_t block) {
    InputFile file;
    EXPECT_TRUE(file.Open(path, mode));
    std::string all;
    std::string buffer(block, '\0');
    while (const std::size_t count = file.Read(buffer.data(), block)) all.append(buffer, 0, count);
    return all;
}

TEST_F(FileTest, TextModeReadsCrLfAsLfWhateverTheBlockSize) {
    const std::wstring path = Put("a.txt", "a\r\nb\r\r\nc\rd\r\n\r\n\r");
    for (std::size_t block : {1u, 2u, 3u, 1023u}) {
        EXPECT_EQ(ReadAllInBlocks(path, FileMode::kText, block), "a\nb\r\nc\rd\n\n\r") << block;
    }
    EXPECT_EQ(ReadAllInBlocks(path, FileMode::kBinary, 2), "a\r\nb\r\r\nc\rd\r\n\r\n\r");
}

TEST_F(FileTest, TextModeWritesLfAsCrLf) {
    const std::wstring path = FromUtf8((m_folder / "out.txt").string());
    OutputFile file;
    ASSERT_TRUE(file.Create(path, FileMode::kText));
    EXPECT_TRUE(file.Write("1\n2\r\n"));
    EXPECT_TRUE(file.Close());
    std::string contents;
    ASSERT_TRUE(ReadWholeFile(path, &contents));
    EXPECT_EQ(contents, "1\r\n2\r\r\n");
}

TEST_F(FileTest, FoldersAndMissingFilesDoNotOpen) {
    InputFile file;
    EXPECT_FALSE(file.Open(FromUtf8(m_folder.string()), FileMode::kText));
    EXPECT_FALSE(file.Open(FromUtf8((m_folder / "missing").string()), FileMode::kText));
    EXPECT_FALSE(file.Open(std::wstring(L"a\0b", 3), FileMode::kText));
}

// Opening in held folders must change nothing a caller sees: whether the
// name opens, what it reads, and whether a name that did not open is a
// folder, as PathIsFolder says.
TEST_F(FileTest, HeldFoldersOpenEveryNameAsItsWholeNameDoes) {
    Put("page.html", "top");
    std::filesystem::create_directories(m_folder / "sub" / "deeper");
    Put("sub/deeper/page.html", "deep");
    Put("latin\xE9.html", "bytes");
    std::filesystem::create_directory_symlink(m_folder / "sub", m_folder / "link");
    const std::string root = m_folder.string();
    FolderHandles folders;
    for (int round = 0; round < 2; ++round) {
        for (const std::string name :
             {"/page.html", "/sub/deeper/page.html", "/link/deeper/page.html", "/sub", "/sub/",
              "/sub/.", "/sub/deeper/..", "/missing.html", "/missing/page.html",
              "/page.html/inside", "/link/../page.html", "/latin\xE9.html", ""}) {
            const std::wstring path = Widen(root + name);
            InputFile whole;
            InputFile held;
            const bool opened = whole.Open(path, FileMode::kText);
            ASSERT_EQ(held.Open(path, FileMode::kText, &folders), opened) << name;
            if (opened) {
                std::string wholeText;
                std::string heldText;
                whole.ReadRest(&wholeText);
                held.ReadRest(&heldText);
                EXPECT_EQ(heldText, wholeText) << name;
                EXPECT_EQ(held.PathBytes(), whole.PathBytes()) << name;
            } else if (held.NameIsFolder() != FolderAnswer::kUnknown) {
                EXPECT_EQ(held.NameIsFolder() == FolderAnswer::kFolder, PathIsFolder(path)) << name;
            }
        }
    }
    // A held folder shows what it holds now.
    std::filesystem::remove(m_folder / "sub" / "deeper" / "page.html");
    Put("sub/deeper/new.html", "new");
    InputFile file;
    EXPECT_FALSE(file.Open(Widen(root + "/sub/deeper/page.html"), FileMode::kText, &folders));
    EXPECT_EQ(file.NameIsFolder(), FolderAnswer::kNotFolder);
    ASSERT_TRUE(file.Open(Widen(root + "/sub/deeper/new.html"), FileMode::kText, &folders));
    std::string text;
    file.ReadRest(&text);
    EXPECT_EQ(text, "new");
}

TEST_F(FileTest, NamesOpenByUnicodeAndByTheirOwnBytes) {
    const std::wstring utf8Name = Put("caf\xC3\xA9.html", "x");
    InputFile file;
    EXPECT_TRUE(file.Open(utf8Name, FileMode::kBinary));
    // The same name met as widened page bytes: U+00C3 U+00A9.
    EXPECT_TRUE(file.Open(Widen((m_folder / "caf\xC3\xA9.html").string()), FileMode::kBinary));
    // A name that is not UTF-8 at all.
    Put("latin\xE9.html", "y");
    EXPECT_TRUE(file.Open(Widen((m_folder / "latin\xE9.html").string()), FileMode::kBinary));
}

TEST_F(FileTest, ACopyInAPrivateFolderCannotBePreparedOrRedirectedByOthers) {
    namespace fs = std::filesystem;
    const std::wstring victim = Put("victim.txt", "precious");
    fs::create_symlink(m_folder / "victim.txt", m_folder / "link");
    fs::create_symlink(m_folder / "planted", m_folder / "dangling");
    OutputFile file;
    for (const char* taken : {"victim.txt", "link", "dangling"}) {
        EXPECT_FALSE(file.CreateNew(FromUtf8((m_folder / taken).string()), FileMode::kBinary))
            << taken;
    }
    EXPECT_FALSE(fs::exists(m_folder / "planted"));
    std::string contents;
    ASSERT_TRUE(ReadWholeFile(victim, &contents));
    EXPECT_EQ(contents, "precious");

    const std::optional<std::wstring> folder =
        CreatePrivateFolder(FromUtf8(m_folder.string()), L"skarnel-");
    ASSERT_TRUE(folder);
    EXPECT_NE(folder, CreatePrivateFolder(FromUtf8(m_folder.string()), L"skarnel-"));
    EXPECT_EQ(fs::status(ToUtf8(*folder)).permissions(), fs::perms::owner_all);
    const std::wstring copy = *folder + L"/page.html__temp_file.txt";
    ASSERT_TRUE(file.CreateNew(copy, FileMode::kBinary));
    EXPECT_TRUE(file.Write("a\r\nb\n"));
    EXPECT_TRUE(file.Close());
    ASSERT_TRUE(ReadWholeFile(copy, &contents));
    EXPECT_EQ(contents, "a\r\nb\n");
    EXPECT_EQ(fs::status(ToUtf8(copy)).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(DeleteFolder(*folder));
    EXPECT_TRUE(DeleteFile(copy));
    EXPECT_TRUE(DeleteFolder(*folder));
}

}  // namespace
