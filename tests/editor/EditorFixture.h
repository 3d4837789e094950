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

    // Long enough for at least one 50 ms refresh (with room for a busy machine)
    // and the box notifications it causes.
    static void tick() { editortest::pump(120); }
    // Delivers pending asynchronous notifications without waiting for a refresh.
    static void deliver() { editortest::pump(5); }

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
