#include "platform/DescriptorOutput.h"
#include "support/CaseNames.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <unistd.h>

namespace {

std::string readAll(int descriptor)
{
    std::string text;
    char block[4096];
    for (ssize_t got; (got = ::read(descriptor, block, sizeof block)) > 0;)
        text.append(block, static_cast<std::size_t>(got));
    return text;
}

// Small and large writes, in the order they were made, through a file.
TEST(DescriptorOutputTest, DeliversEverythingInOrder)
{
    char name[] = "/tmp/triebwerke-output-XXXXXX";
    const int descriptor = ::mkstemp(name);
    ASSERT_GE(descriptor, 0);
    ::unlink(name);
    const std::string large(200'000, 'x');
    {
        platform::DescriptorOutput output(descriptor);
        std::ostream out(&output);
        out << "erste Zeile\n" << large << 'y' << std::flush;
        EXPECT_TRUE(out.good());
        EXPECT_EQ(output.error(), 0);
        out << "Ende\n";
    }
    ASSERT_EQ(::lseek(descriptor, 0, SEEK_SET), 0);
    EXPECT_EQ(readAll(descriptor), "erste Zeile\n" + large + "yEnde\n");
    ::close(descriptor);
}

struct FailureCase
{
    const char* name;
    int expectedError;
};

class DescriptorFailureTest : public testing::TestWithParam<FailureCase>
{};

// A full device and a closed descriptor: the stream goes bad and the cause is kept.
TEST_P(DescriptorFailureTest, RemembersTheCause)
{
    const bool full = GetParam().expectedError == ENOSPC;
    const int descriptor = full ? ::open("/dev/full", O_WRONLY) : ::dup(1);
    ASSERT_GE(descriptor, 0);
    if (!full)
        ::close(descriptor);
    platform::DescriptorOutput output(descriptor);
    std::ostream out(&output);
    out << "Bericht\n" << std::flush;
    EXPECT_FALSE(out.good());
    EXPECT_EQ(output.error(), GetParam().expectedError);
    out.clear();
    out << std::string(100'000, 'z') << std::flush;
    EXPECT_FALSE(out.good());
    EXPECT_FALSE(platform::describeWriteError(output.error()).empty());
    if (full)
        ::close(descriptor);
}

INSTANTIATE_TEST_SUITE_P(platform, DescriptorFailureTest,
                         testing::Values(FailureCase{"fullDevice", ENOSPC},
                                         FailureCase{"closedDescriptor", EBADF}),
                         CaseByName());

TEST(DescriptorOutputTest, DescribesCausesInGerman)
{
    EXPECT_EQ(platform::describeWriteError(ENOSPC),
              "Auf dem Gerät ist kein Speicherplatz mehr frei");
    EXPECT_EQ(platform::describeWriteError(EBADF), "Die Ausgabe ist nicht geöffnet");
    EXPECT_EQ(platform::describeWriteError(12345), "Systemfehler 12345");
}

} // namespace
