#include "settings_ui/SettingsView.h"
#include "model/Settings.h"
#include "platform/AutostartDesktopEntry.h"
#include "platform/fake/FakePlatform.h"
#include "support/TempDir.h"
#include "theme/SettingsChip.h"
#include "theme/TextBlock.h"
#include "theme/VortanButtonStyle.h"
#include "theme/VortanSlider.h"
#include "theme/VortanToggleStyle.h"

#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

using namespace fray;
using Strings = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

// A display at `x`; serial 0 is the built-in one, any other an external display with that EDID serial.
ScreenInfo screen(std::string id, std::string name, double x, std::uint32_t serial = 0) {
    return {.id = id,
            .name = name,
            .frame = {x, 0, 1920, 1080},
            .builtIn = serial == 0,
            .vendor = 1,
            .model = 2,
            .serial = serial};
}

// A press, drag or release of the left button, sent straight to `w`.
void sendMouse(QWidget* w, QEvent::Type type, QPointF pos) {
    QMouseEvent e(type, pos, w->mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

// A settings view over in-memory settings and the fake platform: a built-in display and
// one external display ("ext:1-2-3").
class SettingsViewTest : public ::testing::Test {
  protected:
    test::TempDir tmp;
    Platform platform;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<SettingsView> view;
    int closes = 0;

    void SetUp() override {
        platform = fake::makePlatform(tmp.str());
        // The real autostart entry under the fixture's config folder, failures included.
        platform.autostart =
            std::make_shared<AutostartDesktopEntry>(platform.paths.configHome, platform.paths.executable);
        displays().list = {screen("eDP-1", "Built-in Display", 0), screen("DP-1", "DELL U2720Q", 1920, 3)};
        settings = std::make_unique<Settings>(std::make_shared<PreferencesStore>());
    }
    void TearDown() override { view.reset(); }
    fake::Displays& displays() { return static_cast<fake::Displays&>(*platform.displays); }
    fake::Access& access() { return static_cast<fake::Access&>(*platform.accessibility); }
    fake::Work& work() { return static_cast<fake::Work&>(*platform.workspace); }

    void show() {
        view = std::make_unique<SettingsView>(
            *settings, platform, [this] { ++closes; }, [] {});
        view->resize(view->sizeHint());
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }
    template <class T> T* child(const char* name) {
        auto* w = view->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // The chips named `name`, in the order they were made, once the replaced ones are gone.
    QList<SettingsChip*> chips(const char* name) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return view->findChildren<SettingsChip*>(name);
    }
    // Each chip's text, its note in brackets and " *" when selected.
    Strings chipTexts(const char* name) {
        Strings out;
        for (auto* c : chips(name))
            out.push_back(c->text().toStdString() +
                          (c->note().isEmpty() ? "" : " [" + c->note().toStdString() + "]") +
                          (c->isSelected() ? " *" : ""));
        return out;
    }
};

} // namespace

TEST_F(SettingsViewTest, EachSwitchWritesItsSettingAtOnceAndEscapeFlipsNone) {
    show();
    for (auto [key, get] : {std::pair{"soundNeedsAction", &Settings::soundNeedsAction},
                            {"soundKO", &Settings::soundKO},
                            {"overlapMenuBar", &Settings::overlapMenuBar},
                            {"showOverFullscreen", &Settings::showOverFullscreen},
                            {"showCompleted", &Settings::showCompleted}}) {
        SCOPED_TRACE(key);
        auto* t = child<VortanToggle>(key);
        const bool before = (settings.get()->*get)();
        EXPECT_EQ(t->isChecked(), before);
        QTest::mouseClick(t, Qt::LeftButton, {}, QPoint(5, t->height() / 2)); // on the label, not the switch
        EXPECT_EQ(settings->store()->boolValue(key), !before);
    }
    QTest::keyClick(child<VortanToggle>("soundKO"), Qt::Key_Escape);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(settings->soundKO()) << "Escape closes and must not flip the focused switch";
}

// The slider's own edges are the theme tests'; here, that the view writes what it sets.
TEST_F(SettingsViewTest, DelaySliderWritesFromPointerAndKeys) {
    settings->setNeedsActionDelay(12.9);
    show();
    EXPECT_EQ(settings->needsActionDelay(), 12.9) << "showing the view must not rewrite the delay";
    auto* slider = child<VortanSlider>("delaySlider");
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(settings->store()->doubleValue("needsActionDelay"), 13);

    const double w = slider->width(), mid = slider->height() / 2.0;
    sendMouse(slider, QEvent::MouseButtonPress, {w / 2, mid});
    EXPECT_EQ(settings->needsActionDelay(), 50);
    sendMouse(slider, QEvent::MouseMove, {w + 200, mid});
    sendMouse(slider, QEvent::MouseButtonRelease, {w + 200, mid});
    EXPECT_EQ(settings->needsActionDelay(), 90) << "dragged past the end";
    sendMouse(slider, QEvent::MouseMove, {0, mid});
    EXPECT_EQ(settings->needsActionDelay(), 90) << "a move without the button held changes nothing";
}

TEST_F(SettingsViewTest, PositionChipsClearTheDraggedSpot) {
    settings->setPosition(IslandPosition::left);
    settings->setCustomSpot(GPoint{100, 40});
    show();
    EXPECT_EQ(chipTexts("positionChip"), (Strings{"LEFT", "CENTER", "RIGHT"}))
        << "none selected while dragged";

    QTest::mouseClick(chips("positionChip")[2], Qt::LeftButton);
    EXPECT_EQ(settings->store()->stringValue("position"), "right");
    EXPECT_EQ(settings->store()->value("customDX"), std::nullopt);
    EXPECT_EQ(chipTexts("positionChip"), (Strings{"LEFT", "CENTER", "RIGHT *"}));

    settings->setCustomSpot(GPoint{5, 5});
    QTest::keyClick(chips("positionChip")[2], Qt::Key_Space);
    EXPECT_EQ(settings->customSpot(), std::nullopt)
        << "choosing the selected chip again also clears a new drag";
}

TEST_F(SettingsViewTest, MonitorChipsFollowTheAttachedDisplaysAndThePinnedOne) {
    settings->setDisplayKey("ext:9-9-9");
    settings->setDisplayName("LG UltraFine");
    show();
    EXPECT_EQ(chipTexts("monitorChip"), (Strings{"AUTO — PRIMARY", "BUILT-IN DISPLAY", "DELL U2720Q",
                                                 "LG ULTRAFINE [NOT CONNECTED] *"}));
    QTest::mouseClick(chips("monitorChip")[3], Qt::LeftButton);
    EXPECT_EQ(settings->displayName(), "LG UltraFine")
        << "choosing the away display keeps it pinned and named";
    settings->setCustomSpot(GPoint{300, 20});
    QTest::mouseClick(chips("monitorChip")[2], Qt::LeftButton);
    EXPECT_EQ(settings->displayKey(), "ext:1-2-3");
    EXPECT_EQ(settings->displayName(), "DELL U2720Q");
    EXPECT_EQ(settings->customSpot(), std::nullopt) << "a new display drops the dragged spot";
    EXPECT_EQ(chipTexts("monitorChip"), (Strings{"AUTO — PRIMARY", "BUILT-IN DISPLAY", "DELL U2720Q *"}));

    settings->setDisplayKey("ext:1-2-4");
    auto plugged = displays().list;
    plugged.push_back(screen("DP-2", "DELL U2720Q", 3840, 4));
    displays().set(plugged); // the view hears of it from the display provider
    EXPECT_EQ(chipTexts("monitorChip"),
              (Strings{"AUTO — PRIMARY", "BUILT-IN DISPLAY", "DELL U2720Q", "DELL U2720Q *"}));
    plugged.pop_back();
    displays().set(plugged);
    QTest::keyClick(chips("monitorChip")[0], Qt::Key_Space);
    EXPECT_EQ(settings->store()->value("displayKey"), std::nullopt);
    EXPECT_EQ(settings->displayName(), std::nullopt);
    EXPECT_EQ(chips("monitorChip").size(), 3u) << "the automatic chip forgets the away display";
}

TEST_F(SettingsViewTest, PreciseFocusAsksForAccessOnlyWhenSwitchedOn) {
    show();
    auto* precise = child<VortanToggle>("preciseFocus");
    QTest::mouseClick(precise, Qt::LeftButton);
    EXPECT_TRUE(settings->preciseFocus());
    EXPECT_EQ(access().requests, 1);
    EXPECT_TRUE(child<TextBlock>("preciseStatus")->text().contains("WAITING FOR ACCESS"));
    QTest::mouseClick(precise, Qt::LeftButton);
    QTest::mouseClick(precise, Qt::LeftButton);
    EXPECT_EQ(access().requests, 2) << "switching off never prompts";
    view->hide();
    access().trusted = true;
    view->show();
    EXPECT_TRUE(view->accessGranted()) << "read again when the window shows";
}

// Every failure is shown in the window: the settings file, the login entry, the sessions
// folder; the last two clear theirs on a later success.
TEST_F(SettingsViewTest, FailuresAreShownAndASuccessClearsThem) {
    tmp.write("blocked", "a file where the config folder should be");
    auto store = std::make_shared<PreferencesStore>(tmp.str() + "/blocked/fraymark/preferences.json");
    settings = std::make_unique<Settings>(store);
    show();
    auto* unsaved = child<TextBlock>("saveError");
    EXPECT_TRUE(unsaved->isHidden());
    testing::internal::CaptureStderr();
    QTest::mouseClick(child<VortanToggle>("soundKO"), Qt::LeftButton);
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(unsaved->isHidden());
    EXPECT_EQ(unsaved->text().toStdString().rfind("Changes are not being saved: cannot write ", 0), 0u);

    auto* login = child<VortanToggle>("loginItem");
    auto* error = child<TextBlock>("loginError");
    const int heightBefore = view->sizeHint().height();
    tmp.write(".config/autostart", "a file where the folder should be");
    QTest::mouseClick(login, Qt::LeftButton);
    EXPECT_FALSE(login->isChecked()) << "a failure shows the true state";
    EXPECT_FALSE(error->isHidden());
    EXPECT_TRUE(error->text().endsWith("/.config/autostart: Not a directory")) << error->text().toStdString();
    EXPECT_GT(view->sizeHint().height(), heightBefore) << "the window grows to show it";

    fs::remove(tmp / ".config/autostart");
    QTest::mouseClick(login, Qt::LeftButton);
    EXPECT_TRUE(platform.autostart->isEnabled());
    EXPECT_TRUE(login->isChecked());
    EXPECT_TRUE(error->isHidden()) << "a success clears the earlier error";
    QTest::keyClick(login, Qt::Key_Space);
    EXPECT_FALSE(platform.autostart->isEnabled());

    auto* folder = child<VortanButton>("sessionsFolder");
    auto* folderError = child<TextBlock>("actionError");
    const std::string path = tmp.str() + "/.claude/projects";
    work().answer = Workspace::Opened::missing;
    QTest::mouseClick(folder, Qt::LeftButton);
    EXPECT_TRUE(work().opened.empty());
    EXPECT_EQ(folderError->text().toStdString(), "Couldn't open " + path + ": there is no such folder yet.");
    work().answer = Workspace::Opened::yes;
    QTest::mouseClick(folder, Qt::LeftButton);
    EXPECT_EQ(work().opened, Strings{path});
    EXPECT_TRUE(folderError->isHidden());
}
