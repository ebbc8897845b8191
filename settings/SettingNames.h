#pragma once

#include <cstdint>

// Every value the player keeps in the registry, with its type and the default of its read site.
// Values live under HKEY_CURRENT_USER\Software\Quillmarsh\SonvaleVGA; a value that is missing
// reads as the default. Booleans are 1 = on, 0 = off; where a value is tested for equality with
// 1, any other number counts as off.

struct NumberSetting {
    const char16_t* name;
    int32_t defaultValue;
};

struct TextSetting {
    const char16_t* name;
    const char16_t* defaultValue;
};

namespace setting {

// The profile: registry key word and profile name set at start-up.
inline constexpr const char16_t* kRegistryKeyWord = u"Quillmarsh";
inline constexpr const char16_t* kProfileName = u"SonvaleVGA";

// Sections (sub-keys of the application key). The empty section is the key itself.
inline constexpr const char16_t* kSettings = u"Settings";
inline constexpr const char16_t* kKeySection = u"Settings\\Key";
// The desktop's default opener of each MIME type from before the player took it.
inline constexpr const char16_t* kFileAssociationSection = u"Settings\\FileAssociations";
inline constexpr const char16_t* kPresetSection = u"Settings\\Presets";
inline constexpr const char16_t* kShoutCastSection = u"ShoutCast";
inline constexpr const char16_t* kRootSection = u"";

// Directly under the application key: full path of the executable registered for wake-up.
inline constexpr TextSetting kModulePath{u"MudulePath", u""};

// Playback, start-up and volume.
inline constexpr NumberSetting kVolume{u"Volume", 50};
inline constexpr NumberSetting kVolumeRange{u"VolumeRange", 100};
inline constexpr int32_t kVolumeRangeMin = 10;
inline constexpr int32_t kVolumeRangeMax = 100;
// Default: the wave-out volume found at view creation (a 32-bit volume word).
inline constexpr const char16_t* kSystemVolume = u"SystemVolume";
inline constexpr NumberSetting kUseSystemVolume{u"UseSystemVolume", 1};
inline constexpr TextSetting kLastPath{u"LastPath", u"\\"};
inline constexpr NumberSetting kShuffle{u"Shuffle", 0};
inline constexpr NumberSetting kRepeat{u"Repeat", 1};
inline constexpr NumberSetting kRepeatType{u"RepeatType", 2};     // 0 None, 1 One, 2 All
inline constexpr NumberSetting kSeekInterval{u"SeekInterval", 5}; // seconds, 1 .. 20
inline constexpr NumberSetting kPlayOnStart{u"PlayOnStart", 1};
inline constexpr NumberSetting kSaveDefList{u"SaveDefList", 1};
// Set once the demo track was offered on a first start with nothing to play.
inline constexpr NumberSetting kDemoPlayed{u"DemoPlayed", 0};
inline constexpr NumberSetting kResume{u"Resume", 1};
inline constexpr TextSetting kCurPlayFilePath{u"CurPlayFilePath", u""};
inline constexpr NumberSetting kCurPlayPos{u"CurPlayPos", 0};
inline constexpr NumberSetting kCurIndex{u"CurIndex", 0};
inline constexpr NumberSetting kAlwaysOnTop{u"AlwaysOnTop", 0};
inline constexpr NumberSetting kButtonMode{u"ButtonMode", 1}; // 1 shuffle/repeat, else speed/A-B
// How much larger the player is drawn, in percent: 100, 150 or 200 (anything else reads as 100).
inline constexpr NumberSetting kZoom{u"Zoom", 100};
inline constexpr NumberSetting kEnableFavorites{u"EnableFavorites", 0};
inline constexpr NumberSetting kOpenFolderAtStartup{u"OpenFolderAtStartup", 0};
inline constexpr TextSetting kOpenFolderName{u"OpenFolderName", u""};
inline constexpr NumberSetting kOpenSubFolder{u"OpenSubFolder", 0};
// Default: the system language. Read only when the system language is Korean.
inline constexpr const char16_t* kLangID = u"LangID";
inline constexpr int32_t kLangKorean = 1042;

// Decoding and engines.
inline constexpr NumberSetting kUseDefaultDecoder{u"UseDefaultDecoder", 1};
inline constexpr NumberSetting kDecoderRestart{u"DecoderRestart", 1};
inline constexpr NumberSetting kMixRate{u"MixRate", 44100};
inline constexpr NumberSetting kMixingBufferSize{u"MixingBufferSize", 200};
inline constexpr NumberSetting kStreamBufferSize{u"StreamBufferSize", 1000};
inline constexpr NumberSetting kFadeIn{u"FadeIn", 0};
inline constexpr NumberSetting kScanMpegCompletely{u"ScanMpegCompletely", 0};
inline constexpr NumberSetting kRemoveZeroSample{u"RemoveZeroSample", 0};
inline constexpr NumberSetting kAlwaysOpenDevice{u"AlwaysOpenDevice", 1};
inline constexpr NumberSetting kOutputBufferLen{u"OutputBufferLen", 1000};
inline constexpr NumberSetting kOutputPrebuffer{u"OutputPrebuffer", 10};
inline constexpr NumberSetting kStreamingBufferSize{u"StreamingBufferSize", 64};
inline constexpr NumberSetting kStreamingPreBufferSize{u"StreamingPreBufferSize", 32};
inline constexpr NumberSetting kUseProxy{u"UseProxy", 0};
inline constexpr TextSetting kProxyServer{u"ProxyServer", u""}; // read only when UseProxy is 1
inline constexpr NumberSetting kVBRMpegAccurate{u"VBRMpegAccurate", 1};
inline constexpr NumberSetting kDisplayVBRMP3Msg{u"DisplayVBRMP3Msg", 1};

// Sound effects: read at audio start-up, written when the audio shuts down.
inline constexpr NumberSetting kBaseBoostStatus{u"BaseBoostStatus", 0};
inline constexpr NumberSetting kBaseBoostValue{u"BaseBoostValue", 0};
inline constexpr NumberSetting kSurroundStatus{u"SurroundStatus", 0};
inline constexpr NumberSetting kSurroundValue{u"SurroundValue", 10};
inline constexpr NumberSetting k3DChorusStatus{u"3DChorusStatus", 0};
inline constexpr NumberSetting k3DChorusValue{u"3DChorusValue", 10};
inline constexpr NumberSetting kAmplifyStatus{u"AmplifyStatus", 0};
inline constexpr NumberSetting kAmplifyRate{u"AmplifyRate", 10};
inline constexpr NumberSetting kEqStatus{u"EqStatus", 0};
inline constexpr const char16_t* kEqRate[10] = {u"EqRate0", u"EqRate1", u"EqRate2", u"EqRate3",
                                                u"EqRate4", u"EqRate5", u"EqRate6", u"EqRate7",
                                                u"EqRate8", u"EqRate9"};
inline constexpr int32_t kEqRateDefault = 31;
inline constexpr NumberSetting kReverbStatus{u"ReverbStatus", 0};
inline constexpr NumberSetting kReverbDelay{u"ReverbDelay", 100};
inline constexpr NumberSetting kReverbRate{u"ReverbRate", 20};
inline constexpr NumberSetting kEchoStatus{u"EchoStatus", 0};
inline constexpr NumberSetting kEchoDelay{u"EchoDelay", 100};
inline constexpr NumberSetting kEchoRate{u"EchoRate", 20};

// Display, lyrics and skin.
inline constexpr TextSetting kSkinFile{u"SkinFile", u""}; // empty: the built-in skin
// On: a title wider than the LCD scrolls, so it can be read whole (the CPU profile dialog still
// switches it off).
inline constexpr NumberSetting kScrollMsg{u"ScrollMsg", 1};
inline constexpr NumberSetting kUseSpectrum{u"UseSpectrum", 1};
inline constexpr NumberSetting kStopSpectrum{u"StopSpectrum", 1};
inline constexpr NumberSetting kUpdateInterval{u"UpdateInterval", 8};
inline constexpr int32_t kUpdateIntervalMeterDefault = 6; // the meter window's read site
inline constexpr NumberSetting kSpectrumRange{u"SpectrumRange", 9};
inline constexpr NumberSetting kDispState{u"DispState", 11};
inline constexpr NumberSetting kVUMeter{u"VUMeter", 1};
inline constexpr NumberSetting kTimeDisplay{u"TimeDisplay", 1};
inline constexpr NumberSetting kDispID3{u"DispID3", 1};
inline constexpr NumberSetting kDispID3PL{u"DispID3PL", 1};
inline constexpr NumberSetting kDispArtist{u"DispArtist", 0};
inline constexpr NumberSetting kUseLyricsDisplay{u"UseLyricsDisplay", 1};
inline constexpr NumberSetting kTwoLineLyrics{u"TwoLineLyrics", 0};
inline constexpr NumberSetting kReturnLine{u"ReturnLine", 1};
inline constexpr NumberSetting kSeekLyricsTime{u"SeekLyricsTime", 0};
inline constexpr NumberSetting kKeepLyricsSync{u"KeepLyricsSync", 0};
inline constexpr NumberSetting kLyricsSync{u"LyricsSync", 0}; // only while KeepLyricsSync is 1
inline constexpr NumberSetting kDisplayLyricsIcon{u"DisplayLyricsIcon", 1};
inline constexpr NumberSetting kDisplayLyricsPos{u"DisplayLyricsPos", 1};
inline constexpr NumberSetting kUseLDBLyrics{u"UseLDBLyrics", 0};
inline constexpr NumberSetting kLyricsTextColor{u"LyricsTextColor", 0xFFFFFF};
inline constexpr NumberSetting kLyricsBackColor{u"LyricsBackColor", 0x5C2E2E};
inline constexpr NumberSetting kAppendSecondLine{u"AppendSecondLine", 1};
inline constexpr NumberSetting kAppendThirdLine{u"AppendThirdLine", 1};
// The lyrics web service: a host name, optionally with ":port" (the default HTTP port otherwise).
inline constexpr TextSetting kLyricsServer{u"LyricsServer", u"lyrics.alsong.co.kr"};
// The LRCLIB lyrics service: its base address (scheme, host and optional port).
inline constexpr TextSetting kLrclibServer{u"LrclibServer", u"https://lrclib.net"};
// The lyrics services a download asks, in order, separated by commas: "soap" (the service of
// LyricsServer) and "lrclib".
inline constexpr TextSetting kLyricsSources{u"LyricsSources", u"soap,lrclib"};
// Seven font slots 00 .. 06: "FontName%02d" (text), "FontStyle%02d", "FontColor%02d",
// "FontHeight%02d" (numbers).
inline constexpr int kFontSlots = 7;
inline constexpr const char* kFontNameFormat = "FontName%02d";
inline constexpr const char* kFontStyleFormat = "FontStyle%02d";
inline constexpr const char* kFontColorFormat = "FontColor%02d";
inline constexpr const char* kFontHeightFormat = "FontHeight%02d";
inline constexpr const char16_t* kFontNameDefault = u"Tahoma";
inline constexpr int32_t kFontStyleDefault = 0;
inline constexpr int32_t kFontColorDefault = 0xFFFFFF;
inline constexpr int32_t kFontColorDefaultSlot4 = 0x00FFFF;
inline constexpr int32_t kFontColorDefaultSlot5 = 0x00FF00;
inline constexpr int32_t kFontHeightDefault = -24;
inline constexpr NumberSetting kFontKind{u"FontKind", 0};

// Power and timers.
inline constexpr NumberSetting kNoUsePowerSave{u"NoUsePowerSave", 1};
inline constexpr NumberSetting kAutoDisplayOff{u"AutoDisplayOff", 0};
inline constexpr NumberSetting kRestartTime{u"RestartTime", 0};
inline constexpr NumberSetting kSleepPlayStop{u"SleepPlayStop", 0};
inline constexpr NumberSetting kSleepPlayStopTimer{u"SleepPlayStopTimer", 1};
inline constexpr NumberSetting kSleepPowerOff{u"SleepPowerOff", 0};
inline constexpr NumberSetting kSleepPowerOffTimer{u"SleepPowerOffTimer", 1};
inline constexpr NumberSetting kSleepDisplayOff{u"SleepDisplayOff", 0};
inline constexpr NumberSetting kSleepDisplayOffTimer{u"SleepDisplayOffTimer", 1};

// "Settings\Key": the key map. Indexed names append a decimal index ("KeyCode%d").
inline constexpr NumberSetting kKeyMapCnt{u"KeyMapCnt", 0};
inline constexpr NumberSetting kKeyMapInit{u"KeyMapInit", 0};
inline constexpr NumberSetting kContKeyMap{u"ContKeyMap", 1};
inline constexpr const char* kKeyCodeFormat = "KeyCode%d";
inline constexpr const char* kFuncCodeFormat = "FuncCode%d";
inline constexpr const char* kDblClickFormat = "DblClick%d";

// "Settings\Presets": which effects a preset applies.
inline constexpr NumberSetting kPresetSurround{u"Surround", 1};
inline constexpr NumberSetting kPreset3DChorus{u"3DChorus", 1};
inline constexpr NumberSetting kPresetBassBoost{u"BassBoost", 1};
inline constexpr NumberSetting kPresetReverb{u"Reverb", 1};
inline constexpr NumberSetting kPresetEcho{u"Echo", 1};
inline constexpr NumberSetting kPresetPreamp{u"Preamp", 1};

// "ShoutCast": the internet radio list, indexed from 0.
inline constexpr NumberSetting kShoutCastCount{u"NumberOfEntries", 0};
inline constexpr const char* kShoutCastTitleFormat = "Title%d";
inline constexpr const char* kShoutCastFileFormat = "File%d";

// Read from outside the application key.
inline constexpr const char16_t* kWidcommKey = u"SOFTWARE\\Widcomm\\BtConfig\\General";
inline constexpr const char16_t* kWidcommStackMode = u"StackMode";

} // namespace setting
