#include "platform/DescriptorOutput.h"

#include <windows.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <io.h>
#include <iterator>
#include <ostream>
#include <string>

namespace {

// Small and large writes, in the order they were made, through a file; the descriptor's text
// mode does not apply, since the bytes go out through the system's own handle.
TEST(DescriptorOutputTest, DeliversEverythingInOrderAndUnchanged)
{
    const auto name = std::filesystem::temp_directory_path() /
                      ("triebwerke-output-" + std::to_string(GetCurrentProcessId()));
    const int descriptor =
        _wopen(name.c_str(), _O_CREAT | _O_TRUNC | _O_WRONLY | _O_TEXT, _S_IREAD | _S_IWRITE);
    ASSERT_GE(descriptor, 0);
    const std::string large(200'000, 'x');
    {
        platform::DescriptorOutput output(descriptor);
        std::ostream out(&output);
        out << "erste Zeile\n" << large << 'y' << std::flush;
        EXPECT_TRUE(out.good());
        EXPECT_EQ(output.error(), 0);
        out << "Ende\r\n";
    }
    _close(descriptor);
    std::ifstream file(name, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}),
              "erste Zeile\n" + large + "yEnde\r\n");
    file.close();
    std::filesystem::remove(name);
}

// A closed descriptor: the stream goes bad and the cause is kept, in words a user reads.
TEST(DescriptorOutputTest, RemembersTheCauseOfAFailedWrite)
{
    const int descriptor = _dup(1);
    ASSERT_GE(descriptor, 0);
    _close(descriptor);
    platform::DescriptorOutput output(descriptor);
    std::ostream out(&output);
    out << "Bericht\n" << std::flush;
    EXPECT_FALSE(out.good());
    EXPECT_EQ(output.error(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(platform::describeWriteError(output.error()), "Die Ausgabe ist nicht geöffnet");
}

TEST(DescriptorOutputTest, DescribesCausesInGerman)
{
    EXPECT_EQ(platform::describeWriteError(ERROR_DISK_FULL),
              "Auf dem Gerät ist kein Speicherplatz mehr frei");
    EXPECT_EQ(platform::describeWriteError(ERROR_NO_DATA),
              "Der Empfänger der Ausgabe hat sie geschlossen");
    EXPECT_EQ(platform::describeWriteError(ERROR_PATH_NOT_FOUND), "Der Ordner existiert nicht");
    EXPECT_EQ(platform::describeWriteError(12345), "Systemfehler 12345");
}

} // namespace
