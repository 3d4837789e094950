#include "EditorTestSupport.h"
#include "tests/support/HostXErrorHandler.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <cstdlib>
#include <memory>

namespace editortest
{
namespace
{
juce::File& configFolderStorage()
{
    static juce::File folder;
    return folder;
}

class JuceGuiEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        // JUCE finds the application-data folder below "~", which it resolves
        // from HOME on every call: a fresh HOME keeps the tests away from the
        // user's real presets folder.
        char pattern[] = "/tmp/morvane3-editor-tests-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        ASSERT_NE(made, nullptr);
        ::setenv("HOME", made, 1);
        homeFolder = juce::File(made);
        configFolderStorage() = homeFolder.getChildFile(".config");
        configFolderStorage().createDirectory();
        // JUCE looks up the window-manager atoms only if they exist, which they
        // do not on a bare X server without a window manager; a top-level
        // window (the file chooser) then fails with BadAtom. Creating them, and
        // holding a connection so the server does not reset and forget them,
        // gives the tests what any desktop has.
        if (const char* name = std::getenv("DISPLAY"); name != nullptr && *name != 0)
            if ((display = XOpenDisplay(nullptr)) != nullptr)
                for (const char* atom : {"WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING", "WM_CHANGE_STATE",
                                         "WM_STATE", "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN"})
                    XInternAtom(display, atom, False);

        gui = std::make_unique<juce::ScopedJuceInitialiser_GUI>();
        testsupport::installHostXErrorHandler();
    }

    void TearDown() override
    {
        gui.reset();
        if (display != nullptr)
            XCloseDisplay(display);
        homeFolder.deleteRecursively();
    }

private:
    juce::File homeFolder;
    Display* display = nullptr;
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> gui;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new JuceGuiEnvironment);
} // namespace

void pump(int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil(milliseconds);
}

bool pumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
    while (!done())
    {
        if (juce::Time::getMillisecondCounter() >= end)
            return false;
        pump(5);
    }
    return true;
}

juce::File configFolder()
{
    return configFolderStorage();
}

juce::File freshFolder(const juce::String& name)
{
    auto folder = configFolder().getNonexistentChildFile(name, {}, false);
    folder.createDirectory();
    return folder;
}

juce::Colour frameColour(int frame)
{
    return juce::Colour((juce::uint8) (frame * 2), (juce::uint8) (255 - frame), (juce::uint8) ((frame * 7) & 0xff));
}

juce::MemoryBlock makeStripPng(int frameWidth, int frameHeight, int frames)
{
    juce::Image strip(juce::Image::ARGB, frameWidth, frameHeight * frames, true);
    {
        juce::Graphics g(strip);
        for (int k = 0; k < frames; ++k)
        {
            g.setColour(frameColour(k));
            g.fillRect(0, k * frameHeight, frameWidth, frameHeight);
        }
    }
    juce::MemoryOutputStream out;
    juce::PNGImageFormat().writeImageToStream(strip, out);
    return out.getMemoryBlock();
}

int colourDistance(juce::Colour a, juce::Colour b)
{
    return juce::jmax(std::abs((int) a.getRed() - (int) b.getRed()), std::abs((int) a.getGreen() - (int) b.getGreen()),
                      std::abs((int) a.getBlue() - (int) b.getBlue()), std::abs((int) a.getAlpha() - (int) b.getAlpha()));
}

juce::File artefactFolder()
{
    return juce::File::getCurrentWorkingDirectory();
}
} // namespace editortest
