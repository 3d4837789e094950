// Build-time program: draws every picture of the plug-in into the folder
// given on the command line and writes the two embedding pairs (assembler
// file and name-keyed table) for the picture table and the editor picture
// table.

#include "Cabinets.h"
#include "Catalogue.h"
#include "EditorArt.h"
#include "Filmstrips.h"
#include "Knobs.h"
#include "Microphones.h"
#include "Art.h"

#include "resources/common/EmbedWriter.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace morvane3::pictures;

namespace
{
std::string fileName(std::string key)
{
    for (char& c : key)
        if (c == ' ')
            c = '_';
    return key + ".png";
}

struct Job
{
    std::string path;
    std::function<cairo_surface_t*()> draw;
};

void runJobs(const std::vector<Job>& jobs)
{
    std::atomic<size_t> next {0};
    std::mutex failureLock;
    std::string failure;
    auto worker = [&] {
        for (size_t i; (i = next++) < jobs.size();)
        {
            try
            {
                cairo_surface_t* s = jobs[i].draw();
                writePng(s, jobs[i].path);
                cairo_surface_destroy(s);
            }
            catch (const std::exception& e)
            {
                std::lock_guard<std::mutex> lock(failureLock);
                failure = e.what();
            }
        }
    };
    // The build machine has two cores; more threads would only contend.
    std::thread other(worker);
    worker();
    other.join();
    if (!failure.empty())
        throw std::runtime_error(failure);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    try
    {
        const std::filesystem::path out = std::filesystem::absolute(argv[1]);
        std::filesystem::create_directories(out / "png");
        auto pathOf = [&](const std::string& key) { return (out / "png" / fileName(key)).string(); };

        std::vector<Job> jobs;
        std::vector<morvane3::embed::Entry> pictureEntries, editorEntries;

        for (const auto& cabinet : cabinetNames())
        {
            const std::string path = pathOf("cabinet " + cabinet);
            jobs.push_back({path, [cabinet] { return drawCabinet(cabinet); }});
            pictureEntries.push_back({cabinet, path});
        }
        for (const auto& set : overlaySets())
            for (const auto& mic : microphoneNames())
                for (const auto& position : positionNames())
                    for (const auto& distance : distanceNames())
                    {
                        const std::string path = pathOf("placement " + irName(set.name, mic, position, distance));
                        jobs.push_back({path, [&set, mic, position, distance] { return drawPlacement(set, mic, position, distance); }});
                        for (const auto& cabinet : cabinetNames())
                            if (overlaySetOf(cabinet).name == set.name)
                                pictureEntries.push_back({irName(cabinet, mic, position, distance), path});
                    }

        auto addEditor = [&](const std::string& key, std::function<cairo_surface_t*()> draw) {
            const std::string path = pathOf(key);
            jobs.push_back({path, std::move(draw)});
            editorEntries.push_back({key, path});
        };
        addEditor("editorBackground", [] { return drawEditorBackground(); });
        addEditor("eqPanel", [] { return drawEqPanel(); });
        addEditor("muteButtonOff", [] { return drawMuteButton(false); });
        addEditor("muteButtonOn", [] { return drawMuteButton(true); });
        addEditor("bypassLedLit", [] { return drawBypassLight(true); });
        addEditor("bypassLedDark", [] { return drawBypassLight(false); });
        for (const auto& spec : knobSpecs())
            addEditor(spec.key, [&spec] { return drawFilmstrip(spec); });

        // The big filmstrips first, so neither thread is left with one at the end.
        std::stable_partition(jobs.begin(), jobs.end(), [](const Job& j) { return j.path.find("/knob") != std::string::npos; });
        runJobs(jobs);

        morvane3::embed::writeEmbedding((out / "pictureTable.s").string(), (out / "pictureTable.cpp").string(),
                                        "pictureTable", pictureEntries);
        morvane3::embed::writeEmbedding((out / "editorPictureTable.s").string(), (out / "editorPictureTable.cpp").string(),
                                        "editorPictureTable", editorEntries);
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "picture generator: %s\n", e.what());
        return 1;
    }
    return 0;
}
