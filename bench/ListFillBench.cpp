// What a colour key costs: 2,000 matches with 3 satellites each, under every
// filter. Each iteration fills the list and lets the host draw its visible
// page, as the screen does. "Window" is the plug-in's own path (the main
// window's fill through the satellite index, pictures from the shared cache);
// "FullScan", the anchor, is the plain algorithm: a scan of every satellite
// per match and a fresh decode of every picture per entry. At the end the run
// prints, per filter, how many times less CPU time the window needs.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ColourKeyPositions.h"
#include "PictureCache.h"
#include "ReceiverRoot.h"
#include "eMatchrayChoice.h"
#include "eMatchrayMainWindow.h"
#include "gFBDC.h"
#include "gPainter.h"

namespace {

namespace fs = std::filesystem;

constexpr int matchCount = 2000;
constexpr int satellitesPerMatch = 3;
constexpr int flagCount = 40;

// Four keys that filters accept and six that none but "All" does, so that
// each filter lists a different share of the matches.
const char* const positions[][2] = {{"1.0", "w"},  {"13.0", "e"}, {"16.0", "e"}, {"19.2", "e"},
                                    {"28.2", "e"}, {"4.8", "e"},  {"9.0", "e"},  {"23.5", "e"},
                                    {"5.0", "w"},  {"0.8", "w"}};
constexpr unsigned positionCount = sizeof positions / sizeof positions[0];

// A receiver root with the listings, one picture per match and the flags.
class Fixture {
public:
    Fixture() {
        std::string pattern = (fs::temp_directory_path() / "matchray-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        root = pattern;
        ReceiverRoot::set(root);
        std::string error;
        if (!ReceiverRoot::mapCallsFrom(dlopen("libplugin_units.so", RTLD_NOW | RTLD_NOLOAD),
                                        error)) {
            std::fprintf(stderr, "list_fill_bench: %s\n", error.c_str());
            std::abort();
        }
        const std::string images = std::string(MATCHRAY_SOURCE_DIR) + "/data/images/";
        fs::create_directories(root + "/tmp");
        fs::create_directories(root + "/var/tuxbox/config/pitchside/countries");
        for (int i = 0; i < matchCount; ++i)
            fs::copy_file(images + "hd.png", root + "/tmp/m" + std::to_string(i) + ".png");
        for (int i = 0; i < flagCount; ++i)
            fs::copy_file(images + "fta.png", root + "/var/tuxbox/config/pitchside/countries/c" +
                                                  std::to_string(i) + ".png");
        unsigned seed = 12345;
        for (int i = 0; i < matchCount; ++i) {
            matchray_matches m;
            m.id = i;
            m.title = "Team " + std::to_string(i) + " - Team " + std::to_string(i + 1);
            m.country1 = "c" + std::to_string(i % flagCount);
            m.picture = "m" + std::to_string(i) + ".png";
            m.country2 = "c" + std::to_string((i + 7) % flagCount);
            m.kickoff = "Sat 20:45";
            matches.push_back(m);
            for (int k = 0; k < satellitesPerMatch; ++k) {
                seed = seed * 1103515245u + 12345u;
                const auto& position = positions[(seed >> 16) % positionCount];
                matchray_satellites s;
                s.match_id = i;
                s.sat_position = position[0];
                s.sat_direction = position[1];
                satellites.push_back(s);
            }
        }
    }
    ~Fixture() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    void writeListings() const {
        std::ofstream out(root + "/tmp/psn");
        out << matches.size() << "\n";
        for (const matchray_matches& m : matches)
            out << m.id << "#" << m.title << "#" << m.country1 << "#" << m.picture << "#"
                << m.country2 << "#" << m.kickoff << "\n";
        out << satellites.size() << "\n";
        for (const matchray_satellites& s : satellites)
            out << s.match_id << "#" << s.sat_position << "#" << s.sat_direction << "\n";
    }

    std::string root;
    std::list<matchray_matches> matches;
    std::list<matchray_satellites> satellites;
};

Fixture& fixture() {
    static Fixture instance;
    return instance;
}

// The host draws the list: the rows of its visible page.
void drawPage(eListBoxBase& list) {
    gPainter screen(*gFBDC::getInstance());
    list.paint(screen);
}

eListBoxBase* choicesOf(eWidget& window) {
    for (eWidget* child : window.getChildren())
        if (child->getName() == "choices") return dynamic_cast<eListBoxBase*>(child);
    return nullptr;
}

void Window(benchmark::State& state) {
    const int filter = static_cast<int>(state.range(0));
    Fixture& data = fixture();
    data.writeListings();
    PictureCache::clear();
    auto window = std::make_unique<eMatchrayMainWindow>("00:00:00:00:00:00");
    void (eMatchrayMainWindow::*const keys[4])() = {
        &eMatchrayMainWindow::clickBtn0, &eMatchrayMainWindow::clickBtn1,
        &eMatchrayMainWindow::clickBtn2, &eMatchrayMainWindow::clickBtn3};
    (window.get()->*keys[filter])();
    eListBoxBase* list = choicesOf(*window);
    for (auto _ : state) {
        window->napuniListu();
        drawPage(*list);
    }
    state.counters["entries"] = list->getCount();
    window->eventHandler(eWidgetEvent(eWidgetEvent::execDone));
}

void FullScan(benchmark::State& state) {
    const int filter = static_cast<int>(state.range(0));
    Fixture& data = fixture();
    eListBox<eMatchrayChoice> list(nullptr, nullptr, 1, 50, "eListBox");
    list.resize(eSize(520, 316));  // the window's list: a page of 6 rows
    for (auto _ : state) {
        list.beginAtomic();
        list.clearList();
        for (const matchray_matches& m : data.matches) {
            bool qualifies = false;
            for (const matchray_satellites& s : data.satellites)
                if (s.match_id == m.id && ColourKeyPositions::accepts(filter, s.positionKey()))
                    qualifies = true;
            if (!qualifies) continue;
            PictureCache::clear();  // every entry decodes its own pictures
            new eMatchrayChoice(&list, m);
        }
        list.endAtomic();
        drawPage(list);
    }
    state.counters["entries"] = list.getCount();
}

// The console report, followed by the ratio of the anchor's CPU time to the
// window's for each filter.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal.
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            Mean& mean = cpuTimes[run.benchmark_name()];
            mean.sum += run.GetAdjustedCPUTime();
            ++mean.count;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-7s %14s %14s %8s\n", "filter", "FullScan (ms)", "Window (ms)", "ratio");
        for (int filter = 0; filter < 4; ++filter) {
            const double anchor = mean("FullScan/" + std::to_string(filter));
            const double window = mean("Window/" + std::to_string(filter));
            if (anchor <= 0 || window <= 0) continue;
            std::printf("%-7d %14.2f %14.2f %7.1fx\n", filter, anchor, window, anchor / window);
        }
    }

private:
    struct Mean {
        double sum = 0;
        int count = 0;
    };
    double mean(const std::string& name) const {
        auto found = cpuTimes.find(name);
        return found == cpuTimes.end() || found->second.count == 0
                   ? 0
                   : found->second.sum / found->second.count;
    }
    std::map<std::string, Mean> cpuTimes;
};

}  // namespace

BENCHMARK(Window)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(FullScan)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
