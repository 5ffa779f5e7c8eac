#include "LinuxSounds.h"

#include <QCoreApplication>
#include <QFile>
#include <QSoundEffect>
#include <QString>
#include <QUrl>

#include <canberra.h>

namespace fray {

namespace {
QString resourcePath(const std::string& name) {
    return ":/sounds/" + QString::fromStdString(name) + ".wav";
}
} // namespace

LinuxSounds::LinuxSounds() = default;

LinuxSounds::~LinuxSounds() {
    for (auto& [name, fx] : effects_)
        delete fx.data();
    if (canberra_) ca_context_destroy(canberra_);
}

bool LinuxSounds::hasCue(const std::string& name) {
    return QFile::exists(resourcePath(name));
}

QSoundEffect* LinuxSounds::effect(const std::string& name) {
    auto it = effects_.find(name);
    if (it != effects_.end()) return it->second.data(); // null once the application is gone
    if (!hasCue(name) || !QCoreApplication::instance()) return nullptr;
    auto* fx = new QSoundEffect(QCoreApplication::instance());
    fx->setSource(QUrl("qrc" + resourcePath(name)));
    effects_[name] = fx;
    return fx;
}

void LinuxSounds::playCue(const std::string& name) {
    if (QSoundEffect* fx = effect(name)) {
        fx->stop(); // rewind a cue that is still playing
        fx->play();
    }
}

const char* LinuxSounds::themeEventFor(const std::string& systemName) {
    if (systemName == "Sosumi") return "message-new-instant";
    if (systemName == "Hero") return "complete";
    if (systemName == "Basso") return "dialog-error";
    return nullptr;
}

bool LinuxSounds::playSystemSound(const std::string& name) {
    const char* event = themeEventFor(name);
    if (!event) return false;
    if (!canberraTried_) {
        canberraTried_ = true;
        if (ca_context_create(&canberra_) != CA_SUCCESS) canberra_ = nullptr;
    }
    if (!canberra_) return false;
    return ca_context_play(canberra_, 0, CA_PROP_EVENT_ID, event, nullptr) == CA_SUCCESS;
}

} // namespace fray
