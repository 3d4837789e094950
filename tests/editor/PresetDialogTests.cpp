#include "EditorFixture.h"

#include "processor/ParameterTable.h"

#include <utility>

// Without a desktop helper for native dialogs (as on the test machine), JUCE
// shows its own file chooser window, which the tests can fill in and confirm.

namespace
{
juce::FileChooserDialogBox* openDialog()
{
    auto& desktop = juce::Desktop::getInstance();
    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* dialog = dynamic_cast<juce::FileChooserDialogBox*>(desktop.getComponent(i)))
            return dialog;
    return nullptr;
}

template <typename Wanted>
Wanted* findInside(juce::Component& parent, std::function<bool(Wanted&)> accept = {})
{
    for (auto* child : parent.getChildren())
    {
        if (auto* wanted = dynamic_cast<Wanted*>(child))
            if (!accept || accept(*wanted))
                return wanted;
        if (auto* deeper = findInside<Wanted>(*child, accept))
            return deeper;
    }
    return nullptr;
}

// Types `fileName` into the open chooser and presses its confirm button.
void choose(juce::FileChooserDialogBox& dialog, const juce::String& fileName, const juce::String& confirmText)
{
    auto* browser = findInside<juce::FileBrowserComponent>(dialog);
    ASSERT_NE(browser, nullptr);
    browser->setFileName(fileName);
    auto* confirm = findInside<juce::TextButton>(dialog, [&](juce::TextButton& b) { return b.getButtonText() == confirmText; });
    ASSERT_NE(confirm, nullptr);
    confirm->triggerClick();
    editortest::pump(50);
}
} // namespace

class PresetDialogs : public EditorFixture
{
protected:
    void SetUp() override { tick(); }
};

TEST_F(PresetDialogs, SaveButtonAsksForAFileInThePresetsFolderAndSavesItAsMv3)
{
    control<FilmStripKnob>("C2HPF").setValue(95.0, juce::sendNotificationSync);
    control<juce::TextButton>("SaveAsButton").triggerClick();
    deliver();

    auto* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->getName(), "Save preset to the desired location...");
    auto* browser = findInside<juce::FileBrowserComponent>(*dialog);
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->getRoot(), editor->getPresetsFolder());
    EXPECT_TRUE(browser->isSaveMode());

    choose(*dialog, "from the dialog.txt", "Save");
    EXPECT_EQ(openDialog(), nullptr);
    const auto saved = editor->getPresetsFolder().getChildFile("from the dialog.mv3");
    ASSERT_TRUE(saved.existsAsFile());
    EXPECT_FALSE(editor->getPresetsFolder().getChildFile("from the dialog.txt").exists());
    const auto element = juce::XmlDocument::parse(saved);
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->getStringAttribute("c2HPF"), "0.75");
}

TEST_F(PresetDialogs, LoadButtonAppliesTheChosenFile)
{
    editor->getPresetsFolder().getChildFile("motown.mv3").replaceWithText("<MORVANESETTINGS c1Cabinet=\"0.2\" c1Mute=\"1\"/>");
    control<juce::TextButton>("LoadButton").triggerClick();
    deliver();

    auto* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->getName(), "Select the preset you want to load...");
    choose(*dialog, "motown.mv3", "Open");
    tick();

    EXPECT_EQ(control<juce::ComboBox>("C1Cabinet").getText(), "Motown");
    EXPECT_TRUE(control<juce::DrawableButton>("C1Mute").getToggleState());
    EXPECT_EQ(parameter(morvane3::c1Mute), 1.0f);
}

TEST_F(PresetDialogs, CancellingChangesNothingAndClosingTheEditorClosesTheChooser)
{
    control<juce::TextButton>("LoadButton").triggerClick();
    deliver();
    auto* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    auto* cancel = findInside<juce::TextButton>(*dialog, [](juce::TextButton& b) { return b.getButtonText() == "Cancel"; });
    ASSERT_NE(cancel, nullptr);
    cancel->triggerClick();
    editortest::pump(50);
    EXPECT_EQ(openDialog(), nullptr);
    EXPECT_EQ(parameter(morvane3::c1Cabinet), 0.01f);

    control<juce::TextButton>("SaveAsButton").triggerClick();
    deliver();
    ASSERT_NE(openDialog(), nullptr);
    editor.reset();
    editortest::pump(20);
    EXPECT_EQ(openDialog(), nullptr);
}

namespace
{
juce::AlertWindow* openAlert()
{
    auto& desktop = juce::Desktop::getInstance();
    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* alert = dynamic_cast<juce::AlertWindow*>(desktop.getComponent(i)))
            return alert;
    return nullptr;
}
} // namespace

TEST_F(PresetDialogs, ANameThatBecomesAnExistingPresetIsReplacedOnlyAfterAsking)
{
    const auto existing = editor->getPresetsFolder().getChildFile("Crunch.mv3");
    for (const juce::String answer : {"Cancel", "Replace"})
    {
        existing.replaceWithText("old");
        control<juce::TextButton>("SaveAsButton").triggerClick();
        deliver();
        auto* dialog = openDialog();
        ASSERT_NE(dialog, nullptr);
        choose(*dialog, "Crunch", "Save");

        auto* alert = openAlert();
        ASSERT_NE(alert, nullptr) << answer;
        EXPECT_EQ(alert->getName(), "Replace preset?");
        EXPECT_EQ(existing.loadFileAsString(), "old");
        auto* button = findInside<juce::TextButton>(*alert, [&](juce::TextButton& b) { return b.getButtonText() == answer; });
        ASSERT_NE(button, nullptr);
        button->triggerClick();
        editortest::pump(50);
        EXPECT_EQ(openAlert(), nullptr);
        EXPECT_EQ(existing.loadFileAsString() == "old", answer == "Cancel") << answer;
    }
    EXPECT_NE(juce::XmlDocument::parse(existing), nullptr);
}

TEST_F(PresetDialogs, AFailedSaveIsReportedToTheUser)
{
    ASSERT_TRUE(editor->getPresetsFolder().getChildFile("blocked.mv3").createDirectory());
    control<juce::TextButton>("SaveAsButton").triggerClick();
    deliver();
    auto* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    choose(*dialog, "blocked.txt", "Save");

    auto* alert = openAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->getName(), "Preset not saved");
    juce::ModalComponentManager::getInstance()->cancelAllModalComponents();
    editortest::pump(20);
}

TEST_F(PresetDialogs, AFileThatIsNoPresetChangesNothingAndSaysSoNamingTheFile)
{
    const auto folder = editortest::freshFolder("not presets");
    const auto other = folder.getChildFile("settings of another plug-in.mv3");
    other.replaceWithText("<OTHERSETTINGS c1Cabinet=\"0.2\"/>");
    const auto missing = folder.getChildFile("gone.mv3");
    const float before = parameter(morvane3::c1Cabinet);

    for (const auto& [file, says] : {std::pair(other, juce::String("is not a Morvane 3 preset")),
                                     std::pair(missing, juce::String("could not be read"))})
    {
        editor->loadChosenFile(file);
        ASSERT_TRUE(editortest::pumpUntil([] { return openAlert() != nullptr; }, 2000)) << file.getFileName();
        auto* alert = openAlert();
        EXPECT_EQ(alert->getName(), "Preset not loaded");
        // The description a screen reader gets: the title, then the message.
        EXPECT_TRUE(alert->getDescription().contains("\"" + file.getFileName() + "\" " + says)) << alert->getDescription();
        EXPECT_TRUE(alert->getDescription().contains(file.getFullPathName())) << alert->getDescription();
        tick();
        EXPECT_EQ(parameter(morvane3::c1Cabinet), before);

        auto* ok = findInside<juce::TextButton>(*alert);
        ASSERT_NE(ok, nullptr);
        ok->triggerClick();
        ASSERT_TRUE(editortest::pumpUntil([] { return openAlert() == nullptr; }, 2000));
    }

    // A preset loads without a word.
    const auto preset = folder.getChildFile("motown.mv3");
    preset.replaceWithText("<MORVANESETTINGS c1Cabinet=\"0.2\"/>");
    editor->loadChosenFile(preset);
    editortest::pump(50);
    EXPECT_EQ(openAlert(), nullptr);
    EXPECT_EQ(parameter(morvane3::c1Cabinet), 0.2f);
}
