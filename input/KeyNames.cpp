#include "input/KeyNames.h"

#include <string>

namespace {

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
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
