#include "GuiTest.h"
#include "app/Settings.h"
#include "settings_ui/LineLabel.h"
#include "settings_ui/SettingsChip.h"
#include "settings_ui/SettingsView.h"
#include "settings_ui/TextBlock.h"
#include "settings_ui/VortanButtonStyle.h"
#include "settings_ui/VortanSlider.h"
#include "settings_ui/VortanToggleStyle.h"
#include "island/Vortan.h"
#include "platform/fake/FakePlatform.h"
#include "support/TempDir.h"

#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

using namespace fray;
using fray::test::TempDir;
namespace fs = std::filesystem;

namespace {

ScreenInfo screen(std::string id, std::string name, double x, bool builtIn, std::uint32_t serial = 0) {
    ScreenInfo s;
    s.id = std::move(id);
    s.name = std::move(name);
    s.frame = {x, 0, 1920, 1080};
    s.visibleFrame = {x, 0, 1920, 1056};
    s.builtIn = builtIn;
    if (!builtIn) s.vendor = 1, s.model = 2, s.serial = serial;
    return s;
}

class SettingsViewTest : public ::testing::Test {
protected:
    TempDir tmp;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<SettingsView> view;
    fake::Displays* displays = nullptr;
    fake::Access* access = nullptr;
    fake::Work* work = nullptr;
    int closes = 0, quits = 0;

    void SetUp() override {
        fray::test::guiApp();
        Platform p = fake::makePlatform(tmp.str());
        displays = static_cast<fake::Displays*>(p.displays.get());
        access = static_cast<fake::Access*>(p.accessibility.get());
        work = static_cast<fake::Work*>(p.workspace.get());
        displays->list = {screen("eDP-1", "Built-in Display", 0, true), screen("DP-1", "DELL U2720Q", 1920, false, 3)};
        setPlatform(std::move(p));
        Displays::nameOverride.reset();
        settings = std::make_unique<Settings>(std::make_shared<PreferencesStore>());
    }
    void TearDown() override {
        view.reset();
        Displays::nameOverride.reset();
    }

    SettingsView& show() {
        view = std::make_unique<SettingsView>(*settings, [this] { ++closes; }, [this] { ++quits; });
        view->resize(view->sizeHint());
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        return *view;
    }

    template <class T> T* child(const char* name) {
        auto* w = view->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    std::vector<SettingsChip*> chips(const char* name) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::vector<SettingsChip*> out;
        for (auto* c : view->findChildren<SettingsChip*>(name))
            if (!c->isHidden()) out.push_back(c);
        // Column order is layout order, top to bottom or left to right.
        std::sort(out.begin(), out.end(), [&](auto* a, auto* b) {
            QPoint pa = a->mapTo(view.get(), QPoint()), pb = b->mapTo(view.get(), QPoint());
            return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
        });
        return out;
    }
    std::vector<std::string> chipTexts(const char* name) {
        std::vector<std::string> out;
        for (auto* c : chips(name))
            out.push_back(c->text().toStdString() + (c->note().isEmpty() ? "" : " [" + c->note().toStdString() + "]") +
                          (c->isSelected() ? " *" : ""));
        return out;
    }
    std::string text(const char* name) { return child<TextBlock>(name)->text().toStdString(); }
    std::string autostartEntry() const { return tmp.str() + "/.config/autostart/io.fraymark.Fraymark.desktop"; }
};

} // namespace

TEST_F(SettingsViewTest, EachSwitchWritesItsSettingAtOnce) {
    struct Row {
        const char* name;
        const char* key;
        bool (Settings::*get)() const;
    };
    const Row rows[] = {
        {"soundNeedsAction", "soundNeedsAction", &Settings::soundNeedsAction},
        {"soundKO", "soundKO", &Settings::soundKO},
        {"overlapMenuBar", "overlapMenuBar", &Settings::overlapMenuBar},
        {"showOverFullscreen", "showOverFullscreen", &Settings::showOverFullscreen},
        {"showCompleted", "showCompleted", &Settings::showCompleted},
    };
    show();
    for (const auto& r : rows) {
        auto* t = child<VortanToggle>(r.name);
        bool before = (settings.get()->*r.get)();
        EXPECT_EQ(t->isChecked(), before) << r.name;
        QTest::mouseClick(t, Qt::LeftButton, {}, QPoint(5, t->height() / 2)); // on the label, not the switch
        EXPECT_EQ((settings.get()->*r.get)(), !before) << r.name;
        EXPECT_EQ(settings->store()->boolValue(r.key), !before) << r.name;
        QTest::keyClick(t, Qt::Key_Space);
        EXPECT_EQ((settings.get()->*r.get)(), before) << r.name;
        EXPECT_EQ(t->isChecked(), before) << r.name;
    }
}

TEST_F(SettingsViewTest, ChangesMadeElsewhereShowInTheView) {
    show();
    settings->setSoundKO(false);
    settings->setNeedsActionDelay(45);
    settings->setCustomSpot(GPoint{12, 30});
    EXPECT_FALSE(child<VortanToggle>("soundKO")->isChecked());
    EXPECT_EQ(child<VortanSlider>("delaySlider")->value(), 45);
    EXPECT_EQ(chipTexts("positionChip"), (std::vector<std::string>{"LEFT", "CENTER", "RIGHT"}));
}

TEST_F(SettingsViewTest, SliderDragSetsWholeSecondsWithinRange) {
    show();
    auto* slider = child<VortanSlider>("delaySlider");
    auto* label = child<LineLabel>("delayValue");
    const double w = slider->width(), mid = slider->height() / 2.0;
    ASSERT_GT(w, 300);
    struct Step {
        const char* name;
        QEvent::Type type;
        double x;
        double delay;
    };
    const Step steps[] = {
        {"PressFarLeft", QEvent::MouseButtonPress, 0, 10},
        {"DragPastLeft", QEvent::MouseMove, -80, 10},
        {"DragToAThird", QEvent::MouseMove, w * 27 / 80, 37},
        {"DragPastRight", QEvent::MouseMove, w + 200, 90},
        {"ReleaseFarRight", QEvent::MouseButtonRelease, w, 90},
        {"MoveWithoutButtonDoesNothing", QEvent::MouseMove, 0, 90},
        {"PressAnywhereJumps", QEvent::MouseButtonPress, w / 2, 50},
    };
    for (const auto& s : steps) {
        fray::test::sendMouse(slider, s.type, QPointF(s.x, mid));
        EXPECT_EQ(settings->needsActionDelay(), s.delay) << s.name;
        EXPECT_EQ(settings->store()->doubleValue("needsActionDelay"), s.delay) << s.name;
        EXPECT_EQ(label->text().toStdString(), std::to_string(int(s.delay)) + "S") << s.name;
    }
}

TEST_F(SettingsViewTest, DelayTextShowsWholeSecondsUntilTheSliderMoves) {
    settings->setNeedsActionDelay(12.9);
    show();
    auto* value = child<LineLabel>("delayValue");
    auto* slider = child<VortanSlider>("delaySlider");
    EXPECT_EQ(value->text(), "12S");
    EXPECT_EQ(settings->needsActionDelay(), 12.9) << "showing the view must not rewrite the delay";
    settings->setNeedsActionDelay(37);
    EXPECT_EQ(value->text(), "37S");

    struct Key {
        Qt::Key key;
        double delay;
    };
    settings->setNeedsActionDelay(12.9);
    const Key keys[] = {{Qt::Key_Right, 13}, {Qt::Key_Left, 12}, {Qt::Key_PageUp, 22}, {Qt::Key_End, 90},
                        {Qt::Key_Up, 90},    {Qt::Key_Home, 10}, {Qt::Key_Down, 10}};
    for (const auto& k : keys) {
        QTest::keyClick(slider, k.key);
        EXPECT_EQ(settings->needsActionDelay(), k.delay) << QTest::toString(k.key);
        EXPECT_EQ(value->text().toStdString(), std::to_string(int(k.delay)) + "S");
    }
}

TEST_F(SettingsViewTest, PositionChipsAndTheDraggedLabel) {
    settings->setPosition(IslandPosition::left);
    settings->setCustomSpot(GPoint{100, 40});
    show();
    auto* label = child<LineLabel>("positionLabel");
    EXPECT_EQ(label->text(), "POSITION (DRAGGED)");
    EXPECT_EQ(chipTexts("positionChip"), (std::vector<std::string>{"LEFT", "CENTER", "RIGHT"}));

    auto positionChips = chips("positionChip");
    ASSERT_EQ(positionChips.size(), 3u);
    EXPECT_EQ(positionChips[0]->size(), QSize(52, 19));
    QTest::mouseClick(positionChips[2], Qt::LeftButton);
    EXPECT_EQ(settings->position(), IslandPosition::right);
    EXPECT_EQ(settings->customSpot(), std::nullopt);
    EXPECT_EQ(settings->store()->value("customDX"), std::nullopt);
    EXPECT_EQ(settings->store()->stringValue("position"), "right");
    EXPECT_EQ(label->text(), "POSITION");
    EXPECT_EQ(chipTexts("positionChip"), (std::vector<std::string>{"LEFT", "CENTER", "RIGHT *"}));

    // Choosing the chip already selected also clears a spot dragged since.
    settings->setCustomSpot(GPoint{5, 5});
    QTest::keyClick(positionChips[2], Qt::Key_Space);
    EXPECT_EQ(settings->customSpot(), std::nullopt);
    EXPECT_EQ(chipTexts("positionChip"), (std::vector<std::string>{"LEFT", "CENTER", "RIGHT *"}));
}

TEST_F(SettingsViewTest, MonitorChipsWithAnUnpluggedPinnedDisplay) {
    settings->setDisplayKey("ext:9-9-9");
    settings->setDisplayName("LG UltraFine");
    settings->setCustomSpot(GPoint{300, 20});
    show();
    EXPECT_EQ(chipTexts("monitorChip"),
              (std::vector<std::string>{"AUTO — PRIMARY", "BUILT-IN DISPLAY", "DELL U2720Q",
                                        "LG ULTRAFINE [NOT CONNECTED] *"}));

    // Choosing the away display again keeps it pinned and keeps its name.
    QTest::mouseClick(chips("monitorChip")[3], Qt::LeftButton);
    EXPECT_EQ(settings->displayKey(), "ext:9-9-9");
    EXPECT_EQ(settings->displayName(), "LG UltraFine");

    // Choosing an attached display while the island is dragged re-pins it and drops the spot.
    settings->setCustomSpot(GPoint{300, 20});
    QTest::mouseClick(chips("monitorChip")[2], Qt::LeftButton);
    EXPECT_EQ(settings->displayKey(), "ext:1-2-3");
    EXPECT_EQ(settings->displayName(), "DELL U2720Q");
    EXPECT_EQ(settings->customSpot(), std::nullopt);
    EXPECT_EQ(chipTexts("monitorChip"),
              (std::vector<std::string>{"AUTO — PRIMARY", "BUILT-IN DISPLAY", "DELL U2720Q *"}));

    QTest::keyClick(chips("monitorChip")[0], Qt::Key_Space);
    EXPECT_EQ(settings->displayKey(), std::nullopt);
    EXPECT_EQ(settings->displayName(), std::nullopt);
    EXPECT_EQ(settings->store()->value("displayKey"), std::nullopt);
    EXPECT_EQ(chipTexts("monitorChip"), (std::vector<std::string>{"AUTO — PRIMARY *", "BUILT-IN DISPLAY", "DELL U2720Q"}));
}

TEST_F(SettingsViewTest, AutomaticChipForgetsAnAwayDisplay) {
    settings->setDisplayKey("ext:9-9-9");
    show();
    EXPECT_EQ(chipTexts("monitorChip").back(), "REMEMBERED DISPLAY [NOT CONNECTED] *");
    int before = view->sizeHint().height();
    QTest::mouseClick(chips("monitorChip")[0], Qt::LeftButton);
    EXPECT_EQ(settings->displayKey(), std::nullopt);
    EXPECT_EQ(chips("monitorChip").size(), 3u);
    EXPECT_LT(view->sizeHint().height(), before);
}

TEST_F(SettingsViewTest, OverriddenNamesNeverShowNotConnected) {
    Displays::nameOverride = std::vector<std::string>{"Studio Display", "Sidecar"};
    settings->setDisplayKey("ext:9-9-9");
    settings->setDisplayName("LG UltraFine");
    show();
    EXPECT_EQ(chipTexts("monitorChip"), (std::vector<std::string>{"AUTO — PRIMARY", "STUDIO DISPLAY", "SIDECAR"}));
}

TEST_F(SettingsViewTest, MonitorListFollowsTheAttachedDisplays) {
    settings->setDisplayKey("ext:1-2-4");
    settings->setDisplayName("Second Dell");
    show();
    ASSERT_EQ(chipTexts("monitorChip").back(), "SECOND DELL [NOT CONNECTED] *");
    displays->list.push_back(screen("DP-2", "DELL U2720Q", 3840, false, 4));
    view->refreshMonitors();
    EXPECT_EQ(chipTexts("monitorChip"),
              (std::vector<std::string>{"AUTO — PRIMARY", "BUILT-IN DISPLAY", "DELL U2720Q", "DELL U2720Q *"}));
    displays->list.clear();
    view->refreshMonitors();
    EXPECT_EQ(chipTexts("monitorChip"),
              (std::vector<std::string>{"AUTO — PRIMARY", "SECOND DELL [NOT CONNECTED] *"}));
}

TEST_F(SettingsViewTest, LoginSwitchWritesTheAutostartEntryAndExplainsItsState) {
    show();
    auto* login = child<VortanToggle>("loginItem");
    EXPECT_FALSE(login->isChecked());
    EXPECT_EQ(text("loginStatus"), "OFF BY DEFAULT. THE APP NEVER ADDS ITSELF — SWITCH THIS ON IF YOU WANT IT.");

    QTest::mouseClick(login, Qt::LeftButton);
    EXPECT_TRUE(fs::exists(autostartEntry()));
    EXPECT_TRUE(login->isChecked());
    EXPECT_EQ(text("loginStatus"), "ON — TAKES EFFECT AT YOUR NEXT LOGIN. TURN IT OFF HERE TO REMOVE IT.");
    EXPECT_TRUE(child<TextBlock>("loginError")->isHidden());

    // Another copy registered itself meanwhile: shown the next time the window opens.
    tmp.write(".config/autostart/io.fraymark.Fraymark.desktop", "[Desktop Entry]\nExec=\"/opt/old copy/fraymark\"\n");
    view->hide();
    view->show();
    EXPECT_EQ(text("loginStatus"),
              "ON, BUT POINTING AT A DIFFERENT COPY: /opt/old copy/fraymark. TOGGLE OFF AND ON TO RE-AIM IT.");

    QTest::keyClick(login, Qt::Key_Space);
    EXPECT_FALSE(fs::exists(autostartEntry()));
    EXPECT_FALSE(login->isChecked());
    EXPECT_FALSE(view->loginItem());
}

TEST_F(SettingsViewTest, LoginFailuresAreShownWithTheTrueState) {
    show();
    auto* login = child<VortanToggle>("loginItem");
    auto* error = child<TextBlock>("loginError");
    int heightBefore = view->sizeHint().height();

    tmp.write(".config/autostart", "a file where the folder should be");
    QTest::mouseClick(login, Qt::LeftButton);
    EXPECT_FALSE(login->isChecked());
    EXPECT_FALSE(view->loginItem());
    EXPECT_FALSE(error->isHidden());
    EXPECT_EQ(error->text().toStdString(),
              "Couldn't update login item: Can't create folder " + tmp.str() + "/.config/autostart: Not a directory");
    EXPECT_EQ(error->color(), Vortan::rageRed());
    EXPECT_GT(view->sizeHint().height(), heightBefore);
    EXPECT_EQ(text("loginStatus"), "OFF BY DEFAULT. THE APP NEVER ADDS ITSELF — SWITCH THIS ON IF YOU WANT IT.");

    fs::remove(tmp / ".config/autostart");
    platform().paths.executable.clear();
    QTest::mouseClick(login, Qt::LeftButton);
    EXPECT_EQ(error->text(), "Couldn't update login item: Can't locate the app's executable.");

    platform().paths.executable = "/usr/local/bin/fraymark";
    QTest::mouseClick(login, Qt::LeftButton);
    EXPECT_TRUE(login->isChecked());
    EXPECT_TRUE(error->isHidden()) << "a success clears the earlier error";
    EXPECT_EQ(view->sizeHint().height(), heightBefore);
}

TEST_F(SettingsViewTest, PreciseFocusAsksForAccessOnlyWhenSwitchedOn) {
    show();
    auto* precise = child<VortanToggle>("preciseFocus");
    auto* status = child<TextBlock>("preciseStatus");
    EXPECT_EQ(status->text().toStdString().rfind("OFF BY DEFAULT. ON, A ROW CLICK", 0), 0u);
    EXPECT_EQ(status->color(), Vortan::dimText());
    EXPECT_EQ(access->requests, 0);

    QTest::mouseClick(precise, Qt::LeftButton);
    EXPECT_TRUE(settings->preciseFocus());
    EXPECT_EQ(access->requests, 1);
    EXPECT_EQ(status->text().toStdString(),
              "ON, BUT WAITING FOR ACCESS: ENABLE FRAYMARK IN SYSTEM SETTINGS → PRIVACY & SECURITY → ACCESSIBILITY.");
    EXPECT_EQ(status->color(), Vortan::rageRed());

    QTest::mouseClick(precise, Qt::LeftButton);
    EXPECT_FALSE(settings->preciseFocus());
    EXPECT_EQ(access->requests, 1) << "switching off never prompts";

    access->trusted = true;
    QTest::mouseClick(precise, Qt::LeftButton);
    EXPECT_EQ(access->requests, 2);
    EXPECT_EQ(status->text(), "ON — ACCESS GRANTED. CLICKING A FIGHTER JUMPS TO ITS SESSION IN CLAUDE.");
    EXPECT_EQ(status->color(), Vortan::dimText());
}

TEST_F(SettingsViewTest, GrantedAccessShowsWithinARefreshWhileOpenOnly) {
    settings->setPreciseFocus(true);
    show();
    auto* status = child<TextBlock>("preciseStatus");
    ASSERT_FALSE(view->accessGranted());

    // Hidden: the timer is stopped and nothing is polled.
    view->hide();
    access->trusted = true;
    QTest::qWait(SettingsView::accessRefreshMs + 300);
    EXPECT_FALSE(view->accessGranted());

    // Shown: read at once; revoked access is noticed by the next tick.
    view->show();
    EXPECT_TRUE(view->accessGranted());
    access->trusted = false;
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view->accessGranted(); }, 3000));
    EXPECT_LE(clock.elapsed(), SettingsView::accessRefreshMs + 400);
    EXPECT_EQ(status->color(), Vortan::rageRed());
}

TEST_F(SettingsViewTest, EscapeAndTheFooterButtons) {
    show();
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_EQ(closes, 1);
    // From inside a control the key reaches the view too.
    QTest::keyClick(child<VortanToggle>("soundKO"), Qt::Key_Escape);
    EXPECT_EQ(closes, 2);
    EXPECT_TRUE(settings->soundKO()) << "Escape must not flip the focused switch";

    auto* close = child<VortanButton>("close");
    EXPECT_TRUE(close->style().prominent);
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_EQ(closes, 3);
    QTest::keyClick(close, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return closes == 4; }, 1000));

    auto* quit = child<VortanButton>("quit");
    EXPECT_TRUE(quit->style().danger);
    EXPECT_EQ(quits, 0);
    QTest::keyClick(quit, Qt::Key_Space);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(closes, 4);
}

TEST_F(SettingsViewTest, SessionsFolderOpensOrSaysWhyNot) {
    show();
    auto* folder = child<VortanButton>("sessionsFolder");
    auto* error = child<TextBlock>("actionError");
    const std::string path = tmp.str() + "/.claude/projects";

    QTest::mouseClick(folder, Qt::LeftButton);
    EXPECT_TRUE(work->opened.empty());
    EXPECT_FALSE(error->isHidden());
    EXPECT_NE(error->text().toStdString().find(path), std::string::npos);

    tmp.mkdir(".claude/projects");
    QTest::mouseClick(folder, Qt::LeftButton);
    EXPECT_EQ(work->opened, std::vector<std::string>{path});
    EXPECT_TRUE(error->isHidden());
}

TEST_F(SettingsViewTest, TabReachesEveryControlInOrder) {
    show();
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    QWidget* first = child<VortanToggle>("soundNeedsAction");
    first->setFocus(Qt::TabFocusReason);
    std::vector<std::string> order;
    for (int i = 0; i < 30; ++i) {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        if (i > 0 && w == first) break;
        order.push_back(w->objectName().toStdString());
        QTest::keyClick(w, Qt::Key_Tab);
    }
    const std::vector<std::string> expected = {
        "soundNeedsAction", "soundKO", "overlapMenuBar", "showOverFullscreen", "showCompleted",
        "positionChip", "positionChip", "positionChip", "monitorChip", "monitorChip", "monitorChip",
        "delaySlider", "loginItem", "preciseFocus", "sessionsFolder", "quit", "close"};
    EXPECT_EQ(order, expected);
}

TEST_F(SettingsViewTest, RendersOffscreenAtTwiceTheSize) {
    view = std::make_unique<SettingsView>(*settings, [] {}, [] {});
    QSize hint = view->sizeHint();
    EXPECT_EQ(hint.width(), 384);
    EXPECT_GT(hint.height(), 500);
    view->resize(hint);
    QImage img = fray::test::renderWidget(*view, 2); // never shown, as the preview renderer draws it
    ASSERT_EQ(img.size(), hint * 2);

    // Transparent outside the rounded plate, opaque plate inside, a gold rim on the edge.
    EXPECT_EQ(fray::test::pixelAt(img, {1, 1}).alpha(), 0);
    EXPECT_EQ(fray::test::pixelAt(img, {382.5, hint.height() - 1.5}).alpha(), 0);
    QColor plate = fray::test::pixelAt(img, {192, hint.height() / 2.0 + 3});
    EXPECT_EQ(plate.alpha(), 255);
    EXPECT_LT(plate.lightness(), 60);
    QColor rim = fray::test::pixelAt(img, {192, 0.75});
    EXPECT_GT(rim.red(), rim.blue() + 60) << "the top edge is gold";

    // The prominent CLOSE button is gold, the QUIT button red.
    auto centreOf = [&](const char* name) {
        auto* w = child<QWidget>(name);
        return QPointF(w->mapTo(view.get(), w->rect().center())) + QPointF(0.5, 0.5);
    };
    QColor close = fray::test::pixelAt(img, centreOf("close") + QPointF(-16, 6));
    EXPECT_GT(close.red(), 200);
    EXPECT_GT(close.green(), 140);
    EXPECT_LT(close.blue(), 120);
    QColor quit = fray::test::pixelAt(img, centreOf("quit") + QPointF(-14, 6));
    EXPECT_GT(quit.red(), 180);
    EXPECT_LT(quit.green(), 90);
}
