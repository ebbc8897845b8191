#pragma once

#include "playback/EffectControls.h"

class Player;

// The built-in engine's effects through its interface.
class EngineEffectControls : public EffectControls {
public:
    explicit EngineEffectControls(Player* player) : m_player(player) {}

    EffectParams Effect(EffectKind kind) override;
    void SetEffect(EffectKind kind, const EffectParams& params) override;
    int32_t BassBoost() override;
    void SetBassBoost(int32_t level) override;
    Preamp GetPreamp() override;
    void SetPreamp(const Preamp& preamp) override;
    EqualizerParams Equalizer() override;
    void SetEqualizer(const EqualizerParams& equalizer) override;

private:
    Player* m_player;
};
