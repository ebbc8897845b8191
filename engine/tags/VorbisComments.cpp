#include "engine/tags/VorbisComments.h"

#include "engine/tags/TagText.h"
#include "platform/TextCodec.h"

#include <string_view>

namespace {

bool NameIs(std::string_view name, std::string_view upper) {
    if (name.size() != upper.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != upper[i])
            return false;
    }
    return true;
}

} // namespace

bool VorbisComments::Apply(const std::vector<std::string>& comments, TagInfo& tag) {
    bool stored = false;
    for (const std::string& comment : comments) {
        const size_t equals = comment.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string_view name(comment.data(), equals);
        const std::u16string decoded =
            TextCodec::Utf8ToUtf16(std::string_view(comment).substr(equals + 1));
        const std::u16string_view value = TagText::Limit(decoded, kValueUnits);

        char16_t* field = nullptr;
        if (NameIs(name, "TITLE"))
            field = tag.title;
        else if (NameIs(name, "ARTIST"))
            field = tag.artist;
        else if (NameIs(name, "ALBUM"))
            field = tag.album;
        else if (NameIs(name, "COMMENT"))
            field = tag.comment;
        else if (NameIs(name, "GENRE"))
            field = tag.genre;

        if (field != nullptr) {
            TagText::Store(field, kTagTextLength, value);
            stored = true;
        } else if (NameIs(name, "TRACKNUMBER")) {
            tag.track = TagText::Decimal(value);
            stored = true;
        }
    }
    return stored;
}
