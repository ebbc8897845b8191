#include "input/KeyNames.h"

#include <string>

namespace {

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

// The key-cap names of a desktop keyboard's keys, by their virtual key code, for the keys that
// are not in the table: they can be shown, though they never become hot keys.
std::u16string KeyCapName(int32_t keyCode) {
    if ((keyCode >= '0' && keyCode <= '9') || (keyCode >= 'A' && keyCode <= 'Z'))
        return std::u16string(1, static_cast<char16_t>(keyCode));
    if (keyCode >= 0x60 && keyCode <= 0x69)
        return u"Num" + Ascii(std::to_string(keyCode - 0x60));
    if (keyCode >= 0x70 && keyCode <= 0x87)
        return u"F" + Ascii(std::to_string(keyCode - 0x70 + 1));
    struct Cap {
        int32_t keyCode;
        const char16_t* name;
    };
    static constexpr Cap kCaps[] = {
        {0x08, u"Backspace"},  {0x09, u"Tab"},         {0x10, u"Shift"},      {0x11, u"Ctrl"},
        {0x12, u"Alt"},        {0x13, u"Pause"},       {0x14, u"CapsLock"},   {0x1B, u"Esc"},
        {0x20, u"Space"},      {0x21, u"PageUp"},      {0x22, u"PageDown"},   {0x23, u"End"},
        {0x24, u"Home"},       {0x2C, u"PrintScreen"}, {0x2D, u"Insert"},     {0x2E, u"Delete"},
        {0x5B, u"Meta"},       {0x5D, u"Menu"},        {0x6A, u"Num*"},       {0x6B, u"Num+"},
        {0x6D, u"Num-"},       {0x6E, u"Num."},        {0x6F, u"Num/"},       {0x90, u"NumLock"},
        {0x91, u"ScrollLock"}, {0xAD, u"Mute"},        {0xAE, u"VolumeDown"}, {0xAF, u"VolumeUp"},
        {0xBA, u";"},          {0xBB, u"="},           {0xBC, u","},          {0xBD, u"-"},
        {0xBE, u"."},          {0xBF, u"/"},           {0xC0, u"`"},          {0xDB, u"["},
        {0xDC, u"\\"},         {0xDD, u"]"},           {0xDE, u"'"},
    };
    for (const Cap& cap : kCaps) {
        if (cap.keyCode == keyCode)
            return cap.name;
    }
    return {};
}

} // namespace

KeyNames::KeyNames() {
    Add(13, u"Action");
    Add(37, u"Left");
    Add(38, u"Up");
    Add(39, u"Right");
    Add(40, u"Down");
    AddRange(193, 199, u"Button");
    AddRange(176, 181, u"Remote");
    AddRange(237, 243, u"Remote");
    AddRange(202, 205, u"Remote");
    // This remote's codes run backwards and out of order.
    const uint16_t reversed[] = {142, 141, 139, 138, 140, 137, 136};
    int number = 1;
    for (uint16_t code : reversed)
        Add(code, u"Remote" + Ascii(std::to_string(number++)));
    AddRange(112, 115, u"Remote");
}

std::u16string KeyNames::Name(int32_t keyCode) const {
    if (keyCode >= 0 && keyCode <= 0xFFFF) {
        auto it = m_keys.find(static_cast<uint16_t>(keyCode));
        if (it != m_keys.end())
            return it->second.name;
    }
    if (std::u16string cap = KeyCapName(keyCode); !cap.empty())
        return cap;
    return u"Unknown" + Ascii(std::to_string(keyCode));
}

bool KeyNames::Contains(int32_t keyCode) const {
    return keyCode >= 0 && keyCode <= 0xFFFF && m_keys.count(static_cast<uint16_t>(keyCode)) != 0;
}

void KeyNames::Add(uint16_t keyCode, std::u16string name) {
    m_keys[keyCode] = HotKeyInfo{std::move(name), keyCode};
}

void KeyNames::AddRange(uint16_t first, uint16_t last, const std::u16string& prefix) {
    int number = 1;
    for (uint16_t code = first; code <= last; ++code)
        Add(code, prefix + Ascii(std::to_string(number++)));
}
