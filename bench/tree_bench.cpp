// Catalogue tree build on large catalogues: the real builder into the real tree view, offscreen.
//
// For each catalogue it builds the tree several times and prints the median and the minimum of:
// the time from the builder's start until the last item is on screen, the longest gap in the
// window thread's event loop (a 1 ms timer) from the builder's start until the view has laid
// out and drawn the finished tree, the builder alone against the in-memory tree, and the
// catalogue lookup of one selection, also the first one after a data sync (a fetch from a
// loopback server, as the data sync button makes it). The resident memory of the built tree is
// measured in a fresh process of this program (run with --memory). The last lines are the table
// of figures with their targets.

#include <httplib.h>

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "catalogue/channel_selection.h"
#include "catalogue/fetch.h"
#include "catalogue/tree_builder.h"
#include "catalogue/tree_carrier.h"
#include "platform/ansi.h"
#include "platform/memory.h"
#include "platform/profile.h"
#include "toolkit/tree_memory.h"
#include "toolkit/tree_view.h"

namespace {

using namespace lxtv;
using Clock = std::chrono::steady_clock;

constexpr int kRuns = 5;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// `categories` sections of `channels` keys; one category in `expandEvery` holds a channel of
// kind 2 (so it is shown expanded). Every key list stays well within 256 bytes. `variant` goes
// into the addresses, so a later copy can be told from an earlier one.
std::string makeCatalogue(int categories, int channels, int expandEvery,
                          const std::string& variant = "play") {
    const std::string category = platform::fromUtf8("频道分类");
    const std::string channel = platform::fromUtf8("卫视台");
    std::string out;
    out.reserve(static_cast<std::size_t>(categories) * channels * 48);
    for (int c = 0; c < categories; ++c) {
        out += "[" + category + std::to_string(c) + "]\r\n";
        for (int k = 0; k < channels; ++k) {
            const char kind = (k == channels - 1 && c % expandEvery == 0) ? '2' : '1';
            out += channel + std::to_string(k) + "=" + kind + "|http://127.0.0.1:8168/" + variant +
                   "/" + std::to_string(c) + "/" + std::to_string(k) + ".html\r\n";
        }
    }
    // Last, so the builder has to read the whole file before it toggles.
    out += "[config]\r\n" + platform::fromUtf8("最大化") + "=0\r\n";
    return out;
}

// The resident set of this process, in kilobytes.
long residentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

struct Stat {
    double median = 0;
    double min = 0;
};

Stat statOf(std::vector<double> values) {
    if (values.empty()) return {};
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front()};
}

// One build into the real view, from a worker thread, as start-up runs it.
struct Build {
    int items = 0;
    double shownMs = 0;       // builder start -> last item on screen
    double issuedMs = 0;      // builder start -> every operation issued
    double longestGapMs = 0;  // longest window-thread gap, until the finished tree is drawn
    int timerTicks = 0;
    double settledMs = 0;  // builder start -> the finished tree laid out and drawn
};

// Counts the view's paints, to know when the finished tree has been drawn.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

Build buildIntoView(const std::string& path, bool parsedAhead) {
    platform::clearProfileCache();
    if (parsedAhead) platform::prepareProfile(path);
    Build b;
    toolkit::TreeView view(nullptr);
    view.resize(170, 380);
    view.show();
    QApplication::processEvents();
    PaintCounter painted;
    view.viewport()->installEventFilter(&painted);

    std::atomic<bool> finished = false;
    Clock::time_point shown;
    Clock::time_point issued;
    auto lastTick = Clock::now();
    double longestGap = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        longestGap = std::max(longestGap, msBetween(lastTick, now));
        lastTick = now;
        ++b.timerTicks;
    });
    QEventLoop loop;
    ticker.start();
    lastTick = Clock::now();
    const Clock::time_point start = Clock::now();
    std::thread worker([&] {
        // The catalogue asks for the maximized window: the toggle comes once every item is shown.
        // As buildCatalogueTreeInto does, with the moment the builder has issued everything.
        catalogue::WindowTreeCarrier carrier(&view);
        const bool maximize = catalogue::fillCatalogueTree(carrier, path);
        issued = Clock::now();
        carrier.waitUntilShown();
        shown = Clock::now();
        if (!maximize) std::printf("  !! the catalogue did not ask for the maximized window\n");
        finished = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    if (!finished) loop.exec();
    worker.join();
    // The view lays the finished tree out and draws it from the event loop: the gaps of that
    // count too. Wait for a paint after the last item was shown, then a little longer.
    const int paintsAtShown = painted.paints;
    view.viewport()->update();
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (painted.paints == paintsAtShown && Clock::now() < deadline)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    b.settledMs = msSince(start);
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
    ticker.stop();
    b.shownMs = msBetween(start, shown);
    b.issuedMs = msBetween(start, issued);
    b.longestGapMs = longestGap;
    b.items = view.itemCount();
    return b;
}

// A loopback server that answers /LXTV.ini with the given bytes, for a real data-sync fetch.
class CatalogueServer {
  public:
    explicit CatalogueServer(std::string body) : body_(std::move(body)) {
        server_.Get("/LXTV.ini", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(body_, "text/plain; charset=gbk");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~CatalogueServer() {
        server_.stop();
        thread_.join();
    }
    std::string address() const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/LXTV.ini";
    }

  private:
    std::string body_;
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

struct Figures {
    int items = 0;
    double fileMb = 0;
    std::vector<double> shown, issued, gap, settled, shownParsedAhead, memoryBuild;
    int ticks = 0;
    double parseMs = 0;        // the reader's first call: the file parsed
    double readsMs = 0;        // every key list and value read of the build, shared as it reads
    double layoutMs = 0;       // one full layout of the view with every item added
    double firstLookupMs = 0;  // one selection's lookup, first after the build
    double lookupMs = 0;       // mean of many
    double syncLookupMs = -1;  // the first lookup after a data sync
    long memoryKb = -1;        // resident memory of the parsed copy and the built tree
    long treeMemoryKb = -1;    // of which the tree
};

// One selection's lookup: the last channel of the last category.
double timeLookup(const toolkit::TreeView& view, const std::string& path,
                  const std::string& expected) {
    const auto t = Clock::now();
    const auto address = catalogue::selectionAddress(view, path);
    const double ms = msSince(t);
    if (!address || *address != expected)
        std::printf("  !! lookup gave an unexpected address: %s\n",
                    address ? address->c_str() : "(none)");
    return ms;
}

Figures run(const std::string& folder, int categories, int channels, int expandEvery) {
    Figures f;
    const std::string path = folder + "/LXTV.ini";
    const std::string bytes = makeCatalogue(categories, channels, expandEvery);
    std::ofstream(path, std::ios::binary) << bytes;
    f.fileMb = bytes.size() / 1e6;

    // The builder alone, file parsed afresh as after a download.
    for (int r = 0; r < kRuns; ++r) {
        platform::clearProfileCache();
        toolkit::MemoryTree memory;
        const auto start = Clock::now();
        catalogue::fillCatalogueTree(memory, path);
        f.memoryBuild.push_back(msSince(start));
    }

    // The reader's share: the parse, then every read the builder makes, as it makes them.
    platform::clearProfileCache();
    {
        platform::ProfileReads reads;
        auto t = Clock::now();
        const auto sections = catalogue::listCatalogueSections(reads, path);
        f.parseMs = msSince(t);
        t = Clock::now();
        std::size_t kinds = 0;
        for (const std::string& section : sections) {
            const std::string keys = catalogue::listSectionKeys(reads, path, section);
            std::size_t from = 0;
            while (from < keys.size()) {
                std::size_t end = keys.find("\r\n", from);
                if (end == std::string::npos) end = keys.size();
                kinds += catalogue::readChannelKind(reads, path, section,
                                                    keys.substr(from, end - from)) != '\0';
                from = end + 2;
            }
        }
        f.readsMs = msSince(t);
        if (kinds == 0) std::printf("  !! no values read\n");
    }

    for (int r = 0; r < kRuns; ++r) {
        const Build b = buildIntoView(path, false);
        f.items = b.items;
        f.shown.push_back(b.shownMs);
        f.issued.push_back(b.issuedMs);
        f.gap.push_back(b.longestGapMs);
        f.settled.push_back(b.settledMs);
        f.ticks = b.timerTicks;
    }
    // As in the client, where the fetch has parsed the copy before the builder starts.
    for (int r = 0; r < kRuns; ++r) f.shownParsedAhead.push_back(buildIntoView(path, true).shownMs);

    // One more build, kept, for the layout and the lookups.
    platform::clearProfileCache();
    toolkit::TreeView view(nullptr);
    view.resize(170, 380);
    view.show();
    {
        std::atomic<bool> finished = false;
        QEventLoop loop;
        std::thread worker([&] {
            catalogue::WindowTreeCarrier carrier(&view);
            catalogue::fillCatalogueTree(carrier, path);
            carrier.waitUntilShown();
            finished = true;
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        if (!finished) loop.exec();
        worker.join();
    }
    {
        // One full layout of the view over every shown row, as each publish of new top-level
        // rows costs.
        QApplication::processEvents();
        const auto t = Clock::now();
        view.setItemHeight(22);
        f.layoutMs = msSince(t);
    }

    view.setSelectedIndex(view.itemCount() - 2);
    const std::string tail =
        std::to_string(categories - 1) + "/" + std::to_string(channels - 1) + ".html";
    f.firstLookupMs = timeLookup(view, path, "http://127.0.0.1:8168/play/" + tail);
    constexpr int rounds = 1000;
    const auto t = Clock::now();
    for (int i = 0; i < rounds; ++i) (void)catalogue::selectionAddress(view, path);
    f.lookupMs = msSince(t) / rounds;

    // A data sync: the fetch replaces the copy with a new one, then the viewer picks a channel.
    {
        CatalogueServer server(makeCatalogue(categories, channels, expandEvery, "synced"));
        const auto source = catalogue::catalogueSource.replaceWith([&] {
            return catalogue::CatalogueSource{server.address(), path};
        });
        if (!catalogue::fetchCatalogue().stored) std::printf("  !! the data sync stored nothing\n");
        f.syncLookupMs = timeLookup(view, path, "http://127.0.0.1:8168/synced/" + tail);
    }
    return f;
}

// With --memory: the resident memory that the parsed copy and the built tree take, in this
// fresh process: after minus before, the catalogue file written beforehand.
int measureMemory(int argc, char** argv) {
    platform::returnLargeBlocksWhenFreed();  // as the client's entry does
    QApplication app(argc, argv);
    const std::string path = argv[2];
    toolkit::TreeView view(nullptr);
    view.resize(170, 380);
    view.show();
    QApplication::processEvents();
    const long before = residentKb();
    std::atomic<bool> finished = false;
    QEventLoop loop;
    std::thread worker([&] {
        catalogue::buildCatalogueTreeInto(&view, path, nullptr);
        finished = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    if (!finished) loop.exec();
    worker.join();
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
    const long withCopy = residentKb() - before;
    platform::clearProfileCache();
    std::printf("%ld %ld\n", withCopy, residentKb() - before);
    return 0;
}

// Kilobytes: the parsed copy and the tree, and the tree alone.
std::pair<long, long> memoryInFreshProcess(const std::string& path) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--memory"), QString::fromStdString(path)});
    if (!child.waitForFinished(60'000)) return {-1, -1};
    long total = -1;
    long tree = -1;
    std::sscanf(child.readAllStandardOutput().constData(), "%ld %ld", &total, &tree);
    return {total, tree};
}

void printStat(const char* label, const std::vector<double>& values, const char* extra = "") {
    const Stat s = statOf(values);
    std::printf("  %-37s %8.1f ms  (min %.1f, %zu runs)%s\n", label, s.median, s.min, values.size(),
                extra);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && std::string(argv[1]) == "--memory") return measureMemory(argc, argv);
    QApplication app(argc, argv);

    struct Size {
        int categories, channels, expandEvery;
    } sizes[] = {{1000, 20, 10}, {10000, 20, 10}, {10000, 20, 1}};

    std::printf("catalogue tree build (real builder into the real tree view, offscreen)\n");
    std::printf("each build %d times: median (min, runs)\n\n", kRuns);
    std::vector<Figures> all;
    for (const Size& s : sizes) {
        const auto folder =
            std::filesystem::temp_directory_path() /
            ("lxtv-bench-" + std::to_string(QCoreApplication::applicationPid()) + "-" +
             std::to_string(s.categories) + "-" + std::to_string(s.expandEvery));
        std::filesystem::create_directories(folder);
        Figures f = run(folder.string(), s.categories, s.channels, s.expandEvery);
        std::tie(f.memoryKb, f.treeMemoryKb) = memoryInFreshProcess((folder / "LXTV.ini").string());
        std::filesystem::remove_all(folder);
        std::printf("%d categories x %d channels (%s expanded), %.1f MB file, %d items\n",
                    s.categories, s.channels, s.expandEvery == 1 ? "all" : "1 in 10", f.fileMb,
                    f.items);
        printStat("builder start -> last item shown", f.shown);
        printStat("  the same, the copy parsed ahead", f.shownParsedAhead,
                  "  (as after the fetch)");
        printStat("builder start -> all ops issued", f.issued);
        printStat("builder start -> tree laid out, drawn", f.settled);
        const Stat gap = statOf(f.gap);
        std::printf(
            "  longest window-thread gap             %8.1f ms  (min %.1f, %zu runs; %d ticks of a "
            "1 ms timer; until the finished tree is drawn)\n",
            gap.median, gap.min, f.gap.size(), f.ticks);
        printStat("builder alone (in-memory tree)", f.memoryBuild);
        std::printf("    of which the reader: parse %.1f ms, key lists and values %.1f ms\n",
                    f.parseMs, f.readsMs);
        std::printf("  one full layout of the view           %8.1f ms\n", f.layoutMs);
        std::printf("  selection lookup: first %.3f ms, mean %.4f ms\n", f.firstLookupMs,
                    f.lookupMs);
        std::printf("  selection lookup after a data sync: first %.3f ms\n", f.syncLookupMs);
        std::printf(
            "  resident memory of the parsed copy and the built tree: %.1f MB (the tree %.1f "
            "MB)\n\n",
            f.memoryKb / 1024.0, f.treeMemoryKb / 1024.0);
        all.push_back(std::move(f));
    }
    {
        // Conversion of the item texts for display; the view converts the rows it draws.
        const std::string text = platform::fromUtf8("卫视台12");
        const auto t = Clock::now();
        int length = 0;
        for (int i = 0; i < 210000; ++i) length += platform::toQString(text).size();
        std::printf("210,000 item texts converted for display: %.1f ms (%d)\n\n", msSince(t),
                    length);
    }

    // The table: each figure beside its target (medians, minimums in brackets).
    const auto row = [](const char* figure, Stat s, double target, const char* unit) {
        const int digits = target < 1 ? 3 : 1;
        std::printf("| %-62s | %7.*f (%.*f) %-2s | <= %.*f %-2s | %s |\n", figure, digits, s.median,
                    digits, s.min, unit, digits, target, unit,
                    s.median <= target ? "met" : "NOT MET");
    };
    const Figures& oneIn10 = all[1];
    const Figures& allExpanded = all[2];
    std::vector<double> gaps;
    for (const Figures& f : all) gaps.insert(gaps.end(), f.gap.begin(), f.gap.end());
    std::printf("| figure | median (min) | target | |\n|---|---|---|---|\n");
    row("builder start -> last item shown, 10,000 x 20, 1 in 10 expanded", statOf(oneIn10.shown),
        100, "ms");
    row("the same, all categories expanded", statOf(allExpanded.shown), 100, "ms");
    // The longest gap in every case: the worst median and the worst minimum.
    double worstMedian = 0;
    double worstMin = 0;
    for (const Figures& f : all) {
        worstMedian = std::max(worstMedian, statOf(f.gap).median);
        worstMin = std::max(worstMin, statOf(f.gap).min);
    }
    row("longest window-thread gap, any case, first layout included", Stat{worstMedian, worstMin},
        16, "ms");
    row("resident memory of the parsed copy and tree, 200,000 channels",
        Stat{oneIn10.memoryKb / 1024.0, oneIn10.memoryKb / 1024.0}, 40, "MB");
    row("one selection's lookup, first after the build",
        Stat{oneIn10.firstLookupMs, oneIn10.firstLookupMs}, 0.1, "ms");
    row("one selection's lookup, first after a data sync",
        Stat{oneIn10.syncLookupMs, oneIn10.syncLookupMs}, 0.1, "ms");
    std::printf(
        "(process start -> window shown, and the client's own memory: lxtv_bench_startup)\n");
    return 0;
}
