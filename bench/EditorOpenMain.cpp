// morvane3-bench-editor: how long the editor takes to open at 100 %, 150 %
// and 200 %, from construction to the first complete picture of the window,
// with every picture cache empty (as for the first window of a session).
// Not a test; run it by hand on a quiet machine, under an X server
// (xvfb-run -a build/bench/morvane3-bench-editor).

#include "editor/Morvane3AudioProcessorEditor.h"
#include "editor/ScaledPictures.h"
#include "editor/WindowScale.h"
#include "processor/Morvane3AudioProcessor.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main()
{
    // The size goes through the settings file, as a user's last size does; a
    // scratch HOME keeps the user's own file out of it.
    char pattern[] = "/tmp/morvane3-bench-editor-XXXXXX";
    const char* home = ::mkdtemp(pattern);
    if (home == nullptr)
        return 1;
    ::setenv("HOME", home, 1);

    int status = 0;
    {
        juce::ScopedJuceInitialiser_GUI gui;
        Morvane3AudioProcessor processor;
        processor.prepareToPlay(44100.0, 512);

        std::printf("opening the editor (construction and first full paint), median of 7 cold openings\n");
        double at100 = 0.0;
        for (const float scale : {1.0f, 1.5f, 2.0f})
        {
            std::vector<double> times;
            for (int run = 0; run < 7; ++run)
            {
                morvane3::writeRememberedScale(morvane3::windowSettingsFile(), scale);
                morvane3::scaled::clearCache();
                juce::ImageCache::releaseUnusedImages();

                const auto start = std::chrono::steady_clock::now();
                auto editor = std::make_unique<Morvane3AudioProcessorEditor>(processor);
                editor->timerCallback(Morvane3AudioProcessorEditor::refreshTimerId); // the boxes show their selections
                const auto picture = editor->createComponentSnapshot(editor->getLocalBounds(), true, 1.0f);
                const auto end = std::chrono::steady_clock::now();
                if (picture.getWidth() != juce::roundToInt(810 * scale))
                    status = 1;
                times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
            }
            std::sort(times.begin(), times.end());
            const double median = times[times.size() / 2];
            if (scale == 1.0f)
                at100 = median;
            std::printf("  %3.0f %%: %7.1f ms  (%+.1f ms against 100 %%; fastest %.1f, slowest %.1f)\n", (double) scale * 100.0, median,
                        median - at100, times.front(), times.back());
        }
        processor.releaseResources();
    }
    juce::File(home).deleteRecursively();
    return status;
}
