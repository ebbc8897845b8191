#include "playback/MediaPlayerModule.h"

#include "platform/PrivateModule.h"

#include <dlfcn.h>

#include <cstdio>

MediaPlayerModule::MediaPlayerModule(MessageSink& view) : m_view(view) {}

MediaPlayerModule::~MediaPlayerModule() = default;

bool MediaPlayerModule::Ready() {
    if (!m_loadTried) {
        m_loadTried = true;
        using Create = MediaPlayerBackend* (*)(MessageSink*);
        void* module = PrivateModule::Open(kGstModuleFile);
        auto* create = module ? reinterpret_cast<Create>(dlsym(module, kGstModuleEntry)) : nullptr;
        if (create)
            m_player.reset(create(&m_view));
        else
            std::fprintf(stderr,
                         "sonvale: %s cannot be loaded; Windows Media plays in the engine\n",
                         kGstModuleFile);
    }
    return m_player && m_player->Ready();
}

bool MediaPlayerModule::Open(const std::u16string& path) {
    return m_player && m_player->Open(path);
}

void MediaPlayerModule::Play() {
    if (m_player)
        m_player->Play();
}

void MediaPlayerModule::Pause() {
    if (m_player)
        m_player->Pause();
}

void MediaPlayerModule::Stop() {
    if (m_player)
        m_player->Stop();
}

int32_t MediaPlayerModule::Position() {
    return m_player ? m_player->Position() : 0;
}

int32_t MediaPlayerModule::Duration() {
    return m_player ? m_player->Duration() : 0;
}

void MediaPlayerModule::Seek(int32_t ms) {
    if (m_player)
        m_player->Seek(ms);
}

void MediaPlayerModule::SetVolume(uint32_t volume) {
    if (m_player)
        m_player->SetVolume(volume);
}

bool MediaPlayerModule::CurrentNotice(intptr_t tag) const {
    return m_player && m_player->CurrentNotice(tag);
}
