#include "platform/FileReplacement.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

class FileReplacementTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() /
                   ("triebwerke-replace-" + std::to_string(::getpid()) + "-" +
                    testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::string path(const std::string& name) const { return (m_folder / name).string(); }

    std::vector<std::string> names() const
    {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(m_folder))
            found.push_back(entry.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    }

private:
    fs::path m_folder;
};

std::string contentsOf(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void writeText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

TEST_F(FileReplacementTest, ANewNameGetsTheWholeTextAndNothingElseIsLeft)
{
    EXPECT_FALSE(platform::replaceFile(path("neu.png"), std::string("\x89PNG\0x", 6)));
    EXPECT_EQ(contentsOf(path("neu.png")), std::string("\x89PNG\0x", 6));
    EXPECT_EQ(names(), std::vector<std::string>{"neu.png"});
}

TEST_F(FileReplacementTest, AnEarlierFileIsReplacedAndKeepsItsPermissions)
{
    writeText(path("alt.svg"), "eine viel längere alte Fassung");
    ASSERT_EQ(::chmod(path("alt.svg").c_str(), 0640), 0);
    EXPECT_FALSE(platform::replaceFile(path("alt.svg"), "neu"));
    EXPECT_EQ(contentsOf(path("alt.svg")), "neu");
    struct stat status = {};
    ASSERT_EQ(::stat(path("alt.svg").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(names(), std::vector<std::string>{"alt.svg"});
}

TEST_F(FileReplacementTest, ALinkStaysALinkAndItsTargetIsReplaced)
{
    writeText(path("ziel.png"), "alt");
    fs::create_symlink(path("ziel.png"), path("verweis.png"));
    EXPECT_FALSE(platform::replaceFile(path("verweis.png"), "neu"));
    EXPECT_TRUE(fs::is_symlink(path("verweis.png")));
    EXPECT_EQ(contentsOf(path("ziel.png")), "neu");
    EXPECT_EQ(names(), (std::vector<std::string>{"verweis.png", "ziel.png"}));
}

void expectProblem(const std::optional<platform::FileProblem>& problem,
                   platform::FileProblem::Step step, int error)
{
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->step, step);
    EXPECT_EQ(problem->error, error);
}

TEST_F(FileReplacementTest, AMissingFolderIsNamedAndNothingIsCreated)
{
    expectProblem(platform::replaceFile(path("fehlt/bild.png"), "neu"),
                  platform::FileProblem::Step::Create, ENOENT);
    EXPECT_TRUE(names().empty());
}

TEST_F(FileReplacementTest, AFolderOfTheNameIsRefusedWithoutATemporaryFileLeft)
{
    fs::create_directory(path("bild.png"));
    expectProblem(platform::replaceFile(path("bild.png"), "neu"),
                  platform::FileProblem::Step::Create, EISDIR);
    EXPECT_EQ(names(), std::vector<std::string>{"bild.png"});
}

// /proc exists but makes no files, and answers ENOENT as a missing folder would.
TEST_F(FileReplacementTest, AFolderThatMakesNoFilesIsNotCalledMissing)
{
    expectProblem(platform::replaceFile("/proc/bild.png", "neu"),
                  platform::FileProblem::Step::Create, EPERM);
}

// A device has no folder entry to rename over; it is written as it is.
TEST_F(FileReplacementTest, ADeviceIsWrittenInPlace)
{
    EXPECT_FALSE(platform::replaceFile("/dev/null", "Bild"));
    expectProblem(platform::replaceFile("/dev/full", "Bild"), platform::FileProblem::Step::Write,
                  ENOSPC);
}

} // namespace
