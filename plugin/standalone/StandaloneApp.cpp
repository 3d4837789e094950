// The Standalone application: the framework's plug-in window and audio
// holder, with two things a Linux desktop expects of a program. The choices
// made in the audio settings (input muted or not, device, rate, buffer size)
// are written to the per-user settings file as soon as they change, not only
// at a clean exit; and the signals a session or a terminal sends to end a
// program (SIGTERM, SIGINT, SIGHUP) close it as the window's close button does.
// The framework's own Standalone sources include these first.
#include <juce_core/system/juce_TargetPlatform.h>
#include <juce_audio_plugin_client/utility/juce_CheckSettingMacros.h>
#include <juce_audio_plugin_client/utility/juce_IncludeSystemHeaders.h>
#include <juce_audio_plugin_client/utility/juce_IncludeModuleHeaders.h>
#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_audio_utils/juce_audio_utils.h>
#include <juce_gui_extra/juce_gui_extra.h>

#include <juce_audio_plugin_client/Standalone/juce_StandaloneFilterWindow.h>

#include "plugin/standalone/StopRequest.h"

namespace
{
class Morvane3StandaloneApp final : public juce::JUCEApplication,
                                    private juce::Value::Listener,
                                    private juce::ChangeListener,
                                    private juce::Timer
{
public:
    Morvane3StandaloneApp()
    {
        juce::PropertiesFile::Options options;
        options.applicationName = getApplicationName();
        options.filenameSuffix = ".settings";
        options.folderName = "~/.config"; // ~/.config/Morvane 3.settings
        options.osxLibrarySubFolder = "Application Support";
        properties.setStorageParameters(options);
    }

    const juce::String getApplicationName() override { return JucePlugin_Name; }
    const juce::String getApplicationVersion() override { return JucePlugin_VersionString; }
    bool moreThanOneInstanceAllowed() override { return true; }
    void anotherInstanceStarted(const juce::String&) override {}

    void initialise(const juce::String&) override
    {
        const auto background = juce::LookAndFeel::getDefaultLookAndFeel().findColour(juce::ResizableWindow::backgroundColourId);
        window = std::make_unique<juce::StandaloneFilterWindow>(getApplicationName(), background,
                                                                properties.getUserSettings(), false);
        if (auto* holder = window->getPluginHolder())
        {
            holder->getMuteInputValue().addListener(this);
            holder->deviceManager.addChangeListener(this);
        }
        window->setVisible(true);
        startTimer(100); // watches for a stop request from a signal handler
    }

    void shutdown() override
    {
        stopTimer();
        if (window != nullptr)
            if (auto* holder = window->getPluginHolder())
            {
                holder->getMuteInputValue().removeListener(this);
                holder->deviceManager.removeChangeListener(this);
            }
        window = nullptr; // the holder saves the audio settings as it goes
        properties.saveIfNeeded();
    }

    void systemRequestedQuit() override
    {
        if (window != nullptr)
            if (auto* holder = window->getPluginHolder())
                holder->savePluginState();
        if (juce::ModalComponentManager::getInstance()->cancelAllModalComponents())
            juce::Timer::callAfterDelay(100, [] {
                if (auto* app = juce::JUCEApplicationBase::getInstance())
                    app->systemRequestedQuit();
            });
        else
            quit();
    }

private:
    juce::ApplicationProperties properties;
    std::unique_ptr<juce::StandaloneFilterWindow> window;

    void saveAudioSettings()
    {
        if (window == nullptr)
            return;
        if (auto* holder = window->getPluginHolder())
            holder->saveAudioDeviceState();
        properties.saveIfNeeded();
    }

    void valueChanged(juce::Value&) override { saveAudioSettings(); }
    void changeListenerCallback(juce::ChangeBroadcaster*) override { saveAudioSettings(); }

    void timerCallback() override
    {
        if (morvane3::stopRequested())
        {
            stopTimer();
            systemRequestedQuit();
        }
    }
};
} // namespace

juce::JUCEApplicationBase* juce_CreateApplication();
juce::JUCEApplicationBase* juce_CreateApplication()
{
    return new Morvane3StandaloneApp();
}
