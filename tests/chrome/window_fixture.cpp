#include "chrome/window_fixture.h"

#include <QApplication>
#include <QFile>

#include "chrome/skin_layout.h"
#include "chrome/title_strip.h"
#include "platform/desktop.h"
#include "platform/png_decode.h"
#include "platform/screen.h"
#include "platform/sound.h"
#include "state/app_state.h"
#include "toolkit/animation_strip.h"
#include "toolkit/geometry.h"

namespace lxtv::test {

void WindowFixture::SetUp() {
    state::initAppState();
    state::appState().isMaximized = 0;
    fakes.push_back(
        platform::screenSize.replaceWith([] { return QSize(screenWidth, screenHeight); }));
    fakes.push_back(platform::wavePlayer.replaceWith([this](const QByteArray&) { ++sounds; }));
    fakes.push_back(platform::desktopOpener.replaceWith(
        [this](const std::string& target) { opened.push_back(target); }));
    fakes.push_back(chrome::programExit.replaceWith([this](int code) { exits.push_back(code); }));
}

void WindowFixture::TearDown() {
    window.reset();
    fakes.clear();
    state::resetAppState();
}

void WindowFixture::load() {
    window = std::make_unique<chrome::MainWindow>();
    window->created = [this] {
        chrome::buildTitleStrip();
        for (int id = 1; id <= 6; ++id)
            placesAtCreation.push_back(window->titleStrip->objectPlace(id));
    };
    window->load();
}

void WindowFixture::resizeSettled(int w, int h) {
    window->resize(w, h);
    chrome::layoutSkin();
}

QRect rectOf(const QWidget* w) {
    return QRect(toolkit::left(w), toolkit::top(w), toolkit::width(w), toolkit::height(w));
}

bool showsPicture(int objectId, const char* name) {
    QFile file(QStringLiteral(":/assets/strip/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QImage expected = platform::decodePng(file.readAll());
    const QImage shown = chrome::mainWindow().titleStrip->objectPicture(objectId);
    return !expected.isNull() && shown == expected;
}

}  // namespace lxtv::test
