#include "cli/CliOptions.h"

#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

bool ParseInt(const std::string& text, int& value) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < -1000000 || v > 1000000)
        return false;
    value = static_cast<int>(v);
    return true;
}

bool ParseList(const std::string& text, std::vector<int>& values) {
    std::stringstream in(text);
    std::string item;
    values.clear();
    while (std::getline(in, item, ',')) {
        int v;
        if (!ParseInt(item, v))
            return false;
        values.push_back(v);
    }
    return !values.empty();
}

} // namespace

const char* CliOptions::Usage() {
    return "usage: sonvale-cli play FILE [options]\n"
           "       sonvale-cli decode FILE -o OUT.wav [options]\n"
           "       sonvale-cli info FILE\n"
           "       sonvale-cli lyrics FILE [--download]\n"
           "options:\n"
           "  --eq L0,...,L9        equalizer band levels 0..63 (31 = flat, 0 = +20 dB); turns it "
           "on\n"
           "  --preamp L            equalizer preamp level 0..63; turns the equalizer on\n"
           "  --surround RATE       surround 1..100\n"
           "  --chorus LEVEL        3D chorus 1..100\n"
           "  --bass LEVEL          bass boost 0..20\n"
           "  --echo MS,RATE        echo delay and level in percent\n"
           "  --reverb MS,RATE      reverb delay and level in percent\n"
           "  --remove-zero-samples cut leading and trailing silence\n"
           "  --fade-in             fade in after a seek\n"
           "  --always-open-device  keep the device open between tracks (play only)\n"
           "  --scan                measure MPEG files exactly by scanning every frame (info "
           "does)\n"
           "  --download            lyrics: a track without them gets them from the lyrics "
           "services\n"
           "  --buffer MS           output buffer length (default 1000)\n"
           "  --prebuffer PERCENT   prebuffer before playing starts (default 10)\n"
           "keys while playing: space pause, left/right seek 5 s, q quit\n";
}

CliOptions CliOptions::Parse(int argc, char** argv) {
    CliOptions o;
    o.player.outputBufferLen = 1000;
    o.player.outputPrebuffer = 10;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() < 2) {
        o.error = "missing command or file";
        return o;
    }
    o.command = args[0];
    o.file = args[1];
    if (o.command != "play" && o.command != "decode" && o.command != "info" &&
        o.command != "lyrics") {
        o.error = "unknown command '" + o.command + "'";
        return o;
    }
    auto equalizer = [&o]() -> EqualizerParams& {
        if (!o.equalizer)
            o.equalizer = EqualizerParams();
        o.equalizer->enabled = 1;
        return *o.equalizer;
    };
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        const std::string value = hasValue ? args[i + 1] : "";
        std::vector<int> list;
        int n = 0;
        if (a == "-o" && hasValue) {
            o.output = value;
        } else if (a == "--eq" && hasValue && ParseList(value, list) && list.size() == 10) {
            for (int b = 0; b < 10; ++b)
                equalizer().bands[b] = list[b];
        } else if (a == "--preamp" && hasValue && ParseInt(value, n)) {
            equalizer().preamp = n;
        } else if (a == "--surround" && hasValue && ParseInt(value, n)) {
            o.surround = EffectParams{1, 0, n};
        } else if (a == "--chorus" && hasValue && ParseInt(value, n)) {
            o.chorus = EffectParams{1, 0, n};
        } else if (a == "--bass" && hasValue && ParseInt(value, n)) {
            o.bassBoost = n;
        } else if ((a == "--echo" || a == "--reverb") && hasValue && ParseList(value, list) &&
                   list.size() == 2) {
            (a == "--echo" ? o.echo : o.reverb) = EffectParams{1, list[0], list[1]};
        } else if (a == "--buffer" && hasValue && ParseInt(value, n)) {
            o.player.outputBufferLen = n;
        } else if (a == "--prebuffer" && hasValue && ParseInt(value, n)) {
            o.player.outputPrebuffer = n;
        } else if (a == "--remove-zero-samples") {
            o.player.removeZeroSample = 1;
            continue;
        } else if (a == "--fade-in") {
            o.player.fadeIn = 1;
            continue;
        } else if (a == "--always-open-device") {
            o.player.alwaysOpenDevice = 1;
            continue;
        } else if (a == "--download" && o.command == "lyrics") {
            o.download = true;
            continue;
        } else if (a == "--scan") {
            o.player.scanMpegCompletely = 1;
            continue;
        } else {
            o.error = "bad option '" + a + "'";
            return o;
        }
        ++i; // the option's value
    }
    if (o.command == "decode" && o.output.empty())
        o.error = "decode needs -o OUT.wav";
    return o;
}
