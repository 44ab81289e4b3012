#include "platform/FileReplacement.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class FileReplacementTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() /
                   ("triebwerke-replace-" + std::to_string(GetCurrentProcessId()) + "-" +
                    testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    // The tool hands the platform UTF-8; the file system's own names are UTF-16.
    std::string path(const std::u8string& name) const
    {
        const std::u8string full = (m_folder / fs::path(name)).u8string();
        return {full.begin(), full.end()};
    }
    fs::path native(const std::u8string& name) const { return m_folder / fs::path(name); }

    std::vector<std::wstring> names() const
    {
        std::vector<std::wstring> found;
        for (const auto& entry : fs::directory_iterator(m_folder))
            found.push_back(entry.path().filename().wstring());
        std::sort(found.begin(), found.end());
        return found;
    }

private:
    fs::path m_folder;
};

std::string contentsOf(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void expectProblem(const std::optional<platform::FileProblem>& problem,
                   platform::FileProblem::Step step, int error)
{
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->step, step);
    EXPECT_EQ(problem->error, error);
}

// Binary bytes stay as they are: no line end becomes CR LF on the way.
TEST_F(FileReplacementTest, ANewNameGetsTheWholeTextAndNothingElseIsLeft)
{
    const std::string picture("\x89PNG\r\n\x1a\n\0x\n", 11);
    EXPECT_FALSE(platform::replaceFile(path(u8"neu.png"), picture));
    EXPECT_EQ(contentsOf(native(u8"neu.png")), picture);
    EXPECT_EQ(names(), std::vector<std::wstring>{L"neu.png"});
}

TEST_F(FileReplacementTest, ANameBeyondTheAnsiCodePageArrivesWhole)
{
    EXPECT_FALSE(platform::replaceFile(path(u8"Prüfung €→✓.svg"), "neu"));
    EXPECT_EQ(contentsOf(native(u8"Prüfung €→✓.svg")), "neu");
    EXPECT_EQ(names(), std::vector<std::wstring>{L"Prüfung €→✓.svg"});
}

TEST_F(FileReplacementTest, AnEarlierFileIsReplacedWhole)
{
    std::ofstream(native(u8"alt.svg"), std::ios::binary) << "eine viel längere alte Fassung";
    EXPECT_FALSE(platform::replaceFile(path(u8"alt.svg"), "neu"));
    EXPECT_EQ(contentsOf(native(u8"alt.svg")), "neu");
    EXPECT_EQ(names(), std::vector<std::wstring>{L"alt.svg"});
}

TEST_F(FileReplacementTest, AMissingFolderIsNamedAndNothingIsCreated)
{
    expectProblem(platform::replaceFile(path(u8"fehlt/bild.png"), "neu"),
                  platform::FileProblem::Step::Create, ERROR_PATH_NOT_FOUND);
    EXPECT_TRUE(names().empty());
}

TEST_F(FileReplacementTest, AFolderOfTheNameIsRefusedWithoutATemporaryFileLeft)
{
    fs::create_directory(native(u8"bild.png"));
    const auto problem = platform::replaceFile(path(u8"bild.png"), "neu");
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->step, platform::FileProblem::Step::Create);
    EXPECT_EQ(names(), std::vector<std::wstring>{L"bild.png"});
}

// A device has no folder entry to rename over; it is written as it is.
TEST_F(FileReplacementTest, ADeviceIsWrittenInPlace)
{
    EXPECT_FALSE(platform::replaceFile("NUL", "Bild"));
    EXPECT_TRUE(names().empty());
}

} // namespace
