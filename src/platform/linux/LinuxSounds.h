#pragma once

#include "platform/SoundOutput.h"

#include <map>
#include <memory>

#include <QPointer>

class QSoundEffect;
struct ca_context;

namespace fray {

// Cues from the compiled-in resources through Qt Multimedia; system sounds through the
// freedesktop sound theme (libcanberra). Silent, never failing, without an audio server.
class LinuxSounds : public SoundOutput {
  public:
    LinuxSounds();
    ~LinuxSounds() override;

    bool hasCue(const std::string& name) override;
    void playCue(const std::string& name) override;
    bool playSystemSound(const std::string& name) override;

    // The freedesktop sound-theme event standing in for a named system sound.
    static const char* themeEventFor(const std::string& systemName);

  private:
    QSoundEffect* effect(const std::string& name);

    // Owned by the application object, so they go before Qt Multimedia shuts down.
    std::map<std::string, QPointer<QSoundEffect>> effects_;
    ca_context* canberra_ = nullptr;
    bool canberraTried_ = false;
};

} // namespace fray
