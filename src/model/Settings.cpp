#include "Settings.h"

#include "session/Tuning.h"

namespace fray {

namespace {
// The store's boolean reading: a boolean as itself, a number as non-zero, else false.
bool boolReading(const PreferencesStore& s, const std::string& key) {
    auto v = s.value(key);
    if (!v) return false;
    if (auto b = std::get_if<bool>(&*v)) return *b;
    if (auto d = std::get_if<double>(&*v)) return *d != 0;
    return false;
}
} // namespace

Settings::Settings(std::shared_ptr<PreferencesStore> store, PrimaryFrame primaryFrame)
    : store_(std::move(store)) {
    load(primaryFrame);
}

void Settings::load(const PrimaryFrame& primaryFrame) {
    auto& d = *store_;
    auto legacy = d.boolValue("soundsEnabled");
    soundNeedsAction_ = d.boolValue("soundNeedsAction").value_or(legacy.value_or(true));
    soundKO_ = d.boolValue("soundKO").value_or(legacy.value_or(true));
    notifyNeedsAction_ = d.boolValue("notifyNeedsAction").value_or(true);
    notifyCompleted_ = d.boolValue("notifyCompleted").value_or(false);
    showOverFullscreen_ = d.boolValue("showOverFullscreen").value_or(true);
    showCompleted_ = d.boolValue("showCompleted").value_or(true);
    position_ =
        islandPositionFromRaw(d.stringValue("position").value_or("")).value_or(IslandPosition::center);
    // A stored delay that is not a sane number of seconds counts as missing.
    needsActionDelay_ = Tuning::needsActionDelayFrom(d.doubleValue("needsActionDelay"));
    collapsed_ = boolReading(d, "collapsed");
    overlapMenuBar_ = d.boolValue("overlapMenuBar").value_or(true);
    preciseFocus_ = boolReading(d, "preciseFocus");
    displayKey_ = d.stringValue("displayKey");
    displayName_ = d.stringValue("displayName");

    auto dx = d.doubleValue("customDX"), dy = d.doubleValue("customDY");
    if (dx && dy) {
        customSpot_ = GPoint{*dx, *dy};
        return;
    }
    auto ox = d.doubleValue("customX"), oy = d.doubleValue("customY");
    if (!ox || !oy || !primaryFrame) return;
    auto frame = primaryFrame();
    if (!frame) return;
    d.remove("customX");
    d.remove("customY");
    GRect grown = frame->insetBy(-40, -40);
    if (*ox >= grown.left() && *ox <= grown.right() && *oy >= grown.bottom() && *oy <= grown.top()) {
        customSpot_ = GPoint{*ox - frame->left(), frame->top() - *oy};
        d.set("customDX", customSpot_->x);
        d.set("customDY", customSpot_->y);
    }
}

#define FRAY_BOOL_SETTER(Setter, field, key, signal)                                                         \
    void Settings::Setter(bool v) {                                                                          \
        field = v;                                                                                           \
        store_->set(key, v);                                                                                 \
        emit signal(v);                                                                                      \
        emit changed();                                                                                      \
    }

FRAY_BOOL_SETTER(setSoundNeedsAction, soundNeedsAction_, "soundNeedsAction", soundNeedsActionChanged)
FRAY_BOOL_SETTER(setSoundKO, soundKO_, "soundKO", soundKOChanged)
FRAY_BOOL_SETTER(setNotifyNeedsAction, notifyNeedsAction_, "notifyNeedsAction", notifyNeedsActionChanged)
FRAY_BOOL_SETTER(setNotifyCompleted, notifyCompleted_, "notifyCompleted", notifyCompletedChanged)
FRAY_BOOL_SETTER(setShowOverFullscreen, showOverFullscreen_, "showOverFullscreen", showOverFullscreenChanged)
FRAY_BOOL_SETTER(setShowCompleted, showCompleted_, "showCompleted", showCompletedChanged)
FRAY_BOOL_SETTER(setCollapsed, collapsed_, "collapsed", collapsedChanged)
FRAY_BOOL_SETTER(setOverlapMenuBar, overlapMenuBar_, "overlapMenuBar", overlapMenuBarChanged)
FRAY_BOOL_SETTER(setPreciseFocus, preciseFocus_, "preciseFocus", preciseFocusChanged)
#undef FRAY_BOOL_SETTER

void Settings::setPosition(IslandPosition v) {
    position_ = v;
    store_->set("position", std::string(rawValue(v)));
    emit positionChanged(v);
    emit changed();
}

void Settings::setNeedsActionDelay(double v) {
    needsActionDelay_ = v;
    store_->set("needsActionDelay", v);
    emit needsActionDelayChanged(v);
    emit changed();
}

void Settings::setDisplayKey(std::optional<std::string> v) {
    displayKey_ = std::move(v);
    if (displayKey_)
        store_->set("displayKey", *displayKey_);
    else
        store_->remove("displayKey");
    emit displayKeyChanged();
    emit changed();
}

void Settings::setDisplayName(std::optional<std::string> v) {
    displayName_ = std::move(v);
    if (displayName_)
        store_->set("displayName", *displayName_);
    else
        store_->remove("displayName");
    emit displayNameChanged();
    emit changed();
}

void Settings::setCustomSpot(std::optional<GPoint> v) {
    customSpot_ = v;
    if (v) {
        store_->set("customDX", v->x);
        store_->set("customDY", v->y);
    } else {
        store_->remove("customDX");
        store_->remove("customDY");
    }
    emit customSpotChanged();
    emit changed();
}

} // namespace fray
