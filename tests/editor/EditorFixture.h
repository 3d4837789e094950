#pragma once
// A processor with an open editor, as a host has it after opening the window.

#include "EditorTestSupport.h"

#include "editor/Morvane3AudioProcessorEditor.h"
#include "processor/Morvane3AudioProcessor.h"

#include <gtest/gtest.h>

#include <memory>

class EditorFixture : public ::testing::Test
{
protected:
    std::unique_ptr<Morvane3AudioProcessor> processor = std::make_unique<Morvane3AudioProcessor>();
    std::unique_ptr<Morvane3AudioProcessorEditor> editor = std::make_unique<Morvane3AudioProcessorEditor>(*processor);

    void TearDown() override
    {
        editor.reset();
        processor.reset();
    }

    // One refresh, as the 50 ms timer makes it, and the box notifications it
    // causes. Called directly so that a busy machine cannot make a test miss a
    // tick; EditorBehaviour checks that the timer itself runs.
    void tick()
    {
        editor->timerCallback(Morvane3AudioProcessorEditor::refreshTimerId);
        deliver();
    }
    // Delivers pending asynchronous notifications.
    static void deliver() { editortest::pump(30); }

    template <typename Control>
    Control& control(const char* identifier) const
    {
        auto* found = dynamic_cast<Control*>(editor->findControl(identifier));
        if (found == nullptr)
            throw std::runtime_error(std::string("no control ") + identifier + " of the expected kind");
        return *found;
    }

    float parameter(int index) const { return processor->getParameterValue(index); }
};
