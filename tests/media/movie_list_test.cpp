#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <cctype>
#include <filesystem>
#include <map>

#include "media/file_icons.h"
#include "media/movie_list.h"
#include "platform/desktop.h"
#include "platform/file_types.h"
#include "platform/image_list.h"
#include "state/app_state.h"
#include "support/event_helpers.h"
#include "support/test_support.h"
#include "toolkit/list_view.h"

namespace lxtv {
namespace {

// The file types the last fill met, in the order it met them.
std::vector<std::string> knownExtensions() {
    std::vector<std::string> out;
    for (const state::KnownIcon& known : state::appState().knownIconExtensions)
        out.push_back(known.extension);
    return out;
}

using media::fileExtensionOf;
using media::folderPathCaption;
using media::trimTrailingBackslashes;

TEST(MoviePaths, TrimTrailingSeparators) {
    const std::pair<const char*, const char*> rows[] = {
        {"/a/b/", "/a/b"}, {"/a/b//", "/a/b"}, {"/a/b", "/a/b"}, {"/", "/"},
        {"///", "///"},    {"", ""},           {"a\\", "a\\"},   {"/电影/", "/电影"},
    };
    for (const auto& [in, out] : rows) EXPECT_EQ(trimTrailingBackslashes(in), out) << in;
}

TEST(MoviePaths, FileExtensionOf) {
    const std::pair<const char*, const char*> rows[] = {
        {"CLIP.AVI", "avi"}, {"archive.tar.GZ", "gz"}, {"noext", ""},
        {"clip.", ""},       {".hidden", "hidden"},    {"电影.MKV", "mkv"},
        {"电影", ""},        {"a.电影", "电影"},       {"x.Mp4", "mp4"},
    };
    for (const auto& [in, out] : rows) EXPECT_EQ(fileExtensionOf(in), out) << in;
}

TEST(MoviePaths, FolderPathCaption) {
    struct Row {
        const char* root;
        const char* path;
        const char* caption;
    };
    const Row rows[] = {
        {"", "/data/Movies/Action", ">> "},
        {"/data/Movies", "/data/Movies/Action", ">> /data/Movies/Action"},
        {"/", "/M/A", ">> /M"},
        {"Films", "/data/Movies", ">> Films"},  // root text absent: nothing after it
        {"/", "/", ">> /"},
    };
    for (const Row& r : rows) EXPECT_EQ(folderPathCaption(r.root, r.path), r.caption) << r.path;
}

TEST(IconSpec, NumberReading) {
    const std::pair<const char*, int> rows[] = {
        {" 2", 2},
        {"-154", -154},
        {"2.9", 2},
        {"-1.5", -1},
        {"\xEF\xBC\x92", 2},                            // full-width 2 (UTF-8)
        {"\xEF\xBC\x8D\xEF\xBC\x91\xEF\xBC\x95", -15},  // full-width -15
        {"\xA3\xB7", 7},                                // full-width 7 (code page 936)
        {"\xE3\x80\x80"
         "3",
         3},  // ideographic space, then 3
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"12abc", 12},
        {"1e2", 100},
        {"1e", 1},
        {"+7", 7},
        {".9", 0},
        {"1e999", 2147483647},
        {"-1e999", -2147483647 - 1},
        {"1e-999", 0},
    };
    for (const auto& [in, out] : rows) EXPECT_EQ(media::iconIndexOf(in), out) << in;
}

// A fake class registry: key path -> default value; records every key asked for.
class FakeRegistry {
  public:
    FakeRegistry() {
        lookup_ = platform::registryLookup.replaceWith(
            [this](const std::string& key, const std::string& value) -> std::optional<std::string> {
                asked.push_back(key);
                if (!value.empty()) return std::nullopt;
                auto it = keys.find(key);
                if (it == keys.end()) return std::nullopt;
                return it->second;
            });
    }
    std::map<std::string, std::string> keys;
    std::vector<std::string> asked;

  private:
    platform::Replacement lookup_;
};

TEST(IconSpec, ResolveIconSource) {
    FakeRegistry reg;
    const std::string stock = platform::systemFolderPath() + "shell32.dll";
    struct Row {
        const char* defaultIcon;  // nullptr: no DefaultIcon value
        std::string file;
        int index;
    };
    const Row rows[] = {
        {nullptr, stock, 0},
        {"/icons/avi.png", stock, 0},
        {"%1", stock, 0},
        {"/icons/avi.png,-154", "/icons/avi.png", -154},
        {"/icons/avi.png, 2", "/icons/avi.png", 2},
        {"/icons/avi.png,", "/icons/avi.png", 0},
        {"\"/icons/avi.png\",1", "\"/icons/avi.png\"", 1},
        {" /a b.png,3,9", " /a b.png", 3},
    };
    for (const Row& r : rows) {
        reg.keys = {{".avi", "video/x-msvideo"}};
        if (r.defaultIcon) reg.keys["video/x-msvideo\\DefaultIcon"] = r.defaultIcon;
        reg.asked.clear();
        std::string file = "old";
        int index = 99;
        media::resolveIconSource("/m/CLIP.AVI", file, index);
        EXPECT_EQ(file, r.file) << (r.defaultIcon ? r.defaultIcon : "(none)");
        EXPECT_EQ(index, r.index) << (r.defaultIcon ? r.defaultIcon : "(none)");
        EXPECT_EQ(reg.asked, (std::vector<std::string>{".avi", "video/x-msvideo\\DefaultIcon"}));
    }
    // A type without a program identifier still asks for "\DefaultIcon".
    reg.keys.clear();
    reg.asked.clear();
    std::string file;
    int index = 5;
    media::resolveIconSource("/m/x.unknown", file, index);
    EXPECT_EQ(reg.asked, (std::vector<std::string>{".unknown", "\\DefaultIcon"}));
    EXPECT_EQ(file, stock);
    EXPECT_EQ(index, 0);
}

TEST(Registry, SplitsAtTheLastBackslashAndStopsAtZero) {
    FakeRegistry reg;
    reg.keys = {{"a\\b", std::string("abc\0def", 7)}};
    EXPECT_EQ(platform::readRegistryText("a\\b\\"), "abc");
    EXPECT_EQ(reg.asked.back(), "a\\b");
    EXPECT_EQ(platform::readRegistryText("a\\b\\named"), "");
    EXPECT_EQ(platform::readRegistryText("missing\\"), "");
}

// The real answers come from the MIME database Qt carries and the installed icon theme.
TEST(Registry, FreedesktopAnswers) {
    EXPECT_EQ(platform::readRegistryText(".avi\\"), "video/x-msvideo");
    EXPECT_EQ(platform::readRegistryText(".MKV\\"), "video/x-matroska");
    // ".ts" also names translation sources; the video type is the one a film list means.
    EXPECT_EQ(platform::readRegistryText(".ts\\"), "video/mp2t");
    EXPECT_EQ(platform::readRegistryText(".nosuchtype42\\"), "");
    EXPECT_EQ(platform::readRegistryText(".avi\\named"), "");
    EXPECT_EQ(platform::readRegistryText("\\DefaultIcon\\"), "");
    EXPECT_EQ(platform::readRegistryText("no/such-type\\DefaultIcon\\"), "");
    const std::string spec = platform::readRegistryText("video/x-msvideo\\DefaultIcon\\");
    if (platform::iconThemeFile("video-x-generic").empty()) GTEST_SKIP() << "no icon theme";
    ASSERT_GT(spec.size(), 2u);
    EXPECT_EQ(spec.substr(spec.size() - 2), ",0");
    EXPECT_FALSE(platform::extractIcon(spec.substr(0, spec.size() - 2), 0).isNull());
    EXPECT_EQ(platform::extractIcon(platform::systemFolderPath() + "shell32.dll", 0).size(),
              QSize(32, 32));
    EXPECT_TRUE(platform::extractIcon(platform::systemFolderPath() + "shell32.dll", 1).isNull());
}

// A fixture tree with icons for some types and broken icon sources for others.
class MovieListFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        state::resetAppState();
        for (const char* d : {"Action", "b_sub", ".hidden_dir", "dir.ext.avi"})
            std::filesystem::create_directory(root.path() / d);
        for (const char* f : {"CLIP.AVI", "clip2.avi", "a.rm", "B.RM", "c.rmvb", "movie.mkv",
                              ".hidden.mp4", "noext", "ends.", "song.wma", "x.rm.bak", "y.avi."})
            test::writeFile(root.file(f), "x");
        icon("rm.png", Qt::red);
        icon("avi.png", Qt::green);
        icon("mkv.png", Qt::blue);
        reg.keys = {
            {".rm", "video/x-rm"},
            {"video/x-rm\\DefaultIcon", icons.file("rm.png") + ",0"},
            {".avi", "video/x-avi"},
            {"video/x-avi\\DefaultIcon", icons.file("avi.png") + ",0"},
            {".mkv", "video/x-mkv"},
            {"video/x-mkv\\DefaultIcon", icons.file("mkv.png") + ", 0"},
            {".rmvb", "video/x-rmvb"},
            {"video/x-rmvb\\DefaultIcon", "\"" + icons.file("rm.png") + "\",0"},  // quoted
            {".mp4", "video/mp4"},
            {"video/mp4\\DefaultIcon", icons.file("none.png") + ",0"},
            {".wma", "audio/x-wma"},
            {"audio/x-wma\\DefaultIcon", icons.file("rm.png") + ",3"},
        };
        opener = platform::desktopOpener.replaceWith(
            [this](const std::string& p) { opened.push_back(p); });
        writer = media::pathCaptionWriter.replaceWith(
            [this](const std::string& c) { captions.push_back(c); });
    }
    void TearDown() override {
        opener = {};
        writer = {};
        state::resetAppState();
    }
    void icon(const char* name, QColor c) {
        QImage img(48, 48, QImage::Format_ARGB32);
        img.fill(c);
        ASSERT_TRUE(img.save(QString::fromStdString(icons.file(name))));
    }
    std::vector<std::pair<std::string, int>> items() const {
        std::vector<std::pair<std::string, int>> out;
        for (int i = 0; i < list.itemCount(); ++i)
            out.emplace_back(list.itemText(i), list.itemImage(i));
        return out;
    }
    int indexOf(const std::string& text) const {
        for (int i = 0; i < list.itemCount(); ++i)
            if (list.itemText(i) == text) return i;
        return -1;
    }
    int imageCount() const {
        const auto l = platform::readImageListBlob(state::appState().fileIconImages);
        return l ? l->count() : -1;
    }

    test::TempDir root;
    test::TempDir icons;
    FakeRegistry reg;
    toolkit::ListView list{nullptr};
    std::vector<std::string> opened;
    std::vector<std::string> captions;
    platform::Replacement opener;
    platform::Replacement writer;
};

// Subfolders first, then the video files pattern by pattern; each type's files show its icon,
// or the video-file picture when none could be added.
TEST_F(MovieListFixture, FillListsSubfoldersThenFilesByPattern) {
    std::string path = root.path().string() + "//";
    ASSERT_TRUE(media::fillMovieList(list, path));
    EXPECT_EQ(path, root.path().string());
    using Items = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(items(), (Items{{".hidden_dir", 0},
                              {"Action", 0},
                              {"b_sub", 0},
                              {"dir.ext.avi", 0},
                              {"a.rm", 2},
                              {"B.RM", 2},
                              {"c.rmvb", 1},
                              {"CLIP.AVI", 3},
                              {"clip2.avi", 3},
                              {"movie.mkv", 4},
                              {".hidden.mp4", 1},
                              {"song.wma", 1}}));
    const auto& s = state::appState();
    EXPECT_EQ(knownExtensions(),
              (std::vector<std::string>{"rm", "rmvb", "avi", "mkv", "mp4", "wma"}));
    // Three types gave icons: two default images plus three.
    EXPECT_EQ(imageCount(), 5);
    EXPECT_EQ(list.imageCount(), 5);
    // Each type was looked up once: two registry reads per type.
    EXPECT_EQ(reg.asked.size(), 12u);
    const auto images = platform::readImageListBlob(s.fileIconImages);
    EXPECT_EQ(images->image(3).pixelColor(16, 16), QColor(Qt::green));  // avi
    EXPECT_TRUE(captions.empty());  // the fill itself writes no caption

    // A second fill starts again from the two default images and looks every type up again.
    reg.asked.clear();
    ASSERT_TRUE(media::fillMovieList(list, path));
    EXPECT_EQ(imageCount(), 5);
    EXPECT_EQ(reg.asked.size(), 12u);
    std::string empty = root.file("Action");
    ASSERT_TRUE(media::fillMovieList(list, empty));
    EXPECT_EQ(list.itemCount(), 0);
    EXPECT_EQ(imageCount(), 2);
    EXPECT_TRUE(state::appState().knownIconExtensions.empty());
}

// Every one of the video patterns, in its own place: one file per type, named so that the
// folder's name order runs against the pattern order; files of other types stay out.
TEST(MovieListPatterns, FilesFollowThePatternOrder) {
    state::resetAppState();
    FakeRegistry reg;  // no associations: every type falls back to the stock icon
    test::TempDir dir;
    const std::vector<std::string> exts = {"rm",  "rmvb", "avi", "asf", "mpeg", "mpg", "pmp",
                                           "mkv", "divx", "3gp", "psp", "wmv",  "vob", "mov",
                                           "flv", "swf",  "ts",  "mp4", "wma"};
    ASSERT_EQ(media::videoFilePatternList().size(), exts.size());
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < exts.size(); ++i) {
        std::string name = std::string(1, static_cast<char>('z' - i)) + "." + exts[i];
        if (i % 2 == 1)
            for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        test::writeFile(dir.file(name), "x");
        expected.push_back(name);
    }
    for (const char* other : {"a.txt", "b.mp3", "c.mp4.part", "d.rm~", "e"})
        test::writeFile(dir.file(other), "x");
    toolkit::ListView list(nullptr);
    std::string path = dir.path().string();
    ASSERT_TRUE(media::fillMovieList(list, path));
    std::vector<std::string> shown;
    for (int i = 0; i < list.itemCount(); ++i) {
        shown.push_back(list.itemText(i));
        EXPECT_NE(list.itemImage(i), 0) << list.itemText(i);
    }
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(knownExtensions(), exts);
    state::resetAppState();
}

TEST_F(MovieListFixture, FailedFillChangesNothing) {
    std::string path = root.path().string();
    ASSERT_TRUE(media::fillMovieList(list, path));
    const auto before = items();
    const std::string blobBefore = state::appState().fileIconImages;
    for (std::string bad : {root.file("noext"), root.file("missing/"), root.file("CLIP.AVI")}) {
        EXPECT_FALSE(media::fillMovieList(list, bad));
        EXPECT_EQ(items(), before);
        EXPECT_EQ(state::appState().fileIconImages, blobBefore);
        EXPECT_EQ(list.imageCount(), 5);
    }
    std::string trimmed = root.file("missing") + "///";
    EXPECT_FALSE(media::fillMovieList(list, trimmed));
    EXPECT_EQ(trimmed, root.file("missing"));
}

TEST_F(MovieListFixture, DoubleClickBrowsesFoldersAndOpensFiles) {
    // No item at all, then items but none selected: nothing happens.
    media::handleMovieListDoubleClick(list);
    state::appState().currentFolder = root.path().string() + "/";
    std::string path = root.path().string();
    ASSERT_TRUE(media::fillMovieList(list, path));
    media::handleMovieListDoubleClick(list);
    EXPECT_EQ(state::appState().currentFolder, root.path().string() + "/");
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(captions.empty());

    // A file item goes to the desktop's opener; the folder is trimmed on the way.
    list.setSelectedItem(indexOf("CLIP.AVI"));
    media::handleMovieListDoubleClick(list);
    EXPECT_EQ(opened, (std::vector<std::string>{root.file("CLIP.AVI")}));
    EXPECT_EQ(state::appState().currentFolder, root.path().string());

    // A folder item that cannot be listed (an extensionless file shown with slot 0).
    list.insertItem("noext", 0);
    const auto before = items();
    list.setSelectedItem(indexOf("noext"));
    media::handleMovieListDoubleClick(list);
    EXPECT_EQ(items(), before);
    EXPECT_EQ(state::appState().currentFolder, root.path().string());
    EXPECT_TRUE(captions.empty());

    // A folder item: the list shows its content, the folder and the caption follow.
    test::writeFile(root.file("b_sub/inner.flv"), "x");
    reg.keys[".flv"] = "video/x-flv";
    reg.keys["video/x-flv\\DefaultIcon"] = "\"" + icons.file("rm.png") + "\",0";
    list.setSelectedItem(indexOf("b_sub"));
    media::handleMovieListDoubleClick(list);
    EXPECT_EQ(state::appState().currentFolder, root.file("b_sub"));
    EXPECT_EQ(captions, (std::vector<std::string>{">> "}));
    EXPECT_EQ(items(), (std::vector<std::pair<std::string, int>>{{"inner.flv", 1}}));
    EXPECT_EQ(list.firstSelectedItem(), -1);
}

// A double click on blank space does nothing, also after an item was selected: the click
// there leaves no item selected, whichever button it was.
TEST_F(MovieListFixture, BlankSpaceDoubleClickDoesNothing) {
    std::string path = root.path().string();
    ASSERT_TRUE(media::fillMovieList(list, path));
    state::appState().currentFolder = path;
    QObject::connect(&list, &toolkit::ListView::doubleClicked, &list,
                     [this] { media::handleMovieListDoubleClick(list); });
    list.resize(600, 400);
    list.show();
    const QPoint blank(590, 390);
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        SCOPED_TRACE(button);
        list.setSelectedItem(indexOf("CLIP.AVI"));
        test::sendMouse(list.viewport(), QEvent::MouseButtonPress, blank, button, button);
        test::sendMouse(list.viewport(), QEvent::MouseButtonRelease, blank, button);
        EXPECT_EQ(list.firstSelectedItem(), -1);
    }
    list.setSelectedItem(indexOf("CLIP.AVI"));
    test::sendMouse(list.viewport(), QEvent::MouseButtonPress, blank, Qt::LeftButton,
                    Qt::LeftButton);
    test::sendMouse(list.viewport(), QEvent::MouseButtonRelease, blank, Qt::LeftButton);
    test::sendMouse(list.viewport(), QEvent::MouseButtonDblClick, blank, Qt::LeftButton,
                    Qt::LeftButton);
    test::sendMouse(list.viewport(), QEvent::MouseButtonRelease, blank, Qt::LeftButton);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(state::appState().currentFolder, path);

    // A click on an item still selects it, and its double click opens it.
    const QRect item = list.itemRect(indexOf("CLIP.AVI"));
    test::sendMouse(list.viewport(), QEvent::MouseButtonPress, item.center(), Qt::LeftButton,
                    Qt::LeftButton);
    test::sendMouse(list.viewport(), QEvent::MouseButtonRelease, item.center(), Qt::LeftButton);
    test::sendMouse(list.viewport(), QEvent::MouseButtonDblClick, item.center(), Qt::LeftButton,
                    Qt::LeftButton);
    EXPECT_EQ(opened, (std::vector<std::string>{root.file("CLIP.AVI")}));
}

// With no folder yet, an item's path starts at the root.
TEST_F(MovieListFixture, EmptyCurrentFolderStartsAtTheRoot) {
    list.setImageList(media::defaultListImages());
    list.insertItem(root.path().string().substr(1) + "/Action", 0);
    list.setSelectedItem(0);
    media::handleMovieListDoubleClick(list);
    EXPECT_EQ(state::appState().currentFolder, root.file("Action"));
    EXPECT_EQ(captions.size(), 1u);
}

TEST_F(MovieListFixture, AppendIconFailuresLeaveTheBlob) {
    std::string blob;
    EXPECT_EQ(media::appendIconToImageList(blob, icons.file("rm.png"), 0), -1);
    blob = "MITLxxxxnot an image list";
    EXPECT_EQ(media::appendIconToImageList(blob, icons.file("rm.png"), 0), -1);
    EXPECT_EQ(blob, "MITLxxxxnot an image list");
    blob = media::defaultListImages();
    test::writeFile(icons.file("doc.txt"), "just text");
    for (const auto& [file, index] :
         std::vector<std::pair<std::string, int>>{{icons.file("doc.txt"), 0},
                                                  {icons.file("gone.png"), 0},
                                                  {icons.file("rm.png"), -1},
                                                  {"\"" + icons.file("rm.png") + "\"", 0},
                                                  {"", 0}}) {
        EXPECT_EQ(media::appendIconToImageList(blob, file, index), -1) << file;
        EXPECT_EQ(blob, media::defaultListImages());
    }
    EXPECT_EQ(media::appendIconToImageList(blob, icons.file("rm.png"), 0), 2);
    EXPECT_EQ(media::appendIconToImageList(blob, icons.file("avi.png"), 0), 3);
    const auto list2 = platform::readImageListBlob(blob);
    ASSERT_TRUE(list2);
    EXPECT_EQ(list2->count(), 4);
    EXPECT_EQ(list2->image(2).pixelColor(5, 5), QColor(Qt::red));
}

TEST(ListViewWidget, ImageListAndDoubleClick) {
    toolkit::ListView view(nullptr);
    EXPECT_FALSE(view.hasImageList());
    EXPECT_TRUE(view.setImageList(media::defaultListImages()));
    EXPECT_EQ(view.imageCount(), 2);
    EXPECT_FALSE(view.setImageList("MITL1234"));
    EXPECT_FALSE(view.hasImageList());
    EXPECT_EQ(view.itemImage(0), 0);
    EXPECT_EQ(view.itemText(3), "");
    const std::string raw = "bad\xff name";  // bytes kept as they are, whatever the display
    view.insertItem(raw, 1);
    EXPECT_EQ(view.itemText(0), raw);
    EXPECT_EQ(view.itemImage(0), 1);

    int clicks = 0;
    QObject::connect(&view, &toolkit::ListView::doubleClicked, [&] { ++clicks; });
    view.resize(200, 200);
    view.show();
    lxtv::test::sendMouse(view.viewport(), QEvent::MouseButtonDblClick, QPoint(190, 190),
                          Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace lxtv
