#include "platform/ToneMixer.h"

#include <alsa/asoundlib.h>

#include <mutex>

namespace {

void Quiet(const char*, int, const char*, int, const char*, ...) {}

const char* const kNames[] = {"3D", "Treble", "Bass"};

snd_mixer_elem_t* Find(snd_mixer_t* mixer, const char* name) {
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    snd_mixer_selem_id_set_index(id, 0);
    snd_mixer_selem_id_set_name(id, name);
    return snd_mixer_find_selem(mixer, id);
}

} // namespace

struct ToneMixer::Handle {
    snd_mixer_t* mixer = nullptr;
    ~Handle() {
        if (mixer)
            snd_mixer_close(mixer);
    }
};

ToneMixer::ToneMixer(const std::string& card) : m_handle(std::make_unique<Handle>()) {
    // A missing card makes the library complain on stderr; the result codes say enough.
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(&Quiet); });
    if (snd_mixer_open(&m_handle->mixer, 0) < 0) {
        m_handle->mixer = nullptr;
        return;
    }
    snd_mixer_t* mixer = m_handle->mixer;
    if (snd_mixer_attach(mixer, card.c_str()) < 0 ||
        snd_mixer_selem_register(mixer, nullptr, nullptr) < 0 || snd_mixer_load(mixer) < 0)
        return;
    for (const char* name : kNames) {
        snd_mixer_elem_t* element = Find(mixer, name);
        if (!element || !snd_mixer_selem_has_playback_volume(element))
            continue;
        Control control;
        control.name = name;
        snd_mixer_selem_get_playback_volume_range(element, &control.minimum, &control.maximum);
        snd_mixer_selem_get_playback_volume(element, SND_MIXER_SCHN_FRONT_LEFT, &control.value);
        if (control.maximum > control.minimum)
            m_controls.push_back(control);
    }
}

ToneMixer::~ToneMixer() = default;

bool ToneMixer::Set(const std::string& name, long value) {
    snd_mixer_elem_t* element = m_handle->mixer ? Find(m_handle->mixer, name.c_str()) : nullptr;
    return element && snd_mixer_selem_set_playback_volume_all(element, value) >= 0;
}
