// What morvane3-render does with the file it is asked to write: never the
// input under another name, never into a folder that a typo made up, never a
// half-written file under the user's name, and nothing printed when --quiet.
#include "ToolTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace toolstest;
namespace fs = std::filesystem;

namespace
{
class OutputFile : public ::testing::Test
{
protected:
    ScratchFolder scratch;
    const std::string delay = MORVANE3_FAKE_DELAY_PLUGIN;

    // Files in the scratch folder other than the ones a test made itself.
    std::vector<std::string> strayFiles(const std::vector<std::string>& expected) const
    {
        std::vector<std::string> stray;
        for (const auto& entry : fs::directory_iterator(scratch.folder()))
        {
            const auto name = entry.path().filename().string();
            if (std::find(expected.begin(), expected.end(), name) == expected.end())
                stray.push_back(name);
        }
        return stray;
    }
};

std::vector<std::vector<float>> ramp(std::size_t frames)
{
    std::vector<std::vector<float>> channels(2, std::vector<float>(frames));
    for (std::size_t i = 0; i < frames; ++i)
        channels[0][i] = channels[1][i] = static_cast<float>(i % 100) / 100.0f;
    return channels;
}
} // namespace

TEST_F(OutputFile, TheInputIsNeverTheOutputWhateverItsName)
{
    writeFloatWavFile(scratch.file("take1.wav"), ramp(2000));
    const auto original = fileBytes(scratch.file("take1.wav"));
    fs::create_symlink(scratch.file("take1.wav"), scratch.file("link.wav"));
    fs::create_hard_link(scratch.file("take1.wav"), scratch.file("hard.wav"));
    fs::create_directories(scratch.file("sub"));

    const auto home = fs::current_path();
    fs::current_path(scratch.folder());
    const std::vector<std::pair<std::string, std::string>> sameFile = {
        {"take1.wav", "take1.wav"},
        {"take1.wav", "./take1.wav"},
        {scratch.file("take1.wav"), "sub/../take1.wav"},
        {"take1.wav", "link.wav"},
        {"link.wav", "take1.wav"},
        {"take1.wav", "hard.wav"},
    };
    for (const auto& [input, output] : sameFile)
    {
        const auto r = runTool({"--plugin", delay, "--quiet", input, output});
        EXPECT_EQ(r.exitCode, 2) << input << " -> " << output << ": " << r.err;
        EXPECT_NE(r.err.find("is the input"), std::string::npos) << r.err;
        EXPECT_EQ(fileBytes(scratch.file("take1.wav")), original) << input << " -> " << output;
    }
    fs::current_path(home);
    ASSERT_TRUE(fs::is_symlink(scratch.file("link.wav")));
    EXPECT_TRUE(strayFiles({"take1.wav", "link.wav", "hard.wav", "sub"}).empty());
}

TEST_F(OutputFile, AMissingFolderIsRefusedAndNotCreated)
{
    writeFloatWavFile(scratch.file("in.wav"), ramp(100));
    for (const auto& output : {scratch.file("nonexistent-dir/x.wav"), scratch.file("a/b/x.wav")})
    {
        const auto r = runTool({"--plugin", delay, "--quiet", scratch.file("in.wav"), output});
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_NE(r.err.find("folder '" + fs::path(output).parent_path().string() + "' does not exist"), std::string::npos)
            << r.err;
    }
    const auto demo = runTool({"--plugin", delay, "--quiet", "--demo", scratch.file("nowhere/demo.wav")});
    EXPECT_EQ(demo.exitCode, 2) << demo.err;
    EXPECT_TRUE(strayFiles({"in.wav"}).empty());
}

// A write that fails midway (here the file-size limit of the shell, as a full
// disk would) leaves the previous file as it was and no temporary file.
TEST_F(OutputFile, AFailedWriteLeavesThePreviousFileWhole)
{
    writeFloatWavFile(scratch.file("in.wav"), ramp(20000)); // 160 kB of output
    writeText(scratch.file("out.wav"), "the mix from yesterday");
    for (const char* limitReached : {"", "trap '' XFSZ; "}) // killed by SIGXFSZ, or write() fails
    {
        const std::string command = std::string("ulimit -f 64; ") + limitReached + shellQuote(MORVANE3_RENDER_TOOL)
                                    + " --plugin " + shellQuote(delay) + " --quiet " + shellQuote(scratch.file("in.wav")) + " "
                                    + shellQuote(scratch.file("out.wav")) + " 2>/dev/null";
        const int status = std::system(("sh -c " + shellQuote(command)).c_str());
        EXPECT_NE(status, 0) << limitReached;
        const auto kept = fileBytes(scratch.file("out.wav"));
        EXPECT_EQ(std::string(kept.begin(), kept.end()), "the mix from yesterday") << limitReached;
        EXPECT_TRUE(strayFiles({"in.wav", "out.wav"}).empty()) << limitReached;
    }

    // Without the limit the file is replaced, keeping its permissions.
    fs::permissions(scratch.file("out.wav"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const auto r = runTool({"--plugin", delay, "--quiet", scratch.file("in.wav"), scratch.file("out.wav")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readFloatWavFile(scratch.file("out.wav")).channels.size(), 2u);
    EXPECT_EQ(fs::status(scratch.file("out.wav")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_TRUE(strayFiles({"in.wav", "out.wav"}).empty());
}

#ifndef MORVANE3_RENDER_NO_PLUGIN
// The plug-in announces its FFT library on standard output when it starts; the
// tool's own output stays clean of it, and --quiet means silent.
TEST_F(OutputFile, QuietRunsOfThePlugInPrintNothingAndInfoOnlyTheTools)
{
    writeFloatWavFile(scratch.file("in.wav"), ramp(4000));
    const auto quiet = runTool({"--quiet", "--tail", "0", scratch.file("in.wav"), scratch.file("out.wav")});
    ASSERT_EQ(quiet.exitCode, 0) << quiet.err;
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(quiet.err, "");
    EXPECT_TRUE(fs::exists(scratch.file("out.wav")));

    const auto info = runTool({"--info"});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(info.out.rfind("Plug-in:", 0), 0u) << info.out;
    EXPECT_EQ(info.out.find("FFTEngine"), std::string::npos) << info.out;
}
#endif
