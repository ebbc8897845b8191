#include "playlist/EntryTags.h"

#include "engine/decoders/OggFile.h"
#include "engine/tags/Id3Tag.h"
#include "engine/tags/TagText.h"
#include "engine/tags/VorbisComments.h"
#include "platform/TextCodec.h"
#include "playlist/LibraryTagSource.h"

#include <filesystem>

namespace {

constexpr size_t kFrameBytes = 255;

std::u16string_view Field(const char16_t* field) {
    return std::u16string_view(field, TextCodec::Length(field));
}

void Store(char16_t* field, std::u16string_view text) {
    TagText::Store(field, kTagTextLength, text);
}

std::u16string_view FileName(std::u16string_view path) {
    const size_t slash = path.find_last_of(u'/');
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

std::u16string EntryTags::Lower(std::u16string_view text) {
    return TextCodec::FoldCase(text);
}

std::u16string EntryTags::TrimRight(std::u16string_view text) {
    const size_t end = text.find_last_not_of(u' ');
    return std::u16string(end == std::u16string_view::npos ? u"" : text.substr(0, end + 1));
}

std::u16string EntryTags::Stem(std::u16string_view path) {
    const std::u16string_view name = FileName(path);
    return std::u16string(name.substr(0, name.find_last_of(u'.')));
}

std::u16string EntryTags::Extension(std::u16string_view path) {
    const std::u16string_view name = FileName(path);
    const size_t dot = name.find_last_of(u'.');
    return dot == std::u16string_view::npos ? std::u16string() : Lower(name.substr(dot));
}

std::u16string EntryTags::FrameText(std::string_view name, std::string_view bytes) {
    if (!name.empty() && name[0] == 'T') {
        if (bytes.empty() || bytes[0] != 0)
            return {};
        bytes.remove_prefix(1);
    } else if (name == "COMM") {
        if (bytes.size() > 8)
            bytes.remove_prefix(8);
    } else {
        return {};
    }
    bytes = bytes.substr(0, kFrameBytes);
    bytes = bytes.substr(0, bytes.find('\0'));
    return TrimRight(TextCodec::MultiByteToWide(bytes));
}

bool EntryTags::Fill(const std::u16string& path, TagInfo& info, LibraryTagSource* library) {
    info = TagInfo{};
    std::error_code ec;
    const std::filesystem::path native(TextCodec::Utf16ToUtf8(path));
    if (!std::filesystem::exists(native, ec) || std::filesystem::is_directory(native, ec))
        return false;

    const std::u16string stem = Stem(path);
    const std::u16string ext = Extension(path);
    if (ext == u".ogg") {
        Store(info.title, stem);
        OggFile ogg;
        TagInfo comments;
        if (ogg.Open(path) && VorbisComments::Apply(ogg.Comments(), comments)) {
            Store(info.title, Field(comments.title));
            Store(info.artist, Field(comments.artist));
            Store(info.album, Field(comments.album));
        }
    } else if (ext == u".mp3") {
        Store(info.title, stem);
        Id3Tag::ReadFile(path, info);
        if ((info.title[0] == 0 || info.artist[0] == 0) && library && library->Available() &&
            library->Open(TextCodec::WideToMultiByte(path))) {
            char16_t* const fields[] = {info.title, info.artist, info.album};
            const char* const frames[] = {"TIT2", "TPE1", "TALB"};
            for (int i = 0; i < 3; ++i) {
                std::string bytes;
                if (!library->FindField(frames[i], bytes))
                    continue;
                const std::u16string text = FrameText(frames[i], bytes);
                if (!text.empty())
                    Store(fields[i], text);
            }
            library->Close();
        }
    } else if (ext == u".wav" || ext == u".wma" || ext == u".asf") {
        Store(info.title, stem);
    }

    for (char16_t* field : {info.title, info.artist, info.album, info.comment})
        Store(field, TrimRight(Field(field)));
    if (info.title[0] == 0)
        Store(info.title, stem);
    return true;
}
