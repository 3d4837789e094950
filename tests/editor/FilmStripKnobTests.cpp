#include "EditorTestSupport.h"

#include "editor/FilmStripKnob.h"

#include <gtest/gtest.h>

using editortest::frameColour;

TEST(FilmStripKnobFrames, ScaleEndsAndMiddleShowFrames0_63_126)
{
    EXPECT_EQ(FilmStripKnob::frameIndexFor(20.0, 20.0, 120.0, 127), 0);
    EXPECT_EQ(FilmStripKnob::frameIndexFor(70.0, 20.0, 120.0, 127), 63);
    EXPECT_EQ(FilmStripKnob::frameIndexFor(120.0, 20.0, 120.0, 127), 126);
}

TEST(FilmStripKnobFrames, IndexIsTruncatedNeverRoundedUp)
{
    // On 0..1 frame k starts at k / 126.
    for (int k = 1; k < 126; ++k)
    {
        const double boundary = k / 126.0;
        EXPECT_EQ(FilmStripKnob::frameIndexFor(std::nextafter(boundary, 0.0) - 1e-12, 0.0, 1.0, 127), k - 1) << k;
        EXPECT_EQ(FilmStripKnob::frameIndexFor(boundary + 1e-12, 0.0, 1.0, 127), k) << k;
    }
    EXPECT_EQ(FilmStripKnob::frameIndexFor(0.0079, 0.0, 1.0, 127), 0);   // 0.0079 * 126 = 0.995
    EXPECT_EQ(FilmStripKnob::frameIndexFor(0.999, 0.0, 1.0, 127), 125);  // 125.874
    EXPECT_EQ(FilmStripKnob::frameIndexFor(-1.5, -6.0, 6.0, 127), 47);   // 4.5 / 12 * 126 = 47.25
}

TEST(FilmStripKnobFrames, OutOfScaleAndEmptyScaleStayInsideTheStrip)
{
    EXPECT_EQ(FilmStripKnob::frameIndexFor(-5.0, 0.0, 1.0, 127), 0);
    EXPECT_EQ(FilmStripKnob::frameIndexFor(7.0, 0.0, 1.0, 127), 126);
    EXPECT_EQ(FilmStripKnob::frameIndexFor(std::nan(""), 0.0, 1.0, 127), 0);
    EXPECT_EQ(FilmStripKnob::frameIndexFor(3.0, 3.0, 3.0, 127), 0);
}

class FilmStripKnobPainting : public ::testing::Test
{
protected:
    juce::MemoryBlock strip = editortest::makeStripPng(10, 12, 127);

    // Colour in the middle of the knob's painting at its current value.
    static juce::Colour centreColour(FilmStripKnob& knob)
    {
        const auto snapshot = knob.createComponentSnapshot(knob.getLocalBounds(), true, 1.0f);
        return snapshot.getPixelAt(knob.getWidth() / 2, knob.getHeight() / 2);
    }
};

TEST_F(FilmStripKnobPainting, ConstructionNamesTheKnobAndMeasuresItsFrames)
{
    FilmStripKnob knob("C1HPF", strip.getData(), (int) strip.getSize());
    EXPECT_EQ(knob.getName(), "C1HPF FilmStripKnob");
    EXPECT_EQ(knob.getNumFrames(), 127);
    EXPECT_EQ(knob.getFrameWidth(), 10);
    EXPECT_EQ(knob.getFrameHeight(), 12);
    EXPECT_EQ(knob.getTextBoxPosition(), juce::Slider::NoTextBox);
}

TEST_F(FilmStripKnobPainting, DrawsTheFrameItsValueSelects)
{
    FilmStripKnob knob("K", strip.getData(), (int) strip.getSize());
    knob.setRange(20.0, 120.0, 1.0);
    knob.setSize(10, 12);
    for (const auto& [value, frame] : {std::pair{20.0, 0}, {70.0, 63}, {120.0, 126}, {21.0, 1}, {45.0, 31}})
    {
        knob.setValue(value, juce::dontSendNotification);
        EXPECT_EQ(knob.getFrameIndex(), frame) << value;
        EXPECT_LE(editortest::colourDistance(centreColour(knob), frameColour(frame)), 1) << value;
    }
}

TEST_F(FilmStripKnobPainting, LargerBoundsStretchTheFrame)
{
    FilmStripKnob knob("K", strip.getData(), (int) strip.getSize());
    knob.setRange(0.0, 1.0, 0.0);
    knob.setSize(40, 48);
    knob.setValue(0.5, juce::dontSendNotification);
    const auto snapshot = knob.createComponentSnapshot(knob.getLocalBounds(), true, 1.0f);
    // Away from the edges, where filtering may blend the neighbouring frames.
    for (const auto point : {juce::Point<int>(20, 24), juce::Point<int>(8, 10), juce::Point<int>(32, 38)})
        EXPECT_LE(editortest::colourDistance(snapshot.getPixelAt(point.x, point.y), frameColour(63)), 2);
}

TEST_F(FilmStripKnobPainting, AMissingPictureDrawsNothingButTheKnobStillWorks)
{
    FilmStripKnob knob("C2LPF", nullptr, 0);
    EXPECT_EQ(knob.getFrameWidth(), 0);
    EXPECT_EQ(knob.getFrameHeight(), 0);
    knob.setRange(7000.0, 14000.0, 1.0);
    knob.setSize(80, 75);
    knob.setDoubleClickReturnValue(true, 14000.0);
    knob.setValue(9000.4, juce::dontSendNotification);
    EXPECT_EQ(knob.getValue(), 9000.0);
    EXPECT_EQ(centreColour(knob).getAlpha(), 0);

    const char garbage[] = "not a picture";
    FilmStripKnob undecodable("K", garbage, (int) sizeof(garbage));
    EXPECT_EQ(undecodable.getFrameWidth(), 0);
    EXPECT_FALSE(undecodable.getFilmStrip().isValid());
}
